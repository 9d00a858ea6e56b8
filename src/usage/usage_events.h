#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "detect/adapters.h"
#include "ports/network.h"
#include "ports/system_info.h"

namespace quillo {

// The usage events the utility reports, by their number. Number 2 is not an
// event: BuildEventPath gives the survey query for it.
enum class UsageEvent : uint32_t {
  kAppLaunch = 0,
  kDownloadStart = 1,
  kSurveyQuery = 2,
  kInstallStart = 3,
  kStillshotGuide = 4,
  kRapidlineGuide = 5,
  kWavehandGuide = 6,
  kSmilekeyGuide = 7,
  kCastwellGuide = 8,
  kNotesLink = 9,
  kFootNotes = 10,
  kChipset = 11,
  kRapidlineDownload = 12,
  kWavehandDownload = 13,
  kSmilekeyDownload = 14,
};

// What the hits say about the machine and the offer. The window sets these
// during its initialisation, before the first hit that reads them; they go
// into the hits exactly as they stand, without percent-encoding.
struct UsageValues {
  std::wstring processorBrand;   // cd42, and the survey's cpu=
  std::wstring osShortName;      // cd43: "Windows10"
  std::wstring bitnessText;      // cd44: "64" or "32"
  std::wstring languageCode;     // cd45: "ENU"
  std::wstring packageFileName;  // the driver package: events 1 and 3, the survey's driver=
  std::wstring wavehandRequestPath;  // feature 3's request path ("/..."): event 13
  std::wstring smilekeyRequestPath;  // feature 4's request path: event 14
};

// The texts that describe the maker's adapters in the hits and the survey.
struct AdapterIdTexts {
  // Every adapter's IDs handed in so far, in order; they only grow.
  std::vector<std::wstring> vendorIds;
  std::vector<std::wstring> deviceIds;
  std::wstring vendorIdList;   // cd38: "1FA2%7C%7C%7C"
  std::wstring deviceIdList;   // cd37: "7A10%7C%7C%7C"
  std::wstring vendorIdQuery;  // survey: "vid1=1FA2&NULL=NULL&NULL=NULL&"
  std::wstring deviceIdQuery;  // survey: "did1=7A10&NULL=NULL&NULL=NULL&"
};

// The analytics hits: their paths, the exchange with the collection host and
// the sending operations the windows call. The program creates one for the
// run; every hit is sent synchronously on the caller's thread and followed
// by one run-log record, whatever the exchange gave.
class UsageReporter {
 public:
  // How long one stage of a hit's exchange (connecting, sending, waiting for
  // the answer) may take before the hit is given up, in milliseconds: a
  // collection host that is unreachable or silent must not hold the window.
  static constexpr uint32_t kHitTimeoutMs = 1000;

  UsageReporter(NetworkPort& network, const Endpoints& endpoints, RunLog& log)
      : network_(network), endpoints_(endpoints), log_(log) {}

  UsageValues& values() { return values_; }
  const UsageValues& values() const { return values_; }
  const AdapterIdTexts& adapterIds() const { return ids_; }

  // Adds the adapters' IDs to the run's lists and rebuilds the four texts;
  // a text whose list is still empty keeps what it held.
  void BuildAdapterIdLists(std::vector<AdapterInfo> adapters);

  // The path and query of the hit for `event` (0, 1, 3 to 14), or the survey
  // query for 2. Any other number leaves `path` as it was.
  void BuildEventPath(uint32_t event, std::wstring& path) const;

  // Reads the processor brand again (without its leading blanks), as the
  // notes control does before it sends its link event.
  void RefreshProcessorBrand(SystemInfoPort& system);

  // The survey query: the machine and the offered driver.
  std::wstring SurveyQuery() const;

  // One GET of `path` on the collection host over the narrow WinINet calls:
  // the HTTP status of the answer, or the system's error code when there is
  // none.
  uint32_t SendUsageHit(const std::string& path);

  // The sending operations, one per event.
  void SendAppLaunchEvent() { Send(UsageEvent::kAppLaunch); }
  void SendDldStartEvent() { Send(UsageEvent::kDownloadStart); }
  void SendInstallStartEvent() { Send(UsageEvent::kInstallStart); }
  void SendStillshotGuideEvent() { Send(UsageEvent::kStillshotGuide); }
  void SendRapidlineGuideEvent() { Send(UsageEvent::kRapidlineGuide); }
  void SendWavehandGuideEvent() { Send(UsageEvent::kWavehandGuide); }
  void SendSmilekeyGuideEvent() { Send(UsageEvent::kSmilekeyGuide); }
  void SendCastwellGuideEvent() { Send(UsageEvent::kCastwellGuide); }
  void SendNotesLinkEvent() { Send(UsageEvent::kNotesLink); }
  void SendFootNotesEvent() { Send(UsageEvent::kFootNotes); }
  void SendChipsetEvent() { Send(UsageEvent::kChipset); }
  void SendRapidlineDownloadEvent() { Send(UsageEvent::kRapidlineDownload); }
  void SendWavehandDownloadEvent() { Send(UsageEvent::kWavehandDownload); }
  void SendSmilekeyDownloadEvent() { Send(UsageEvent::kSmilekeyDownload); }

  // Builds the hit for `event`, sends it and writes its log record.
  void Send(UsageEvent event);

 private:
  NetworkPort& network_;
  const Endpoints& endpoints_;
  RunLog& log_;
  UsageValues values_;
  AdapterIdTexts ids_;
};

// The narrow form of a hit's path: the low 8 bits of each UTF-16 unit.
std::string NarrowHitPath(const std::wstring& path);

}  // namespace quillo
