#include "classic/classic_setup.h"

#include "catalog/xml_passes.h"
#include "detect/installed.h"
#include "detect/system.h"
#include "i18n/caption_keys.h"
#include "i18n/language.h"
#include "i18n/tables.h"

namespace quillo {
namespace {

// Replaces the first "%s" of `text`; false when there is none.
bool ReplaceFirst(std::wstring& text, const std::wstring& with) {
  const size_t at = text.find(L"%s");
  if (at == std::wstring::npos) return false;
  text.replace(at, 2, with);
  return true;
}

}  // namespace

std::wstring ChipsetLinkText(const std::wstring& caption, const Endpoints& endpoints) {
  std::wstring text = caption;
  const std::wstring link = L"<a href=\"http://" + endpoints.supportServer +
                            L"/en-us/download/chipset?os=Windows\"> Chipset Drivers</a>";
  return ReplaceFirst(text, link) ? text : std::wstring();
}

std::wstring TargetLineText(const std::wstring& caption, const std::wstring& tempFolder) {
  std::wstring folder = tempFolder;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  std::wstring text = caption;
  ReplaceFirst(text, L"Velmora Halvard Software");
  ReplaceFirst(text, folder);
  return text;
}

std::wstring PackageBoxText(const std::wstring& packagePath) {
  const size_t slash = packagePath.rfind(L'/');
  if (slash == std::wstring::npos || slash < 1) return std::wstring();
  return packagePath.substr(slash + 1);
}

ClassicSetup::ClassicSetup(Ports ports, FilePort& files, const Endpoints& endpoints, RunLog& log, RunState& state,
                           UsageReporter& usage)
    : ports_(ports),
      files_(files),
      endpoints_(endpoints),
      log_(log),
      state_(state),
      usage_(usage),
      detector_(ports.devices, ports.registry, log),
      selection_(WindowKind::kClassic, ports, endpoints, state, detector_) {}

std::optional<NoticeExit> ClassicSetup::LoadCaptionsAndProbe() {
  texts_.languageCode =
      GetLanguageCode(ports_.system.UserDefaultUiLanguage(), detector_, usage_.values().languageCode);
  captionTablePath_ = ExtractLocalizedXML(ports_.resources, texts_.languageCode, ports_.system.TempPath(), &detector_);
  CaptionWalk walk;
  LoadCaptionMap(ports_.xml, walk, captions_, captionTablePath_);
  if (auto found = captions_.find(caption_keys::kNoConnection); found != captions_.end()) texts_.noConnection = found->second;
  if (auto found = captions_.find(caption_keys::kDownloadComplete); found != captions_.end()) {
    texts_.downloadComplete = found->second;
  }

  if (!VendorWebSiteReachable(ports_.network, endpoints_)) {
    return NoticeExit{texts_.noConnection, texts_.labelValue};
  }
  return std::nullopt;
}

std::optional<NoticeExit> ClassicSetup::Prepare() {
  if (detector_.CreateLog()) log_.Enable();
  if (!DownloadDriverCatalogue(ports_, endpoints_, log_, source_)) return NoticeExit{texts_.noConnection, L""};

  OsVersionInfo version;
  OsNames names;
  if (GetOsVersionInfo(ports_.system, version)) GetOsNames(version, names);
  usage_.values().osShortName = names.shortName;
  usage_.values().bitnessText = names.bitnessText;

  std::vector<AdapterInfo> vendorAdapters;
  std::vector<AdapterInfo> otherAdapters;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  detector_.DetectAdapters(vendorAdapters, otherAdapters, otherDescription, hardwareIds);
  selection_.ChooseDevice(vendorAdapters, hardwareIds);

  for (const auto& [id, caption] : captions_) {
    switch (id) {
      case caption_keys::kGraphicsLabel: texts_.controlTexts.emplace_back(classic::kGraphicsLabel, caption); break;
      case caption_keys::kSystemLabel: texts_.controlTexts.emplace_back(classic::kSystemLabel, caption); break;
      case caption_keys::kProcessorLabel: texts_.controlTexts.emplace_back(classic::kProcessorLabel, caption); break;
      case caption_keys::kBestDriverLabel: texts_.controlTexts.emplace_back(classic::kDriverLabel, caption); break;
      case caption_keys::kDriverAlreadyExists: texts_.driverCurrent = caption; break;
      case caption_keys::kDownloadCancelled: texts_.cancelled = caption; break;
      case caption_keys::kNoDriver: texts_.noHardware = caption; break;
      case caption_keys::kNoConnection: texts_.noConnection = caption; break;
      case caption_keys::kDownloadComplete: texts_.downloadComplete = caption; break;
      case caption_keys::kNotVerified: texts_.notVerified = caption; break;
      case caption_keys::kChipsetLink:
        if (std::wstring link = ChipsetLinkText(caption, endpoints_); !link.empty()) {
          texts_.controlTexts.emplace_back(classic::kChipsetLink, std::move(link));
        }
        break;
      case caption_keys::kTargetLine: texts_.targetLine = TargetLineText(caption, ports_.system.TempPath()); break;
      default: break;
    }
  }

  CatalogueWalk walk;
  if (!selection_.ReadRecord(source_.catalogueFilePath, names.catalogueName, walk)) {
    return NoticeExit{texts_.noHardware, texts_.labelValue};
  }
  texts_.labelValue = selection_.offer().label;
  GetProcessorBrand(ports_.system, texts_.processor);
  TrimLeadingBlanks(texts_.processor);
  usage_.values().processorBrand = texts_.processor;
  usage_.BuildAdapterIdLists(vendorAdapters);
  usage_.SendAppLaunchEvent();
  if (selection_.CheckVersions()) return NoticeExit{texts_.driverCurrent, texts_.labelValue};
  selection_.ChoosePackage(source_.localServerMode);
  usage_.values().packageFileName = selection_.offer().packageFileName;

  texts_.driver = PackageBoxText(selection_.offer().packagePath);
  texts_.system = names.displayName;
  const std::wstring& deviceId = selection_.deviceId();
  std::wstring description;
  if (IsBasicDriverPresent(ports_.devices, detector_, deviceId)) {
    texts_.graphics = texts_.labelValue;
  } else {
    detector_.GetAdapterDescription(deviceId, description);
    texts_.graphics = description;
  }
  texts_.graphicsTip = description.empty() ? texts_.labelValue : description;

  DeleteTempFile(files_, source_.catalogueFilePath);
  DeleteTempFile(files_, captionTablePath_);
  DeleteTempFile(files_, ports_.system.TempPath() + L"CompatibleFeatures.xml");
  return std::nullopt;
}

bool DeleteTempFile(FilePort& files, const std::wstring& path) {
  if (!files.FileSize(path)) return true;
  return files.RemoveFile(path);
}

}  // namespace quillo
