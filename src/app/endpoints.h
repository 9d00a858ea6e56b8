#pragma once

#include <string>

#include "ports/network.h"

namespace quillo {

// Host names of the servers the utility talks to. They are build
// configuration: release builds name hosts under the reserved .example
// domain, test and demo builds one loopback address per endpoint.
struct Endpoints {
  std::wstring vendorWebSite;        // probe, feature 3 and 4 installers, start guides
  std::wstring supportServer;        // catalogues, support pages, Referer of driver downloads
  std::wstring downloadServer;       // driver packages, feature 2 installer
  std::wstring localTestServer;      // the "Local" driver catalogue
  std::wstring surveyServer;         // the exit survey page (HTTPS)
  std::wstring analyticsCollector;   // usage hits
};

// The endpoints this build was configured with.
const Endpoints& BuiltInEndpoints();

// The connection probe: the vendor web site's root over HTTP, forcing a connection.
bool VendorWebSiteReachable(NetworkPort& network, const Endpoints& endpoints);

}  // namespace quillo
