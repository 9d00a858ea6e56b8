#include "usage/usage_events.h"

#include "detect/system.h"

namespace quillo {
namespace {

enum class Cd2 { kNone, kDriver, kFixedDriver, kGuide, kWavehand, kSmilekey };

struct EventLabels {
  const wchar_t* dt;
  const wchar_t* ea;
  const wchar_t* el;
  const wchar_t* action;
  Cd2 cd2;
  const wchar_t* guideWord;  // for Cd2::kGuide
};

// The labels of events 0 to 14; number 2 is the survey query and has none.
constexpr EventLabels kEvents[] = {
    {L"qlo-appstarted", L"qlo-appstarted", L"qlo-appstarted", L"appstarted", Cd2::kNone, nullptr},
    {L"qlo-driverdownload", L"qlo-dlstart", L"qlo-driverdownload", L"dlstart", Cd2::kDriver, nullptr},
    {nullptr, nullptr, nullptr, nullptr, Cd2::kNone, nullptr},
    {L"qlo-installing", L"qlo-installing", L"qlo-driverinstall", L"installing", Cd2::kDriver, nullptr},
    {L"qlo-stillshot", L"qlo-clicklink", L"qlo-stillshot", L"stillshot", Cd2::kGuide, L"clearframeguide"},
    {L"qlo-rapidlineguide", L"qlo-clicklink", L"qlo-rapidlineguide", L"rapidline", Cd2::kGuide, L"rapidlineguide"},
    {L"qlo-wavehandguide", L"qlo-installing", L"qlo-wavehandguide", L"wavehand", Cd2::kGuide, L"wavehandguide"},
    {L"qlo-smilekeyguide", L"qlo-installing", L"qlo-smilekeyguide", L"smilekey", Cd2::kGuide, L"smilekeyguide"},
    {L"qlo-castwell", L"qlo-clicklink", L"qlo-castwell", L"castwell", Cd2::kGuide, L"castwellguide"},
    {L"qlo-footenotes", L"qlo-clicklink", L"qlo-castwellmslink", L"castwellmslink", Cd2::kNone, nullptr},
    {L"qlo-footenotes", L"qlo-clicklink", L"qlo-footenotes", L"footnotes", Cd2::kNone, nullptr},
    {L"qlo-chipset", L"qlo-clicklink", L"qlo-chipset", L"chipset", Cd2::kNone, nullptr},
    {L"qlo-rapidline", L"qlo-clicklink", L"qlo-rapidline", L"rapidline", Cd2::kFixedDriver, nullptr},
    {L"qlo-wavehand", L"qlo-installing", L"qlo-wavehand", L"wavehand", Cd2::kWavehand, nullptr},
    {L"qlo-smilekey", L"qlo-installing", L"qlo-smilekey", L"smilekey", Cd2::kSmilekey, nullptr},
};

constexpr wchar_t kBar[] = L"%7C";

// Each ID followed by an escaped bar, padded to three bars.
std::wstring BarList(const std::vector<std::wstring>& ids) {
  std::wstring text;
  for (const std::wstring& id : ids) text += id + kBar;
  for (size_t n = ids.size(); n < 3; ++n) text += kBar;
  return text;
}

// "vid1=...&vid2=...&", padded with NULL=NULL& to three entries.
std::wstring QueryList(const wchar_t* key, const std::vector<std::wstring>& ids) {
  std::wstring text;
  for (size_t i = 0; i < ids.size(); ++i) text += key + std::to_wstring(i + 1) + L"=" + ids[i] + L"&";
  for (size_t n = ids.size(); n < 3; ++n) text += L"NULL=NULL&";
  return text;
}

const wchar_t* LogLabel(UsageEvent event) {
  switch (event) {
    case UsageEvent::kAppLaunch: return L"SendAppLaunchEvent";
    case UsageEvent::kDownloadStart: return L"SendDldStartEvent";
    default: return L"SendInstallStartEvent";
  }
}

}  // namespace

std::string NarrowHitPath(const std::wstring& path) {
  std::string narrow;
  narrow.reserve(path.size());
  for (wchar_t unit : path) narrow += static_cast<char>(static_cast<uint8_t>(unit & 0xFF));
  return narrow;
}

void UsageReporter::BuildAdapterIdLists(std::vector<AdapterInfo> adapters) {
  for (const AdapterInfo& adapter : adapters) {
    ids_.vendorIds.push_back(adapter.vendorId);
    ids_.deviceIds.push_back(adapter.deviceId);
  }
  if (!ids_.vendorIds.empty()) {
    ids_.vendorIdList = BarList(ids_.vendorIds);
    ids_.vendorIdQuery = QueryList(L"vid", ids_.vendorIds);
  }
  if (!ids_.deviceIds.empty()) {
    ids_.deviceIdList = BarList(ids_.deviceIds);
    ids_.deviceIdQuery = QueryList(L"did", ids_.deviceIds);
  }
}

void UsageReporter::RefreshProcessorBrand(SystemInfoPort& system) {
  std::wstring brand;
  GetProcessorBrand(system, brand);
  TrimLeadingBlanks(brand);
  values_.processorBrand = brand;
}

std::wstring UsageReporter::SurveyQuery() const {
  return L"cpu=" + values_.processorBrand + L"&" + ids_.vendorIdQuery + ids_.deviceIdQuery + values_.osShortName +
         L"&" + values_.bitnessText + L"&" + values_.languageCode + L"&" + L"driver=" + values_.packageFileName;
}

void UsageReporter::BuildEventPath(uint32_t event, std::wstring& path) const {
  if (event >= std::size(kEvents)) return;
  if (event == static_cast<uint32_t>(UsageEvent::kSurveyQuery)) {
    path = SurveyQuery();
    return;
  }
  const EventLabels& labels = kEvents[event];
  const std::wstring site = L"http%3A%2F%2F";
  std::wstring cd2;
  switch (labels.cd2) {
    case Cd2::kNone: break;
    case Cd2::kDriver: cd2 = site + endpoints_.downloadServer + L"%2Fdrivers%2F" + values_.packageFileName; break;
    case Cd2::kFixedDriver: cd2 = site + endpoints_.downloadServer + L"%2Fdrivers%2F" + L"rlx.exe"; break;
    case Cd2::kGuide: cd2 = site + endpoints_.vendorWebSite + L"%2F" + labels.guideWord + L"%2Fen-us"; break;
    case Cd2::kWavehand: cd2 = site + endpoints_.vendorWebSite + L"%2F" + values_.wavehandRequestPath; break;
    case Cd2::kSmilekey: cd2 = site + endpoints_.vendorWebSite + L"%2F" + values_.smilekeyRequestPath; break;
  }
  std::wstring built =
      L"/r/collect?v=1&_v=j33&aip=0&a=153463489&t=event&ni=0&_s=1&dl=http%3A%2F%2Fqlo-application/&ul=en-us"
      L"&de=UTF-8&dt=";
  built += labels.dt;
  built += L"&ec=qlo-application&ea=";
  built += labels.ea;
  built += L"&el=";
  built += labels.el;
  built += L"&cid=314159265.1358979323&tid=UA-27182818-1";
  built += L"&cd1=http%3A%2F%2Fqlo-application/%3Faction%3D";
  built += labels.action;
  if (labels.cd2 != Cd2::kNone) built += L"&cd2=" + cd2;
  built += L"&cd3=qlo-application&cd37=" + ids_.deviceIdList;
  built += L"&cd38=" + ids_.vendorIdList;
  built += L"&cd42=" + values_.processorBrand;
  built += L"&cd43=" + values_.osShortName;
  built += L"&cd44=" + values_.bitnessText;
  built += L"&cd45=" + values_.languageCode;
  built += L"&z=1640792571";
  path = std::move(built);
}

uint32_t UsageReporter::SendUsageHit(const std::string& path) {
  HttpTarget target;
  target.host = endpoints_.analyticsCollector;
  target.port = 80;
  for (char c : path) target.path += static_cast<wchar_t>(static_cast<uint8_t>(c));
  target.acceptTypes = {L"Accept: */*"};
  target.narrowCalls = true;
  target.timeoutMs = kHitTimeoutMs;
  HttpOpenResult opened = network_.OpenRequest(target);
  if (!opened.request) return opened.error;
  opened.request->AddHeaders(L"Accept: */*\r\n", HeaderMode::kReplace);
  if (const uint32_t error = opened.request->Send(); error != 0) return error;
  return opened.request->StatusCode().value_or(0);
}

void UsageReporter::Send(UsageEvent event) {
  std::wstring path;
  BuildEventPath(static_cast<uint32_t>(event), path);
  SendUsageHit(NarrowHitPath(path));
  log_.Write(std::wstring(LogLabel(event)) + L" - sending event params..." + path + L"\r\n");
}

}  // namespace quillo
