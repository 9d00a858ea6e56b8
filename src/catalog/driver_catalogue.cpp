#include "catalog/driver_catalogue.h"

#include <cwchar>

#include "catalog/diagnostics.h"
#include "detect/adapters.h"
#include "detect/system.h"

namespace quillo {
namespace {

constexpr uint32_t kPieceChars = 255;  // into a buffer of 256
constexpr size_t kValueBytes = 520;

unsigned long Code(int32_t result) { return static_cast<uint32_t>(result); }

void ClearPending(CatalogueWalk& walk) {
  walk.labelPending = false;
  walk.internalPending = false;
  walk.betaPending = false;
}

bool AllMatched(const CatalogueWalk& walk) { return walk.osMatched && walk.idsMatched && walk.revisionMatched; }

}  // namespace

int32_t WriteAttributes(XmlReader& reader, CatalogueWalk& walk, DriverRecord& record, std::wstring deviceId,
                        std::wstring revisionId, std::wstring osType) {
  int32_t result = reader.MoveToFirstAttribute();
  if (result == kXmlNoMore) return kXmlNoMore;
  if (result != kXmlOk) {
    WriteXmlDiagnostic(L"\nXmlLite Error: %08.8lx\n", Code(result));
    return result;
  }

  int32_t lastValueResult = result;
  do {
    if (reader.IsDefault()) continue;

    std::wstring name;
    result = reader.GetLocalName(&name);
    if (result < 0) {
      WriteXmlDiagnostic(L"Error, Method: GetLocalName, error is %08.8lx", Code(result));
      return result;
    }
    if (name == L"type") {
      walk.internalPending = false;
      walk.betaPending = false;
      walk.internalValue.clear();
      walk.betaValue.clear();
    } else if (name == L"ids") {
      walk.idsMatched = false;
    } else if (name == L"rid") {
      walk.ridSeen = true;
    } else if (name == L"label") {
      walk.labelPending = true;
      // The next product group begins once the adapter's revision has been
      // seen: the catalogue serves a device from the first group listing it.
      if (walk.revisionMatched) {
        walk.recordComplete = true;
        return kXmlOk;
      }
    } else if (name == L"internal") {
      walk.internalPending = true;
    } else if (name == L"beta") {
      walk.betaPending = true;
    }

    // The tests look at the buffer up to its first terminator after every
    // call, before the new piece is terminated: the call that reports the
    // end of the value sees the last piece once more, and a piece shorter
    // than the one before it is seen with that one's tail.
    wchar_t buffer[kPieceChars + 1] = {};
    std::wstring value;
    for (;;) {
      uint32_t read = 0;
      result = reader.ReadValueChunk(buffer, kPieceChars, &read);
      const std::wstring piece(buffer);

      if (piece.find(deviceId) != std::wstring::npos) {
        walk.idsMatched = true;
        ClearPending(walk);
      }
      if (walk.idsMatched && walk.ridSeen &&
          (piece == revisionId || (name == L"rid" && (piece.empty() || piece == L"00")))) {
        walk.revisionMatched = true;
        ClearPending(walk);
      }

      // A reader error ends the walk even when it comes with no characters.
      if (result != kXmlOk && result != kXmlNoMore) {
        WriteXmlDiagnostic(L"\nXmlLite Error: %08.8lx\n", Code(result));
        return result;
      }
      if (result == kXmlNoMore || read == 0) break;
      buffer[read] = L'\0';
      for (uint32_t i = 0; i < read; ++i) {
        if (buffer[i] == L'\n') buffer[i] = L'.';
      }
      WriteXmlDiagnostic(L"attribute chunk size:%d >%ls<\n", static_cast<int>(read), buffer);
      value += buffer;

      if (walk.idsMatched && walk.revisionMatched && value == osType) walk.osMatched = true;
    }
    lastValueResult = result;

    if (walk.labelPending) {
      walk.labelValue = value;
      walk.labelPending = false;
    }
    if (walk.internalPending) {
      walk.internalValue = value;
      walk.internalPending = false;
    }
    if (walk.betaPending) {
      walk.betaValue = value;
      walk.betaPending = false;
    }

    if (AllMatched(walk)) {
      if (record.count(name) != 0) {
        walk.idsMatched = false;
        walk.osMatched = false;
        return kXmlOk;
      }
      record.emplace(name, value);
    }
  } while (reader.MoveToNextAttribute() == kXmlOk);

  if (AllMatched(walk)) {
    record.emplace(L"label", walk.labelValue);
    record.emplace(L"internal", walk.internalValue);
    record.emplace(L"beta", walk.betaValue);
    walk.recordComplete = true;
  }
  return lastValueResult;
}

bool DownloadDriverCatalogue(Ports ports, const Endpoints& endpoints, RunLog& log, CatalogueSource& source) {
  DisplayDetector detector(ports.devices, ports.registry, log);
  source.catalogueType.clear();
  source.catalogueFilePath = ports.system.TempPath() + L"result.xml";

  const std::wstring key =
      Is64BitWindows(ports.system) ? L"SOFTWARE\\Wow6432Node\\VelmoraQuillo" : L"SOFTWARE\\VelmoraQuillo";
  const std::wstring production = L"http://" + endpoints.supportServer + L"/drivers/xml/driver_09_us.xml";
  std::wstring url = production;
  if (!ports.registry.ValueNames(key, KeyAccess::kAllAccess, 16383)) {
    source.catalogueType = L"Production";
  } else {
    // Only whether a value can be read counts, not what it holds.
    auto readable = [&](const wchar_t* name) {
      return ports.registry.ReadValue(key, name, KeyAccess::kAllAccess, kValueBytes).has_value();
    };
    if (readable(L"Production")) {
      source.catalogueType = L"Production";
    } else if (readable(L"Local")) {
      source.catalogueType = L"Local";
      source.localServerMode = true;
      url = L"http://" + endpoints.localTestServer + L"/drivers/xml/driver_09_us_local.xml";
    } else if (readable(L"Test")) {
      source.catalogueType = L"Test";
      url = L"http://" + endpoints.supportServer + L"/drivers/xml/driver_09_us_test.xml";
    }
  }

  const bool downloaded = ports.network.DownloadToFile(url, source.catalogueFilePath) == 0;
  detector.WriteLog(L"XML type is " + source.catalogueType + L"\r\n" +
                    (downloaded ? L"DownloadXML - XML file is downloaded to "
                                : L"DownloadXML - XML file downloaded failed ") +
                    source.catalogueFilePath + L"\r\n");
  return downloaded;
}

}  // namespace quillo
