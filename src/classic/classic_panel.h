#pragma once

#include <cstdint>
#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "ports/network.h"
#include "ports/system_info.h"
#include "usage/usage_events.h"

namespace quillo {

// What the classic window's download panel does to its window. The window
// implements it with its controls, its notice and its popup; every call is
// made on the window's thread.
class ClassicPanelView {
 public:
  virtual ~ClassicPanelView() = default;
  // The notice, shown modally, with its message and graphics text.
  virtual void ShowNotice(const std::wstring& message, const std::wstring& graphicsText) = 0;
  // The popup, shown modally, with its message.
  virtual void ShowPopup(const std::wstring& message) = 0;
  virtual void FocusProgress() = 0;
  // No visual theme, a static edge and a white background.
  virtual void RestyleProgress() = 0;
  // The bar colour, the range 0 to `maximum`, and the bar shown.
  virtual void ShowProgress(uint16_t maximum) = 0;
  virtual void SetProgressPosition(int32_t position) = 0;
  // The button's "Download Now" picture (false) or its "Cancel Download" one (true).
  virtual void PaintButton(bool running) = 0;
  virtual void SetTargetLine(const std::wstring& text) = 0;
  virtual void SetStatusLine(const std::wstring& text) = 0;
  // The window repaints the panel's neighbours, and the button too when asked.
  virtual void Repaint(bool withButton) = 0;
  // Starts the download worker; a worker still running from an earlier
  // start finishes before the new one touches the package.
  virtual void StartWorker() = 0;
  // Tells the running worker to stop after its current piece; it shows the
  // cancel in the panel itself.
  virtual void StopWorker() = 0;
  // Lets go of the running worker without waiting for it: it touches neither
  // the window nor the package's installer again.
  virtual void EndWorker() = 0;
};

// The texts the panel shows, of the window's language.
struct ClassicPanelTexts {
  std::wstring noConnection;  // IDS_NO_INET (146)
  std::wstring cancelled;     // IDS_DWLD_CANCELLED (137)
  std::wstring notVerified;   // IDS_NOT_VERIFIED (148)
  std::wstring targetLine;    // 142 with the suite's name and the folder
  std::wstring labelValue;    // the driver record's label: the notice's graphics text
};

// The classic window's download panel: Download Now and its cancel, the
// connection watch while a download runs, and the panel's return to idle
// when the connection is lost or the package fails its signature check.
class ClassicPanel {
 public:
  ClassicPanel(NetworkPort& network, SystemInfoPort& system, const Endpoints& endpoints, RunLog& log,
               RunState& state, UsageReporter& usage, ClassicPanelView& view)
      : network_(network), system_(system), endpoints_(endpoints), log_(log), state_(state), usage_(usage),
        view_(view) {}

  ClassicPanelTexts texts;
  // The low 16 bits of the package's size in megabytes: the progress range.
  uint16_t progressMaximum = 0;

  // The button (1061): starts a download, or cancels the running one.
  void OnButton();
  // Timer 1, once a second.
  void OnTimer();
  // The window was closed while a download had been started in this run.
  void OnDownloadCancelled();
  // The worker's package failed its signature check and was removed.
  void OnNotVerified();

  // The worker has ended its download and put the button's download picture back.
  void OnDownloadEnded() { downloadRunning_ = false; }

  bool downloadRunning() const { return downloadRunning_; }
  bool startRequested() const { return startRequested_; }
  bool cancelRequested() const { return cancelRequested_; }

 private:
  void ReportConnectionLost();

  NetworkPort& network_;
  SystemInfoPort& system_;
  const Endpoints& endpoints_;
  RunLog& log_;
  RunState& state_;
  UsageReporter& usage_;
  ClassicPanelView& view_;

  bool downloadRunning_ = false;
  bool cancelRequested_ = false;
  bool startRequested_ = false;
  bool connectionLossHandled_ = false;
};

// The message the classic window posts itself when it closes while a
// download has been started in this run.
inline constexpr uint32_t kDownloadCancelledMessage = 0x466;

}  // namespace quillo
