#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "ports/network.h"
#include "ports/system_info.h"
#include "usage/usage_events.h"

namespace quillo {

// Which sections of a window are open: the driver's and the five features'.
// The classic window has only the driver's, always open.
struct SectionOpen {
  bool driver = true;
  std::array<bool, 5> features{};  // feature 1 to 5
  bool AnyFeature() const {
    for (bool open : features) {
      if (open) return true;
    }
    return false;
  }
  bool operator[](int feature) const { return features[static_cast<size_t>(feature - 1)]; }
  friend bool operator==(const SectionOpen&, const SectionOpen&) = default;
};

// What a download panel does to its window. The window implements it with
// its controls, its notice and its popup; every call is made on the
// window's thread.
class DownloadPanelView {
 public:
  virtual ~DownloadPanelView() = default;
  // The notice, shown modally, with its message and graphics text.
  virtual void ShowNotice(const std::wstring& message, const std::wstring& graphicsText) = 0;
  // The popup, shown modally, with its message.
  virtual void ShowPopup(const std::wstring& message) = 0;
  // No visual theme, a static edge and a white background.
  virtual void RestyleProgress() = 0;
  virtual void SetProgressPosition(int32_t position) = 0;
  // The button's download picture (false) or its cancel one (true); a
  // picture never enables or shows the button.
  virtual void PaintButton(bool running) = 0;
  virtual void SetTargetLine(const std::wstring& text) = 0;
  virtual void SetStatusLine(const std::wstring& text) = 0;
  // The window repaints the panel's neighbours, and the button too when asked.
  virtual void Repaint(bool withButton) = 0;
  // Starts the download worker; a worker still running from an earlier
  // start finishes before the new one touches the package.
  virtual void StartWorker() = 0;
  // Tells the running worker to stop after its current piece.
  virtual void StopWorker() = 0;
  // Lets go of the running driver worker without waiting for it: it touches
  // neither the window nor the package's installer again.
  virtual void EndWorker() = 0;

  // The classic window's only; the sectioned panel never asks for them.
  virtual void FocusProgress() {}
  // The bar colour, the range 0 to `maximum`, and the bar shown.
  virtual void ShowProgress(uint16_t /*maximum*/) {}

  // The sectioned window's only; the classic panel never asks for them.
  // The progress bar and the status line placed under the button.
  virtual void PlaceLinesUnderButton() {}
  // The progress bar, the status line and the target line shown or hidden.
  virtual void ShowLines(bool /*shown*/) {}
  virtual void HideButton() {}
  virtual void DisableButton() {}
  // A feature's installer download (kind 2 to 4) after a lost connection:
  // its progress bar at 0 and hidden when it ran, its status line hidden, and
  // its button with the download picture when its section is open,
  // otherwise hidden.
  virtual void ResetFeatureDownload(int /*kind*/, bool /*wasRunning*/, bool /*sectionOpen*/) {}
};

// The texts the panel shows, of the window's language.
struct DownloadPanelTexts {
  std::wstring noConnection;  // IDS_NO_INET (146)
  std::wstring cancelled;     // IDS_DWLD_CANCELLED (137)
  std::wstring notVerified;   // IDS_NOT_VERIFIED (148)
  std::wstring targetLine;    // 142 with the suite's name and the folder
  std::wstring labelValue;    // the driver record's label
};

// The two windows whose driver download panel this is.
enum class PanelWindow { kClassic, kSectioned };

// The driver download panel of either window: Download Now and its cancel,
// the connection watch while a download runs, the recovery when the
// connection is lost, and the return to idle when the download ends or its
// package fails the signature check. The two windows share every rule but
// the few their panels differ in, which are kept together in the
// implementation ("Where the two windows differ").
class DownloadPanel {
 public:
  DownloadPanel(PanelWindow window, NetworkPort& network, SystemInfoPort& system, const Endpoints& endpoints,
                RunLog& log, RunState& state, UsageReporter& usage, DownloadPanelView& view);

  DownloadPanelTexts texts;
  // The low 16 bits of the package's size in megabytes: the progress range.
  uint16_t progressMaximum = 0;
  // The sectioned window's open sections; the classic window's never change.
  SectionOpen sections;

  // Download Now: starts a download, or cancels the running one.
  void OnButton();
  // Timer 1, once a second.
  void OnTimer();
  // The classic window was closed while a download had been started in this run.
  void OnDownloadCancelled();
  // The worker's package failed its signature check and was removed.
  void OnNotVerified();
  // The worker has ended its download and put the button's download picture back.
  void OnDownloadEnded() { running_ = false; }

  bool downloadRunning() const { return running_; }
  bool startRequested() const { return startRequested_; }
  bool cancelRequested() const { return cancelRequested_; }
  bool connectionLossHandled() const { return connectionLossHandled_; }

 private:
  bool classic() const { return window_ == PanelWindow::kClassic; }
  void Start();
  void Cancel();
  bool AnyDownloadRunning() const;
  void RecoverFromLostConnection();
  void ShowIdleButton();

  PanelWindow window_;
  NetworkPort& network_;
  SystemInfoPort& system_;
  const Endpoints& endpoints_;
  RunLog& log_;
  RunState& state_;
  UsageReporter& usage_;
  DownloadPanelView& view_;

  // The classic window keeps its running flag itself; the sectioned window's
  // is the run's driverDownloading.
  std::atomic<bool> classicRunning_{false};
  std::atomic<bool>& running_;
  bool cancelRequested_ = false;
  bool startRequested_ = false;
  bool connectionLossHandled_ = false;
};

// The message the classic window posts itself when it closes while a
// download has been started in this run.
inline constexpr uint32_t kDownloadCancelledMessage = 0x466;

}  // namespace quillo
