#include "notices/error_notice.h"

#include "catalog/xml_passes.h"
#include "detect/adapters.h"
#include "detect/installed.h"
#include "detect/system.h"
#include "i18n/caption_keys.h"
#include "i18n/language.h"
#include "i18n/tables.h"

namespace quillo {
namespace {

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

const std::wstring& FirstNonEmpty(const std::wstring& a, const std::wstring& b) { return a.empty() ? b : a; }

// The system's name and the manual-download page for it (empty: none);
// false for a version the notice does not name.
bool NameSystem(const std::optional<OsVersionInfo>& version, bool appleHardwareMode, std::wstring& name,
                std::wstring& page) {
  if (!version) return false;
  const std::wstring bitness = version->is64BitSystem ? L" 64-bit" : L" 32-bit";
  const uint32_t major = version->major;
  const uint32_t minor = version->minor;
  if (major <= 5) {
    name = L"Windows XP" + bitness;
    page = L"/en-us/download/desktop?os=Windows%20XP%20-%20Professional/Home&RenderOnServer=true";
  } else if (major == 6 && minor == 0) {
    name = appleHardwareMode ? std::wstring(L"Windows Vista") : L"Windows Vista" + bitness;
    page = version->is64BitSystem ? L"/en-us/download/desktop?os=Windows%20Vista%20-%2064"
                                  : L"/en-us/download/desktop?os=Windows%20Vista%20-%2032";
  } else if (major == 6 && minor == 1) {
    name = L"Windows 7" + bitness;
  } else if (major == 6 && minor == 2) {
    name = L"Windows 8" + bitness;
  } else if (major == 6 && minor == 3) {
    name = L"Windows 8.1" + bitness;
  } else if (major == 10 && minor == 0) {
    name = L"Windows 10" + bitness;
  } else {
    return false;
  }
  return true;
}

}  // namespace

NoticeTexts PrepareNotice(const Ports& ports, RunLog& log, const Endpoints& endpoints, NoticeState& state,
                          const NoticeRequest& request) {
  NoticeTexts texts;
  DisplayDetector detector(ports.devices, ports.registry, log);
  if (detector.CreateLog()) log.Enable();

  // A failed version query names no system: the record would otherwise be
  // all zeros and read as Windows XP.
  std::optional<OsVersionInfo> version = OsVersionInfo{};
  if (!GetOsVersionInfo(ports.system, *version)) version.reset();

  std::vector<AdapterInfo> vendorAdapters;
  std::vector<AdapterInfo> otherAdapters;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  detector.DetectAdapters(vendorAdapters, otherAdapters, otherDescription, hardwareIds);

  // The caption table of the user's language; its file stays in the temporary folder.
  const std::wstring code = GetLanguageCode(ports.system.UserDefaultUiLanguage());
  const std::wstring table = ExtractLocalizedXML(ports.resources, code, ports.system.TempPath(), nullptr);
  CaptionMap captions;
  CaptionWalk walk;
  LoadCaptionMap(ports.xml, walk, captions, table);
  std::wstring noHardwareText;
  std::wstring unsupportedText;
  for (const auto& [id, text] : captions) {
    switch (id) {
      case caption_keys::kNoVendorHardware: noHardwareText = text; break;
      case caption_keys::kUnsupportedSystem: unsupportedText = text; break;
      case caption_keys::kTitle: texts.title = text; break;
      case caption_keys::kGraphicsLabel: texts.graphicsLabel = text; break;
      case caption_keys::kSystemLabel: texts.systemLabel = text; break;
      case caption_keys::kProcessorLabel: texts.processorLabel = text; break;
      default: break;
    }
  }

  GetProcessorBrand(ports.system, texts.processor);
  TrimLeadingBlanks(texts.processor);

  std::wstring detectedName;
  if (vendorAdapters.empty()) {
    texts.message = noHardwareText;
    texts.graphics = otherDescription;
    state.noVendorAdapterSeen = true;
    detector.WriteLog(L"Error UI - No Velmora Card is present in the mahcine..\r\n");
  } else if (vendorAdapters.size() == 1) {
    const std::wstring& description = vendorAdapters.front().description;
    if (!Contains(description, L"basicdisplay") && !Contains(description, L"vga") &&
        !Contains(description, L"basic display") && !Contains(description, L"Microsoft")) {
      texts.graphics = description;
      detectedName = description;
    } else {
      texts.graphics = FirstNonEmpty(request.graphicsText, kDefaultGraphicsName);
    }
    detector.WriteLog(L"Error UI - Velmora card is present. But, OS is not supported." + description + L"\r\n");
  } else {
    std::wstring deviceId;
    std::wstring revisionId;
    if (detector.SelectPrimaryAdapter(vendorAdapters, hardwareIds, deviceId, revisionId) != PrimaryRule::kRegistry) {
      deviceId.clear();
    }
    if (IsBasicDriverPresent(ports.devices, detector, deviceId)) {
      texts.graphics = FirstNonEmpty(request.graphicsText, kDefaultGraphicsName);
    } else {
      detector.GetAdapterDescription(deviceId, detectedName);
      texts.graphics = FirstNonEmpty(detectedName, kDefaultGraphicsName);
    }
  }

  std::wstring page;
  if (NameSystem(version, request.appleHardwareMode, texts.system, page)) {
    if (!page.empty() && !request.appleHardwareMode) ports.shell.OpenUrl(L"http://" + endpoints.supportServer + page);
    if (request.hasCustomMessage) {
      texts.message = request.customMessage;
    } else if (!state.noVendorAdapterSeen) {
      texts.message = unsupportedText;
    }
  }
  detector.WriteLog(L"Error UI - OS is " + texts.system + L"\r\n");

  if (state.noVendorAdapterSeen) {
    texts.graphicsTip = otherDescription;
  } else {
    texts.graphicsTip = FirstNonEmpty(FirstNonEmpty(detectedName, request.graphicsText), kDefaultGraphicsName);
  }
  if (request.appleHardwareMode) texts.message = noHardwareText;
  return texts;
}

}  // namespace quillo
