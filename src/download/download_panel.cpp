#include "download/download_panel.h"

#include <string>

namespace quillo {
namespace {

// Seconds since local midnight.
int32_t SecondOfDay(const LocalTime& now) { return now.hour * 3600 + now.minute * 60 + now.second; }

constexpr wchar_t kConnectionLostRecord[] =
    L"ThrowInternetError - lInternet Connection is lost. Throwing error dialog to user for his attention...";

// The feature downloads of the sectioned window, by worker kind.
constexpr DownloadKind kFeatureKinds[] = {DownloadKind::kRapidline, DownloadKind::kWavehand, DownloadKind::kSmilekey};

}  // namespace

DownloadPanel::DownloadPanel(PanelWindow window, NetworkPort& network, SystemInfoPort& system,
                             const Endpoints& endpoints, RunLog& log, RunState& state, UsageReporter& usage,
                             DownloadPanelView& view)
    : window_(window),
      network_(network),
      system_(system),
      endpoints_(endpoints),
      log_(log),
      state_(state),
      usage_(usage),
      view_(view),
      running_(window == PanelWindow::kClassic ? classicRunning_ : state.driverDownloading) {}

void DownloadPanel::OnButton() {
  startRequested_ = VendorWebSiteReachable(network_, endpoints_);
  if (!running_) {
    Start();
  } else if (startRequested_) {
    Cancel();
  }
  // Without a connection a cancel is ignored and the download goes on.
}

void DownloadPanel::OnTimer() {
  if (!AnyDownloadRunning()) return;
  if (++state_.connectivityTickCounter < 10) return;
  state_.connectivityTickCounter = 0;
  if (VendorWebSiteReachable(network_, endpoints_) || connectionLossHandled_) return;
  connectionLossHandled_ = true;
  startRequested_ = false;
  view_.SetProgressPosition(0);
  view_.SetStatusLine(L"");
  RecoverFromLostConnection();
}

void DownloadPanel::OnDownloadCancelled() {
  log_.Write(L"OnDownloadCancelled - Cancelled the download process");
  view_.SetProgressPosition(0);
}

void DownloadPanel::OnNotVerified() {
  // The worker has ended and removed the package: the panel is idle again,
  // and the next press fetches the package anew.
  running_ = false;
  startRequested_ = false;
  view_.SetProgressPosition(0);
  view_.SetStatusLine(L"");
  view_.SetTargetLine(L"");
  view_.RestyleProgress();
  if (!classic()) view_.ShowLines(false);
  ShowIdleButton();
  view_.Repaint(false);
  view_.ShowPopup(texts.notVerified);
  view_.Repaint(true);
}

// Where the two windows differ: what a start, a cancel and the recovery
// from a lost connection show, what the watch looks at, and which of the
// classic window's records they write.

void DownloadPanel::Start() {
  if (!startRequested_) {
    // The classic window's notice names the driver record's label.
    view_.ShowNotice(texts.noConnection, classic() ? texts.labelValue : L"");
    return;
  }
  if (classic()) {
    view_.FocusProgress();
    log_.Write(L"Download is started....");
    state_.classicDownloadActive = true;
    usage_.SendDldStartEvent();
    view_.RestyleProgress();
    view_.ShowProgress(progressMaximum);
    running_ = true;
    cancelRequested_ = false;
    view_.PaintButton(true);
  } else {
    running_ = true;
    cancelRequested_ = false;
    state_.driverDownloadStopped = false;
    view_.SetStatusLine(L"");
    view_.PlaceLinesUnderButton();
    view_.ShowLines(true);
    usage_.SendDldStartEvent();
    view_.PaintButton(true);
  }
  state_.downloadStartTick = system_.TickCount();
  state_.driverStartSecond = SecondOfDay(system_.Now());
  view_.SetTargetLine(texts.targetLine);
  if (classic()) log_.Write(L"Starting the download thread....");
  view_.StartWorker();
}

void DownloadPanel::Cancel() {
  running_ = false;
  cancelRequested_ = true;
  if (classic()) {
    log_.Write(L"Download is Cancelled....");
    view_.SetProgressPosition(0);
    view_.StopWorker();
    view_.PaintButton(false);
    view_.RestyleProgress();
    view_.SetTargetLine(L"");
    view_.SetStatusLine(texts.cancelled);
  } else {
    view_.StopWorker();
    ShowIdleButton();
    view_.SetProgressPosition(0);
    view_.ShowLines(false);
  }
}

bool DownloadPanel::AnyDownloadRunning() const {
  if (classic()) return running_;
  return state_.driverDownloading || state_.rplDownloading || state_.wvhDownloading || state_.smkDownloading;
}

void DownloadPanel::ShowIdleButton() {
  if (classic()) {
    view_.PaintButton(false);
    return;
  }
  // With a feature section open the driver's button is not shown.
  if (sections.driver && !sections.AnyFeature()) {
    view_.PaintButton(false);
  } else {
    view_.HideButton();
  }
  if (state_.driverCurrent) view_.DisableButton();
}

void DownloadPanel::RecoverFromLostConnection() {
  if (classic()) {
    running_ = false;
    view_.EndWorker();
    view_.SetProgressPosition(0);
    view_.SetStatusLine(L"");
    view_.RestyleProgress();
    view_.PaintButton(false);
    log_.Write(kConnectionLostRecord);
    view_.Repaint(false);
    view_.ShowPopup(texts.noConnection);
    view_.Repaint(true);
    connectionLossHandled_ = false;
    return;
  }

  view_.EndWorker();
  if (running_) view_.SetProgressPosition(0);
  // The target line goes with the rest: nothing is being downloaded to it any more.
  view_.ShowLines(false);
  std::array<bool, 3> featureRan{};
  for (size_t i = 0; i < featureRan.size(); ++i) {
    DownloadFlags flags = state_.Flags(kFeatureKinds[i]);
    featureRan[i] = flags.downloading;
    flags.downloading = false;
    flags.stopped = true;
  }
  running_ = false;
  state_.driverDownloadStopped = true;
  ShowIdleButton();
  for (size_t i = 0; i < featureRan.size(); ++i) {
    const int kind = static_cast<int>(i) + 2;
    view_.ResetFeatureDownload(kind, featureRan[i], sections[kind]);
  }
  view_.SetStatusLine(L"");
  view_.RestyleProgress();
  view_.PaintButton(false);
  log_.Write(kConnectionLostRecord);
  view_.ShowPopup(texts.noConnection);
  connectionLossHandled_ = false;
}

}  // namespace quillo
