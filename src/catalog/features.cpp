#include "catalog/features.h"

#include <vector>

#include "detect/system.h"

namespace quillo {
namespace {

// The installer of a feature whose location names `host`: the request path
// runs from the chosen slash of the location, the file goes to the temporary
// folder under `fileName`. Anything else leaves the installer empty.
void SetInstaller(FeatureInstaller& installer, const std::wstring& host, bool fromLastSlash,
                  const std::wstring& tempPath, const wchar_t* fileName) {
  if (installer.location.find(host) == std::wstring::npos) return;
  const size_t slash = fromLastSlash ? installer.location.rfind(L'/') : installer.location.find(L'/');
  if (slash == std::wstring::npos) return;  // a host alone: nothing to request
  installer.requestPath = installer.location.substr(slash);
  installer.localPath = tempPath + fileName;
}

}  // namespace

int32_t FeatureReader::MatchFeatures(CompatibleFeatures& features, std::wstring path, std::wstring processorBrand,
                                     std::wstring deviceId, std::wstring revisionId) {
  XmlOpenResult opened = xml_.Open(path, XmlOpenOptions{XmlByteSource::kShellStream, true});
  if (opened.status != XmlOpenResult::Status::kOpened) return 0;
  XmlReader& reader = *opened.reader;

  bool stoppedAtPlatform = false;
  int32_t result = kXmlOk;
  XmlNodeType type = XmlNodeType::kNone;
  while ((result = reader.Read(&type)) == kXmlOk) {
    std::wstring prefix;
    std::wstring name;
    std::wstring value;
    int32_t step = kXmlOk;
    switch (type) {
      case XmlNodeType::kElement:
        if ((step = reader.GetPrefix(&prefix)) < 0) break;
        if ((step = reader.GetLocalName(&name)) < 0) break;
        if ((step = WalkAttributes(reader, name, features, processorBrand, deviceId, revisionId)) < 0) break;
        reader.IsEmptyElement();
        break;
      case XmlNodeType::kEndElement:
        if ((step = reader.GetPrefix(&prefix)) < 0) break;
        if ((step = reader.GetLocalName(&name)) < 0) break;
        if (exactPlatform_) {
          stoppedAtPlatform = true;
        } else {
          platformMatched_ = false;
        }
        break;
      case XmlNodeType::kXmlDeclaration:
        step = WalkAttributes(reader, name, features, processorBrand, deviceId, revisionId);
        break;
      case XmlNodeType::kText:
      case XmlNodeType::kCData:
      case XmlNodeType::kComment:
      case XmlNodeType::kWhitespace:
        step = reader.GetValue(&value);
        break;
      case XmlNodeType::kProcessingInstruction:
        if ((step = reader.GetLocalName(&name)) < 0) break;
        step = reader.GetValue(&value);
        break;
      default:
        break;
    }
    if (step < 0) {
      result = step;
      break;
    }
    if (stoppedAtPlatform) {
      result = kXmlOk;
      break;
    }
  }
  if (stoppedAtPlatform || !features.empty()) return 0;
  return result;
}

int32_t FeatureReader::WalkAttributes(XmlReader& reader, const std::wstring& localName,
                                      CompatibleFeatures& features, const std::wstring& processorBrand,
                                      const std::wstring& deviceId, const std::wstring& revisionId) {
  int32_t result = reader.MoveToFirstAttribute();
  if (result < 0) return result;
  if (result != kXmlOk) return kXmlOk;  // without attributes the element changes nothing

  std::wstring part;
  std::wstring platformDevice;
  std::wstring platformRevision;
  std::wstring featureName;
  std::wstring file;
  do {
    if (reader.IsDefault()) continue;
    std::wstring prefix;
    std::wstring name;
    std::wstring value;
    if ((result = reader.GetPrefix(&prefix)) < 0) return result;
    if ((result = reader.GetLocalName(&name)) < 0) return result;
    if ((result = reader.GetValue(&value)) < 0) return result;
    if (name == L"Part") {
      part = value;
    } else if (name == L"DeviceID") {
      platformDevice = value;
    } else if (name == L"RevisionID") {
      platformRevision = value;
    } else if (name == L"Name" && platformMatched_) {
      featureName = value;
    } else if (name == L"File" && platformMatched_) {
      file = value;
    }
  } while ((result = reader.MoveToNextAttribute()) == kXmlOk);
  if (result < 0) return result;

  if (platformDevice == deviceId && platformRevision == revisionId) {
    if (processorBrand.find(part) != std::wstring::npos) exactPlatform_ = true;
    platformMatched_ = true;
  }
  if (localName != L"Feature") return kXmlOk;
  if (exactPlatform_) {
    // The processor's own platform replaces what a looser match collected.
    if (provisionalFeatures_) {
      features.clear();
      provisionalFeatures_ = false;
    }
    features.emplace(featureName, file);
  } else if (platformMatched_) {
    features.emplace(featureName, file);
    provisionalFeatures_ = true;
  }
  return kXmlOk;
}

FeatureOffers LoadFeatureOffers(FeatureReader& reader, DisplayDetector& detector, SystemInfoPort& system,
                                const Endpoints& endpoints, RunState& state) {
  const std::wstring tempPath = system.TempPath();
  const std::wstring path = tempPath + L"CompatibleFeatures.xml";
  std::vector<AdapterInfo> vendorAdapters;
  std::vector<AdapterInfo> otherAdapters;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  detector.DetectAdapters(vendorAdapters, otherAdapters, otherDescription, hardwareIds);
  std::wstring brand;
  GetProcessorBrand(system, brand);

  FeatureOffers offers;
  for (const AdapterInfo& adapter : vendorAdapters) {
    if (reader.MatchFeatures(offers.features, path, brand, adapter.deviceId, adapter.revisionId) == 0) {
      offers.matched = true;
      break;
    }
  }
  state.featureCount = static_cast<int32_t>(offers.features.size());

  for (const auto& [name, location] : offers.features) {
    if (name == L"Velmora Clearframe") {
      state.cfsAvailable = true;
    } else if (name == L"Velmora Rapidline") {
      state.rplAvailable = true;
      offers.rapidline.location = location;
    } else if (name == L"Velmora Wavehand") {
      state.wvhAvailable = true;
      offers.wavehand.location = location;
    } else if (name == L"Velmora Smilekey") {
      state.smkAvailable = true;
      offers.smilekey.location = location;
    } else if (name == L"Velmora Castwell") {
      state.cwlAvailable = true;
    }
  }
  SetInstaller(offers.rapidline, endpoints.downloadServer, false, tempPath, L"VelmoraRLX.exe");
  SetInstaller(offers.wavehand, endpoints.vendorWebSite, true, tempPath, L"VelmoraWavehand.exe");
  SetInstaller(offers.smilekey, endpoints.vendorWebSite, true, tempPath, L"VelmoraSmilekey.exe");
  return offers;
}

}  // namespace quillo
