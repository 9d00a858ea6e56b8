#pragma once

#include <map>
#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "ports/ports.h"
#include "ports/xml_reader.h"

namespace quillo {

// The attributes of the one catalogue record that fits the adapter and the
// system, by local name. The first value stored for a name stays.
using DriverRecord = std::map<std::wstring, std::wstring>;

// What the catalogue's attribute walk carries from attribute to attribute and
// from element to element. Each window owns one for its single reading of the
// catalogue; nothing in it is ever reset.
struct CatalogueWalk {
  bool idsMatched = false;       // the current device group lists the adapter
  bool osMatched = false;        // a value equal to the system's type string was read after both tests held
  bool recordComplete = false;   // the record is stored; the pass stops
  bool labelPending = false;     // the attribute being read is label, internal or beta ...
  bool internalPending = false;
  bool betaPending = false;
  std::wstring labelValue;       // ... and these are their last saved values
  std::wstring internalValue;
  std::wstring betaValue;
  bool ridSeen = false;          // a rid attribute was read somewhere in the document
  bool revisionMatched = false;  // the revision test has passed once
};

// The catalogue attribute walk over the element the reader stands on: applies
// the device, revision and system tests to every attribute value and stores
// the matching record. A negative result ends the pass.
int32_t WriteAttributes(XmlReader& reader, CatalogueWalk& walk, DriverRecord& record, std::wstring deviceId,
                        std::wstring revisionId, std::wstring osType);

// Which catalogue the window reads and where it lies.
struct CatalogueSource {
  std::wstring catalogueType;      // "Production", "Local", "Test" or empty
  std::wstring catalogueFilePath;  // the temporary folder and "result.xml"
  bool localServerMode = false;    // set once "Local" chose the catalogue; never cleared
};

// Chooses the catalogue by the registry's source key, downloads it to the
// temporary folder and logs where it went, through a detector of its own.
// True when the download succeeded.
bool DownloadDriverCatalogue(Ports ports, const Endpoints& endpoints, RunLog& log, CatalogueSource& source);

}  // namespace quillo
