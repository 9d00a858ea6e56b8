#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "app/window_setup.h"
#include "classic/classic_controls.h"
#include "download/download_panel.h"
#include "download/download_worker.h"
#include "notices/error_notice.h"
#include "ports/files.h"
#include "ports/ports.h"
#include "ports/signature.h"
#include "ui/classic/web_explorer_win32.h"
#include "ui/common/controls_win32.h"
#include "ui/common/driver_workers_win32.h"
#include "ui/common/dialog.h"
#include "ui/common/popup_win32.h"
#include "ui/common/window_context.h"
#include "usage/usage_events.h"

namespace quillo::ui {

// The window for machines without feature applications: the detected
// hardware and system, the best driver with its Download Now button,
// progress and status, and the vendor's page below.
//
// A failed initialisation (no connection, no catalogue, no driver for the
// adapter, the driver already current) shows the notice and ends the process.
class OldUIDialog : public Dialog, private DownloadPanelView {
 public:
  OldUIDialog(HINSTANCE instance, WindowContext context);
  ~OldUIDialog() override;

  // How a failed initialisation ends the process; tests replace it.
  std::function<void(UINT exitCode)> exitProcess = [](UINT code) { ExitProcess(code); };

  const DownloadPanel& panel() const { return panel_; }
  const WindowSetup& setup() const { return setup_; }
  HWND tooltip() const { return tooltip_; }
  CPopupDialog& popup() { return popup_; }
  // The browser control shows the vendor's page.
  CWeb_explorer& browser() { return browser_; }

 protected:
  bool PreTranslateMessage(MSG& message) override;
  bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog(WPARAM, LPARAM);
  LRESULT OnCtlColor(WPARAM, LPARAM);
  LRESULT OnNcPaint(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  // Activation, key-up, click and show: the controls are repainted.
  LRESULT OnRepaintEvent(WPARAM, LPARAM);
  LRESULT OnNcActivate(WPARAM, LPARAM);
  LRESULT OnSysCommand(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnNotify(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnDownloadCancelled(WPARAM, LPARAM);
  LRESULT OnDownloadButton(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnWorkerCall(WPARAM, LPARAM);

  // Ends the process after the notice, as a failed initialisation does.
  void ExitWithNotice(const NoticeExit& exit);
  // Invalidates the panel's controls so the custom-drawn ones and the page
  // stay painted; the progress bar takes the focus.
  void RepaintControls();
  void ReleaseResources();

  // DownloadPanelView
  void ShowNotice(const std::wstring& message, const std::wstring& graphicsText) override;
  void ShowPopup(const std::wstring& message) override;
  void FocusProgress() override;
  void RestyleProgress() override;
  void ShowProgress(uint16_t maximum) override;
  void SetProgressPosition(int32_t position) override;
  void PaintButton(bool running) override;
  void SetTargetLine(const std::wstring& text) override;
  void SetStatusLine(const std::wstring& text) override;
  void Repaint(bool withButton) override;
  void StartWorker() override;
  void StopWorker() override;
  void EndWorker() override;
  void HideButton() override;

  WindowContext context_;
  WindowSetup setup_;
  DownloadPanel panel_;
  CPopupDialog popup_;
  CWeb_explorer browser_;
  std::array<CSubEdit, 4> boxes_;
  QLUStaticCtrl status_;
  HWND tooltip_ = nullptr;
  HICON icon_ = nullptr;
  HBRUSH background_ = nullptr;
  HFONT valueFont_ = nullptr;
  HFONT labelFont_ = nullptr;
  HFONT smallFont_ = nullptr;
  HBITMAP closeBitmap_ = nullptr;
  // Declared before the thread table, so that they outlive the workers.
  DriverWorkers driverWorkers_;
  DownloadThreads threads_;
};

}  // namespace quillo::ui
