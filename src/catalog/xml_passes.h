#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "catalog/driver_catalogue.h"
#include "ports/xml_reader.h"

namespace quillo {

// Reads the driver catalogue at `path` into `record` through the catalogue
// attribute walk. True only when the walk completed the record; the pass
// then stops at once and later elements are not read.
bool ParseDriverCatalogue(XmlReaderPort& xml, CatalogueWalk& walk, DriverRecord& record, const std::wstring& path,
                          const std::wstring& deviceId, const std::wstring& revisionId, const std::wstring& osType);

// Caption texts of a string table by the integer Value of their element. The
// first text stored for a number stays.
using CaptionMap = std::map<int32_t, std::wstring>;

// What the caption pass carries from an element's attributes to its text.
// Owned by the window (or notice) that reads the table.
struct CaptionWalk {
  bool pendingValue = false;  // a Value attribute was read and its text is not stored yet
  int32_t captionKey = 0;     // the number the next stored text gets
};

// Fills `captions` from the Caption elements of the table at `path`. What it
// stored before a reader error stays. Always false; nobody uses the result.
bool LoadCaptionMap(XmlReaderPort& xml, CaptionWalk& walk, CaptionMap& captions, const std::wstring& path);

}  // namespace quillo
