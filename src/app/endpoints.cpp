#include "app/endpoints.h"

#include "app/endpoints_config.h"

namespace quillo {

const Endpoints& BuiltInEndpoints() {
  static const Endpoints endpoints{
      QUILLO_HOST_VENDOR_WEB, QUILLO_HOST_SUPPORT, QUILLO_HOST_DOWNLOAD,
      QUILLO_HOST_LOCAL_TEST, QUILLO_HOST_SURVEY,  QUILLO_HOST_ANALYTICS,
  };
  return endpoints;
}

bool VendorWebSiteReachable(NetworkPort& network, const Endpoints& endpoints) {
  const std::wstring& site = endpoints.vendorWebSite;
  return network.CheckConnection("http://" + std::string(site.begin(), site.end()));
}

}  // namespace quillo
