#include "app/run_state.h"

#include <gtest/gtest.h>

#include <thread>

namespace quillo {
namespace {

TEST(RunStateTest, EverythingStartsFalseZeroOrEmpty) {
  const RunState state;
  EXPECT_EQ(state.featureCount, 0);
  for (const auto* flag :
       {&state.cfsAvailable, &state.rplAvailable, &state.wvhAvailable, &state.smkAvailable, &state.cwlAvailable,
        &state.recordFound, &state.minimalSetupOffered, &state.driverCurrent, &state.netFrameworkRequired,
        &state.driverDownloading, &state.rplDownloading, &state.wvhDownloading, &state.smkDownloading,
        &state.driverDownloadStopped, &state.rplDownloadStopped, &state.wvhDownloadStopped,
        &state.smkDownloadStopped, &state.driverDownloadComplete, &state.rplDownloadComplete,
        &state.wvhDownloadComplete, &state.smkDownloadComplete, &state.classicDownloadActive}) {
    EXPECT_FALSE(*flag);
  }
  for (const auto* second :
       {&state.driverStartSecond, &state.rplStartSecond, &state.wvhStartSecond, &state.smkStartSecond}) {
    EXPECT_EQ(*second, 0);
  }
  EXPECT_EQ(state.downloadStartTick, 0u);
  EXPECT_EQ(state.connectivityTickCounter, 0);
  EXPECT_FALSE(state.graphicsNameFromAdapter);
  EXPECT_TRUE(state.homeRects.empty());
}

TEST(RunStateTest, FlagsOfAKindAreThatKindsFields) {
  RunState state;
  struct Case {
    DownloadKind kind;
    std::atomic<bool>* downloading;
    std::atomic<bool>* stopped;
    std::atomic<bool>* complete;
    std::atomic<int32_t>* startSecond;
  };
  const Case cases[] = {
      {DownloadKind::kDriver, &state.driverDownloading, &state.driverDownloadStopped,
       &state.driverDownloadComplete, &state.driverStartSecond},
      {DownloadKind::kRapidline, &state.rplDownloading, &state.rplDownloadStopped, &state.rplDownloadComplete,
       &state.rplStartSecond},
      {DownloadKind::kWavehand, &state.wvhDownloading, &state.wvhDownloadStopped, &state.wvhDownloadComplete,
       &state.wvhStartSecond},
      {DownloadKind::kSmilekey, &state.smkDownloading, &state.smkDownloadStopped, &state.smkDownloadComplete,
       &state.smkStartSecond},
  };
  for (const Case& c : cases) {
    const DownloadFlags flags = state.Flags(c.kind);
    EXPECT_EQ(&flags.downloading, c.downloading);
    EXPECT_EQ(&flags.stopped, c.stopped);
    EXPECT_EQ(&flags.complete, c.complete);
    EXPECT_EQ(&flags.startSecond, c.startSecond);
  }
}

// A worker polls the stop flag after each piece while the window thread sets
// it; the worker must see the store and end.
TEST(RunStateTest, AWorkerSeesTheStopSetByTheWindowThread) {
  RunState state;
  state.smkDownloading = true;
  std::atomic<int> pieces{0};
  std::thread worker([&] {
    while (!state.smkDownloadStopped) {
      ++pieces;
      std::this_thread::yield();
    }
    state.smkDownloading = false;
  });
  while (pieces == 0) std::this_thread::yield();
  state.smkDownloadStopped = true;
  worker.join();
  EXPECT_FALSE(state.smkDownloading);
  EXPECT_GT(pieces, 0);
}

}  // namespace
}  // namespace quillo
