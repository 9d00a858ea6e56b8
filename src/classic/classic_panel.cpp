#include "classic/classic_panel.h"

#include <string>

namespace quillo {
namespace {

// Seconds since local midnight.
int32_t SecondOfDay(const LocalTime& now) { return now.hour * 3600 + now.minute * 60 + now.second; }

}  // namespace

void ClassicPanel::OnButton() {
  if (!downloadRunning_) {
    startRequested_ = VendorWebSiteReachable(network_, endpoints_);
    if (!startRequested_) {
      view_.ShowNotice(texts.noConnection, texts.labelValue);
      return;
    }
    view_.FocusProgress();
    log_.Write(L"Download is started....");
    state_.classicDownloadActive = true;
    usage_.SendDldStartEvent();
    view_.RestyleProgress();
    view_.ShowProgress(progressMaximum);
    downloadRunning_ = true;
    cancelRequested_ = false;
    view_.PaintButton(true);
    state_.downloadStartTick = system_.TickCount();
    state_.driverStartSecond = SecondOfDay(system_.Now());
    view_.SetTargetLine(texts.targetLine);
  } else {
    startRequested_ = VendorWebSiteReachable(network_, endpoints_);
    if (!startRequested_) return;  // without a connection a cancel is ignored
    log_.Write(L"Download is Cancelled....");
    view_.SetProgressPosition(0);
    cancelRequested_ = true;
    view_.StopWorker();
    view_.PaintButton(false);
    downloadRunning_ = false;
    view_.RestyleProgress();
    view_.SetTargetLine(L"");
    view_.SetStatusLine(texts.cancelled);
  }
  if (startRequested_ && !cancelRequested_) {
    log_.Write(L"Starting the download thread....");
    view_.StartWorker();
  }
}

void ClassicPanel::OnTimer() {
  if (!downloadRunning_) return;
  if (++state_.connectivityTickCounter < 10) return;
  state_.connectivityTickCounter = 0;
  if (VendorWebSiteReachable(network_, endpoints_) || connectionLossHandled_) return;
  connectionLossHandled_ = true;
  startRequested_ = false;
  view_.SetProgressPosition(0);
  view_.SetStatusLine(L"");
  ReportConnectionLost();
}

void ClassicPanel::ReportConnectionLost() {
  downloadRunning_ = false;
  view_.EndWorker();
  view_.SetProgressPosition(0);
  view_.SetStatusLine(L"");
  view_.RestyleProgress();
  view_.PaintButton(false);
  log_.Write(L"ThrowInternetError - lInternet Connection is lost. Throwing error dialog to user for his attention...");
  view_.Repaint(false);
  view_.ShowPopup(texts.noConnection);
  view_.Repaint(true);
  connectionLossHandled_ = false;
}

void ClassicPanel::OnDownloadCancelled() {
  log_.Write(L"OnDownloadCancelled - Cancelled the download process");
  view_.SetProgressPosition(0);
}

void ClassicPanel::OnNotVerified() {
  // The worker has ended and removed the package: the panel is idle again,
  // and the next press fetches the package anew.
  downloadRunning_ = false;
  startRequested_ = false;
  view_.SetProgressPosition(0);
  view_.SetStatusLine(L"");
  view_.SetTargetLine(L"");
  view_.RestyleProgress();
  view_.PaintButton(false);
  view_.Repaint(false);
  view_.ShowPopup(texts.notVerified);
  view_.Repaint(true);
}

}  // namespace quillo
