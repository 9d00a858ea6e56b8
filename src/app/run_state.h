#pragma once

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

namespace quillo {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The main window's remembered control rectangles in client coordinates,
// kept in the order they were recorded. A slot is a control ID, or one of
// the extra slots below; the separator is recorded twice, and a lookup
// finds a slot's first record.
class HomeRects {
 public:
  // The feature-5 title and toggle where the layout moved them.
  static constexpr int kMovedCastwellTitle = 0x10000 + 1030;
  static constexpr int kMovedCastwellToggle = 0x10000 + 1031;

  void Record(int slot, const Rect& rect) { slots_.emplace_back(slot, rect); }
  // Overwrites the slot's first record, or records it.
  void Set(int slot, const Rect& rect) {
    for (auto& [key, value] : slots_) {
      if (key == slot) {
        value = rect;
        return;
      }
    }
    Record(slot, rect);
  }
  // The slot's rectangle; an empty one when it was never recorded.
  Rect operator[](int slot) const {
    for (const auto& [key, value] : slots_) {
      if (key == slot) return value;
    }
    return Rect{};
  }
  bool empty() const { return slots_.empty(); }
  const std::vector<std::pair<int, Rect>>& slots() const { return slots_; }
  void clear() { slots_.clear(); }

 private:
  std::vector<std::pair<int, Rect>> slots_;
};

// The downloads the windows run on worker threads.
enum class DownloadKind { kDriver, kRapidline, kWavehand, kSmilekey };

// The flags of one download kind inside RunState, by reference.
struct DownloadFlags {
  std::atomic<bool>& downloading;
  std::atomic<bool>& stopped;
  std::atomic<bool>& complete;
  std::atomic<int32_t>& startSecond;
};

// What the windows, the download workers and the catalogue steps share for
// the whole run. The program creates one and hands it to whoever needs it;
// everything starts false, 0 or empty and is never reset.
//
// One side sets a flag and the other polls it; nothing is updated as a unit.
// The fields the window thread and the workers both touch are atomics so that
// those plain set-and-poll exchanges are well defined.
struct RunState {
  RunState() = default;
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  // Feature applications that fit the machine.
  std::atomic<int32_t> featureCount{0};
  std::atomic<bool> cfsAvailable{false};
  std::atomic<bool> rplAvailable{false};
  std::atomic<bool> wvhAvailable{false};
  std::atomic<bool> smkAvailable{false};
  std::atomic<bool> cwlAvailable{false};

  // The driver catalogue and the installed system.
  std::atomic<bool> recordFound{false};
  std::atomic<bool> minimalSetupOffered{false};
  std::atomic<bool> driverCurrent{false};
  std::atomic<bool> netFrameworkRequired{false};

  // Downloads, per kind.
  std::atomic<bool> driverDownloading{false};
  std::atomic<bool> rplDownloading{false};
  std::atomic<bool> wvhDownloading{false};
  std::atomic<bool> smkDownloading{false};
  std::atomic<bool> driverDownloadStopped{false};
  std::atomic<bool> rplDownloadStopped{false};
  std::atomic<bool> wvhDownloadStopped{false};
  std::atomic<bool> smkDownloadStopped{false};
  std::atomic<bool> driverDownloadComplete{false};
  std::atomic<bool> rplDownloadComplete{false};
  std::atomic<bool> wvhDownloadComplete{false};
  std::atomic<bool> smkDownloadComplete{false};
  // Local time of day in seconds (hour * 3600 + minute * 60 + second) when the download started.
  std::atomic<int32_t> driverStartSecond{0};
  std::atomic<int32_t> rplStartSecond{0};
  std::atomic<int32_t> wvhStartSecond{0};
  std::atomic<int32_t> smkStartSecond{0};

  // System tick count when the driver download started.
  std::atomic<uint32_t> downloadStartTick{0};
  // Timer ticks since the last connectivity probe during a download.
  std::atomic<int32_t> connectivityTickCounter{0};

  // Window-thread only.
  bool graphicsNameFromAdapter = false;
  // Remembered control rectangles of the main window.
  HomeRects homeRects;

  // A download was started in the classic window during this run; never cleared.
  std::atomic<bool> classicDownloadActive{false};

  DownloadFlags Flags(DownloadKind kind) {
    switch (kind) {
      case DownloadKind::kRapidline:
        return {rplDownloading, rplDownloadStopped, rplDownloadComplete, rplStartSecond};
      case DownloadKind::kWavehand:
        return {wvhDownloading, wvhDownloadStopped, wvhDownloadComplete, wvhStartSecond};
      case DownloadKind::kSmilekey:
        return {smkDownloading, smkDownloadStopped, smkDownloadComplete, smkStartSecond};
      case DownloadKind::kDriver:
        break;
    }
    return {driverDownloading, driverDownloadStopped, driverDownloadComplete, driverStartSecond};
  }
};

}  // namespace quillo
