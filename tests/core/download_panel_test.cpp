#include "download/download_panel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/fake_ports.h"
#include "fakes/test_files.h"

namespace quillo {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

const Endpoints kEndpoints{L"web.test", L"support.test", L"dl.test", L"local.test", L"survey.test", L"ga.test"};
constexpr char kSite[] = "http://web.test";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Records what the panel does to its window, one line per call.
class RecordingView final : public DownloadPanelView {
 public:
  std::vector<std::string> calls;
  int workersStarted = 0;
  int workersEnded = 0;
  std::function<void()> duringPopup;  // runs while the popup is open

  void ShowNotice(const std::wstring& message, const std::wstring& graphics) override {
    calls.push_back("notice " + Narrow(message) + " / " + Narrow(graphics));
  }
  void ShowPopup(const std::wstring& message) override {
    calls.push_back("popup " + Narrow(message));
    if (duringPopup) duringPopup();
  }
  void FocusProgress() override { calls.push_back("focus"); }
  void RestyleProgress() override { calls.push_back("restyle"); }
  void ShowProgress(uint16_t maximum) override { calls.push_back("show progress " + std::to_string(maximum)); }
  void SetProgressPosition(int32_t position) override { calls.push_back("position " + std::to_string(position)); }
  void PaintButton(bool running) override { calls.push_back(running ? "button cancel" : "button download"); }
  void SetTargetLine(const std::wstring& text) override { calls.push_back("target " + Narrow(text)); }
  void SetStatusLine(const std::wstring& text) override { calls.push_back("status " + Narrow(text)); }
  void Repaint(bool withButton) override { calls.push_back(withButton ? "repaint with button" : "repaint"); }
  void StartWorker() override {
    calls.push_back("start worker");
    ++workersStarted;
  }
  void StopWorker() override { calls.push_back("stop worker"); }
  void EndWorker() override {
    calls.push_back("end worker");
    ++workersEnded;
  }
  void PlaceLinesUnderButton() override { calls.push_back("place lines"); }
  void ShowLines(bool shown) override { calls.push_back(shown ? "show lines" : "hide lines"); }
  void HideButton() override { calls.push_back("hide button"); }
  void DisableButton() override { calls.push_back("disable button"); }
  void ResetFeatureDownload(int kind, bool wasRunning, bool sectionOpen) override {
    calls.push_back("reset feature " + std::to_string(kind) + (wasRunning ? " ran" : "") +
                    (sectionOpen ? " open" : ""));
  }
};

// One window's panel over the fakes, online or not as the test says.
class PanelTest {
 protected:
  explicit PanelTest(PanelWindow window) : panel_(window, network_, system_, kEndpoints, log_, state_, usage_, view_) {
    const auto folder = std::filesystem::path(testing::TempDir()) / "quillo-download-panel";
    std::filesystem::create_directories(folder);
    system_.tempPath = folder.wstring() + L"/";
    system_.tickCount = 4242;
    system_.now = LocalTime{2026, 12, 10, 9, 30, 15, 0};
    EXPECT_TRUE(log_.Create());
    log_.Enable();
    panel_.texts = {L"No connection", L"Download Cancelled", L"Not verified", L"Suite to C:\\Temp.", L"Velmora X1"};
    panel_.progressMaximum = 431;
  }

  std::string Log() { return fakes::ReadBytes(log_.path()); }
  // The analytics hits sent so far.
  size_t Hits() {
    size_t hits = 0;
    for (const auto& request : network_.requests) hits += request.target.host == kEndpoints.analyticsCollector;
    return hits;
  }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) panel_.OnTimer();
  }

  fakes::FakeNetwork network_;
  fakes::FakeSystemInfo system_;
  RunLog log_{system_};
  RunState state_;
  UsageReporter usage_{network_, kEndpoints, log_};
  RecordingView view_;
  DownloadPanel panel_;
};

class ClassicPanelTest : public PanelTest, public testing::Test {
 protected:
  ClassicPanelTest() : PanelTest(PanelWindow::kClassic) {}
};

TEST_F(ClassicPanelTest, APressWithoutConnectionShowsTheNoticeAndStartsNothing) {
  panel_.OnButton();
  EXPECT_THAT(view_.calls, ElementsAre("notice No connection / Velmora X1"));
  EXPECT_FALSE(panel_.downloadRunning());
  EXPECT_FALSE(state_.classicDownloadActive);
  EXPECT_EQ(Hits(), 0u);
  EXPECT_THAT(Log(), Not(HasSubstr("Download is started")));

  // The connection is back: the same button starts the download.
  network_.reachable.insert(kSite);
  view_.calls.clear();
  panel_.OnButton();
  EXPECT_THAT(view_.calls, ElementsAre("focus", "restyle", "show progress 431", "button cancel",
                                       "target Suite to C:\\Temp.", "start worker"));
  EXPECT_TRUE(panel_.downloadRunning());
  EXPECT_FALSE(panel_.cancelRequested());
  EXPECT_TRUE(state_.classicDownloadActive);
  EXPECT_EQ(state_.downloadStartTick, 4242u);
  EXPECT_EQ(state_.driverStartSecond, 9 * 3600 + 30 * 60 + 15);
  EXPECT_EQ(Hits(), 1u) << "the download-start hit";
  const std::string log = Log();
  EXPECT_LT(log.find("Download is started...."), log.find("SendDldStartEvent - sending event params..."));
  EXPECT_LT(log.find("SendDldStartEvent"), log.find("Starting the download thread...."));
}

TEST_F(ClassicPanelTest, ACancelStopsTheWorkerAndTheNextPressStartsANewOne) {
  network_.reachable.insert(kSite);
  panel_.OnButton();

  // Without a connection a cancel is ignored and the download goes on.
  network_.reachable.clear();
  view_.calls.clear();
  panel_.OnButton();
  EXPECT_THAT(view_.calls, IsEmpty());
  EXPECT_TRUE(panel_.downloadRunning());
  EXPECT_FALSE(panel_.cancelRequested());

  network_.reachable.insert(kSite);
  panel_.OnButton();
  EXPECT_THAT(view_.calls, ElementsAre("position 0", "stop worker", "button download", "restyle", "target ",
                                       "status Download Cancelled"));
  EXPECT_FALSE(panel_.downloadRunning());
  EXPECT_TRUE(panel_.cancelRequested());
  EXPECT_EQ(view_.workersStarted, 1) << "a cancel never starts a worker";
  EXPECT_THAT(Log(), HasSubstr("Download is Cancelled...."));

  panel_.OnButton();
  EXPECT_FALSE(panel_.cancelRequested()) << "the start clears the cancel request";
  EXPECT_EQ(view_.workersStarted, 2);
  EXPECT_TRUE(state_.classicDownloadActive);
}

TEST_F(ClassicPanelTest, ALostConnectionEndsTheWorkerAndTellsTheUserOnce) {
  network_.reachable.insert(kSite);
  state_.connectivityTickCounter = 0;
  panel_.OnButton();
  network_.reachable.clear();
  view_.calls.clear();
  // The timer goes on firing while the popup is open: nothing is reported twice.
  view_.duringPopup = [&] { Ticks(30); };
  Ticks(10);
  EXPECT_THAT(view_.calls, ElementsAre("position 0", "status ", "end worker", "position 0", "status ", "restyle",
                                       "button download", "repaint", "popup No connection", "repaint with button"));
  EXPECT_FALSE(panel_.downloadRunning());
  EXPECT_FALSE(panel_.startRequested());
  EXPECT_EQ(view_.workersEnded, 1);
  EXPECT_THAT(Log(), HasSubstr("ThrowInternetError - lInternet Connection is lost. Throwing error dialog to user for "
                               "his attention..."));

  // Back online, the user can start again.
  network_.reachable.insert(kSite);
  panel_.OnButton();
  EXPECT_TRUE(panel_.downloadRunning());
  EXPECT_EQ(view_.workersStarted, 2);
}

TEST_F(ClassicPanelTest, AnUnverifiedPackageReturnsThePanelToIdleWithThePopup) {
  network_.reachable.insert(kSite);
  panel_.OnButton();
  view_.calls.clear();
  panel_.OnNotVerified();
  EXPECT_THAT(view_.calls, ElementsAre("position 0", "status ", "target ", "restyle", "button download", "repaint",
                                       "popup Not verified", "repaint with button"));
  EXPECT_FALSE(panel_.downloadRunning());

  // The timer no longer watches, and the next press downloads again.
  network_.probes.clear();
  Ticks(20);
  EXPECT_THAT(network_.probes, IsEmpty());
  panel_.OnButton();
  EXPECT_TRUE(panel_.downloadRunning());
  EXPECT_EQ(view_.workersStarted, 2);
}

TEST_F(ClassicPanelTest, ClosingAfterADownloadStartedLogsTheCancel) {
  panel_.OnDownloadCancelled();
  EXPECT_THAT(view_.calls, ElementsAre("position 0"));
  EXPECT_THAT(Log(), HasSubstr("OnDownloadCancelled - Cancelled the download process"));
}

// What both windows' panels do alike.
class BothPanelsTest : public PanelTest, public testing::TestWithParam<PanelWindow> {
 protected:
  BothPanelsTest() : PanelTest(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(Windows, BothPanelsTest, testing::Values(PanelWindow::kClassic, PanelWindow::kSectioned),
                         [](const auto& param) {
                           return std::string(param.param == PanelWindow::kClassic ? "Classic" : "Sectioned");
                         });

TEST_P(BothPanelsTest, TheConnectionIsProbedEveryTenthTickOfADownload) {
  network_.reachable.insert(kSite);
  Ticks(25);
  EXPECT_THAT(network_.probes, IsEmpty()) << "no download, no probe";

  panel_.OnButton();
  network_.probes.clear();
  Ticks(9);
  EXPECT_THAT(network_.probes, IsEmpty());
  Ticks(1);
  EXPECT_THAT(network_.probes, ElementsAre(kSite));
  Ticks(10);
  EXPECT_EQ(network_.probes.size(), 2u);
  EXPECT_TRUE(panel_.downloadRunning());
}

// A lost connection is handled once while its popup is open, and afterwards
// the same button starts a new download.
TEST_P(BothPanelsTest, ALostConnectionIsHandledOnceAndThePanelCanStartAgain) {
  network_.reachable.insert(kSite);
  panel_.OnButton();
  network_.reachable.clear();
  int popups = 0;
  view_.duringPopup = [&] {
    ++popups;
    EXPECT_TRUE(panel_.connectionLossHandled());
    Ticks(30);
  };
  Ticks(10);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(view_.workersEnded, 1);
  EXPECT_FALSE(panel_.downloadRunning());
  EXPECT_FALSE(panel_.connectionLossHandled()) << "cleared once the popup closed";

  network_.reachable.insert(kSite);
  panel_.OnButton();
  EXPECT_TRUE(panel_.downloadRunning());
  EXPECT_EQ(view_.workersStarted, 2);
}

// Once the worker has finished and shows "Download Now" again, a press
// starts a new download instead of cancelling one that has ended, and the
// connection watch stops.
TEST_P(BothPanelsTest, APressAfterTheDownloadEndedStartsAnew) {
  network_.reachable.insert(kSite);
  panel_.OnButton();
  panel_.OnDownloadEnded();
  network_.probes.clear();
  Ticks(20);
  EXPECT_THAT(network_.probes, IsEmpty());
  view_.calls.clear();
  panel_.OnButton();
  EXPECT_EQ(view_.workersStarted, 2);
  EXPECT_THAT(view_.calls, testing::Contains("button cancel"));
  EXPECT_THAT(view_.calls, Not(testing::Contains("stop worker")));
}

// The sectioned window's driver panel: its lines under the button, the
// button hidden while a feature section is open, and the recovery that
// resets the feature downloads too.
class SectionedPanelTest : public PanelTest, public testing::Test {
 protected:
  SectionedPanelTest() : PanelTest(PanelWindow::kSectioned) {}
};

TEST_F(SectionedPanelTest, AStartPlacesTheLinesUnderTheButtonAndStartsTheDriverWorker) {
  panel_.OnButton();
  EXPECT_THAT(view_.calls, ElementsAre("notice No connection / ")) << "the sectioned notice has no graphics text";
  EXPECT_FALSE(state_.driverDownloading);

  network_.reachable.insert(kSite);
  state_.driverDownloadStopped = true;  // an earlier cancel
  view_.calls.clear();
  panel_.OnButton();
  EXPECT_THAT(view_.calls, ElementsAre("status ", "place lines", "show lines", "button cancel",
                                       "target Suite to C:\\Temp.", "start worker"));
  EXPECT_TRUE(state_.driverDownloading);
  EXPECT_FALSE(state_.driverDownloadStopped);
  EXPECT_FALSE(state_.classicDownloadActive) << "the classic window's flag only";
  EXPECT_EQ(state_.downloadStartTick, 4242u);
  EXPECT_EQ(state_.driverStartSecond, 9 * 3600 + 30 * 60 + 15);
  EXPECT_EQ(Hits(), 1u) << "the download-start hit";
  EXPECT_THAT(Log(), Not(HasSubstr("Download is started"))) << "the classic window's records only";
}

TEST_F(SectionedPanelTest, ACancelPutsTheButtonBackOnlyWhereTheDriverSectionIsTheOpenOne) {
  struct Case {
    const char* name;
    SectionOpen sections;
    bool driverCurrent;
    std::vector<std::string> calls;
  };
  SectionOpen featureOpen;
  featureOpen.driver = false;
  featureOpen.features[1] = true;
  SectionOpen allClosed;
  allClosed.driver = false;
  const std::vector<Case> cases = {
      {"driver open", SectionOpen{}, false, {"stop worker", "button download", "position 0", "hide lines"}},
      {"Rapidline open", featureOpen, false, {"stop worker", "hide button", "position 0", "hide lines"}},
      {"all closed", allClosed, false, {"stop worker", "hide button", "position 0", "hide lines"}},
      {"driver current",
       SectionOpen{},
       true,
       {"stop worker", "button download", "disable button", "position 0", "hide lines"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state_.driverCurrent = c.driverCurrent;
    panel_.sections = SectionOpen{};
    network_.reachable.insert(kSite);
    panel_.OnButton();
    ASSERT_TRUE(state_.driverDownloading);

    // Without a connection the cancel is ignored.
    network_.reachable.clear();
    view_.calls.clear();
    panel_.OnButton();
    EXPECT_THAT(view_.calls, IsEmpty());
    EXPECT_TRUE(state_.driverDownloading);

    network_.reachable.insert(kSite);
    panel_.sections = c.sections;
    panel_.OnButton();
    EXPECT_EQ(view_.calls, c.calls);
    EXPECT_FALSE(state_.driverDownloading);
  }
}

TEST_F(SectionedPanelTest, TheWatchRunsWhileAnyKindDownloads) {
  network_.reachable.insert(kSite);
  state_.smkDownloading = true;  // a feature installer, with no driver download
  Ticks(10);
  EXPECT_THAT(network_.probes, ElementsAre(kSite));
}

TEST_F(SectionedPanelTest, ALostConnectionResetsEveryDownloadAndKeepsACurrentDriverDisabled) {
  network_.reachable.insert(kSite);
  panel_.OnButton();
  state_.smkDownloading = true;
  state_.driverCurrent = true;
  panel_.sections.driver = false;  // the Smilekey section is open
  panel_.sections.features[3] = true;
  network_.reachable.clear();
  view_.calls.clear();
  Ticks(10);
  EXPECT_THAT(view_.calls,
              ElementsAre("position 0", "status ", "end worker", "position 0", "hide lines", "hide button",
                          "disable button", "reset feature 2", "reset feature 3", "reset feature 4 ran open",
                          "status ", "restyle", "button download", "popup No connection"));
  for (DownloadKind kind :
       {DownloadKind::kDriver, DownloadKind::kRapidline, DownloadKind::kWavehand, DownloadKind::kSmilekey}) {
    const DownloadFlags flags = state_.Flags(kind);
    EXPECT_FALSE(flags.downloading);
    EXPECT_TRUE(flags.stopped);
  }
  EXPECT_THAT(Log(), HasSubstr("ThrowInternetError - lInternet Connection is lost. Throwing error dialog to user for "
                               "his attention..."));
}

TEST_F(SectionedPanelTest, AnUnverifiedPackageLeavesThePanelIdle) {
  network_.reachable.insert(kSite);
  panel_.OnButton();
  state_.driverDownloading = false;  // as the worker leaves it
  view_.calls.clear();
  panel_.OnNotVerified();
  EXPECT_THAT(view_.calls, ElementsAre("position 0", "status ", "target ", "restyle", "hide lines", "button download",
                                       "repaint", "popup Not verified", "repaint with button"));
  EXPECT_FALSE(panel_.downloadRunning());
}

}  // namespace
}  // namespace quillo
