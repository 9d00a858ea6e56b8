#include "app/window_setup.h"

#include "catalog/xml_passes.h"
#include "classic/classic_controls.h"
#include "detect/installed.h"
#include "detect/system.h"
#include "i18n/caption_keys.h"
#include "i18n/language.h"
#include "i18n/tables.h"
#include "main/main_controls.h"

namespace quillo {
namespace {

// Replaces the first "%s" of `text`; false when there is none.
bool ReplaceFirst(std::wstring& text, const std::wstring& with) {
  const size_t at = text.find(L"%s");
  if (at == std::wstring::npos) return false;
  text.replace(at, 2, with);
  return true;
}

// Where the two windows differ in what they show: the controls the
// captions go to, the suite the target line names, and the feature names
// of the sectioned window's header table.
struct CaptionControls {
  int graphicsLabel, systemLabel, processorLabel, driverLabel, chipsetLink;
  const wchar_t* suite;
};
constexpr CaptionControls kClassicControls{classic::kGraphicsLabel, classic::kSystemLabel, classic::kProcessorLabel,
                                           classic::kDriverLabel, classic::kChipsetLink, L"Velmora Halvard Software"};
constexpr CaptionControls kSectionedControls{mainwin::kGraphicsLabel, mainwin::kSystemLabel,
                                             mainwin::kProcessorLabel, mainwin::kDriverLabel,
                                             mainwin::kChipsetLink, L"Velmora Halvard Software, Features "};
// The header table's keys 201 to 208 and their controls: the five feature
// titles, the driver header, the features header and its text.
constexpr std::pair<int, int> kHeaderControls[] = {
    {201, mainwin::kFeatureTitles[0]}, {202, mainwin::kFeatureTitles[1]}, {203, mainwin::kFeatureTitles[2]},
    {204, mainwin::kFeatureTitles[3]}, {205, mainwin::kFeatureTitles[4]},
    {206, mainwin::kDriverHeader}, {207, mainwin::kFeaturesHeader}, {208, mainwin::kFeaturesText}};

}  // namespace

std::wstring ChipsetLinkText(const std::wstring& caption, const Endpoints& endpoints) {
  std::wstring text = caption;
  const std::wstring link = L"<a href=\"http://" + endpoints.supportServer +
                            L"/en-us/download/chipset?os=Windows\"> Chipset Drivers</a>";
  return ReplaceFirst(text, link) ? text : std::wstring();
}

std::wstring TargetLineText(const std::wstring& caption, const std::wstring& suite, const std::wstring& tempFolder) {
  std::wstring folder = tempFolder;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  std::wstring text = caption;
  ReplaceFirst(text, suite);
  ReplaceFirst(text, folder);
  return text;
}

std::wstring PackageBoxText(const std::wstring& packagePath) {
  const size_t slash = packagePath.rfind(L'/');
  if (slash == std::wstring::npos || slash < 1) return std::wstring();
  return packagePath.substr(slash + 1);
}

bool DeleteTempFile(FilePort& files, const std::wstring& path) {
  if (!files.FileSize(path)) return true;
  return files.RemoveFile(path);
}

WindowSetup::WindowSetup(WindowKind window, Ports ports, FilePort& files, const Endpoints& endpoints, RunLog& log,
                         RunState& state, UsageReporter& usage)
    : window_(window),
      ports_(ports),
      files_(files),
      endpoints_(endpoints),
      log_(log),
      state_(state),
      usage_(usage),
      detector_(ports.devices, ports.registry, log),
      selection_(window, ports, endpoints, state, detector_) {}

std::optional<NoticeExit> WindowSetup::LoadCaptionsAndProbe() {
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

void WindowSetup::TakeCaptions() {
  const CaptionControls& controls = sectioned() ? kSectionedControls : kClassicControls;
  if (sectioned()) {
    // The sectioned window reads its table again once the run log is there,
    // then the feature names of the header table.
    captions_.clear();
    CaptionWalk walk;
    captionTablePath_ =
        ExtractLocalizedXML(ports_.resources, texts_.languageCode, ports_.system.TempPath(), &detector_);
    LoadCaptionMap(ports_.xml, walk, captions_, captionTablePath_);
  }
  for (const auto& [id, caption] : captions_) {
    switch (id) {
      case caption_keys::kGraphicsLabel: texts_.controlTexts.emplace_back(controls.graphicsLabel, caption); break;
      case caption_keys::kSystemLabel: texts_.controlTexts.emplace_back(controls.systemLabel, caption); break;
      case caption_keys::kProcessorLabel: texts_.controlTexts.emplace_back(controls.processorLabel, caption); break;
      case caption_keys::kBestDriverLabel: texts_.controlTexts.emplace_back(controls.driverLabel, caption); break;
      case caption_keys::kDriverAlreadyExists: texts_.driverCurrent = caption; break;
      case caption_keys::kDownloadCancelled: texts_.cancelled = caption; break;
      case caption_keys::kNoDriver: texts_.noHardware = caption; break;
      case caption_keys::kNoConnection: texts_.noConnection = caption; break;
      case caption_keys::kDownloadComplete: texts_.downloadComplete = caption; break;
      case caption_keys::kNotVerified: texts_.notVerified = caption; break;
      case caption_keys::kChipsetLink:
        if (std::wstring link = ChipsetLinkText(caption, endpoints_); !link.empty()) {
          texts_.controlTexts.emplace_back(controls.chipsetLink, std::move(link));
        }
        break;
      case caption_keys::kTargetLine:
        texts_.targetLine = TargetLineText(caption, controls.suite, ports_.system.TempPath());
        break;
      default: break;
    }
  }
  if (!sectioned()) return;
  const std::wstring headerPath =
      ExtractLocalizedHeaderXML(ports_.resources, texts_.languageCode, ports_.system.TempPath(), detector_);
  CaptionMap headers;
  CaptionWalk walk;
  LoadCaptionMap(ports_.xml, walk, headers, headerPath);
  for (const auto& [key, control] : kHeaderControls) {
    if (auto found = headers.find(key); found != headers.end()) texts_.controlTexts.emplace_back(control, found->second);
  }
}

std::optional<NoticeExit> WindowSetup::Prepare() {
  if (detector_.CreateLog()) log_.Enable();
  if (!DownloadDriverCatalogue(ports_, endpoints_, log_, source_)) return NoticeExit{texts_.noConnection, L""};

  std::vector<AdapterInfo> vendorAdapters;
  std::vector<AdapterInfo> otherAdapters;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  detector_.DetectAdapters(vendorAdapters, otherAdapters, otherDescription, hardwareIds);
  selection_.ChooseDevice(vendorAdapters, hardwareIds);
  // The framework requirement decides between the full package and the others.
  if (IsNetFrameworkRequired(GetInstalledDotNetVersion(ports_.registry), detector_)) {
    state_.netFrameworkRequired = true;
  }

  OsVersionInfo version;
  OsNames names;
  if (GetOsVersionInfo(ports_.system, version)) GetOsNames(version, names);
  usage_.values().osShortName = names.shortName;
  usage_.values().bitnessText = names.bitnessText;

  TakeCaptions();

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
  if (selection_.CheckVersions()) {
    // The classic window ends there; the sectioned one says so and opens
    // with Download Now disabled.
    NoticeExit current{texts_.driverCurrent, texts_.labelValue};
    if (!sectioned()) return current;
    driverCurrentNotice_ = std::move(current);
  }
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
    if (sectioned() && !description.empty()) state_.graphicsNameFromAdapter = true;
  }
  // The classic window's tooltip names the adapter even where the box shows
  // the label; the sectioned window's shows what the box shows.
  texts_.graphicsTip = sectioned() ? texts_.graphics : (description.empty() ? texts_.labelValue : description);

  if (sectioned()) {
    FeatureReader reader(ports_.xml);
    features_ = LoadFeatureOffers(reader, detector_, ports_.system, endpoints_, state_);
  }

  DeleteTempFile(files_, source_.catalogueFilePath);
  DeleteTempFile(files_, captionTablePath_);
  DeleteTempFile(files_, ports_.system.TempPath() + L"CompatibleFeatures.xml");
  return std::nullopt;
}

}  // namespace quillo
