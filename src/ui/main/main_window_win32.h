#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window_setup.h"
#include "download/download_panel.h"
#include "download/download_worker.h"
#include "main/main_layout.h"
#include "ui/common/controls_win32.h"
#include "ui/common/driver_workers_win32.h"
#include "ui/common/dialog.h"
#include "ui/common/popup_win32.h"
#include "ui/common/window_context.h"

namespace quillo::ui {

// The sectioned main window: the detected hardware and system with the best
// driver, its Download Now button, progress and status at the top, and the
// feature applications that fit the machine in a column below, in one tall
// window that scrolls.
//
// A failed initialisation (no connection, no catalogue, no driver for the
// adapter) shows the notice and ends the process; a driver that is already
// current is reported and leaves Download Now disabled.
class CQuilloUtilityDlg : public Dialog, private DownloadPanelView {
 public:
  CQuilloUtilityDlg(HINSTANCE instance, WindowContext context);
  ~CQuilloUtilityDlg() override;

  // How a failed initialisation ends the process; tests replace it.
  std::function<void(UINT exitCode)> exitProcess = [](UINT code) { ExitProcess(code); };

  const DownloadPanel& panel() const { return panel_; }
  const WindowSetup& setup() const { return setup_; }
  HWND tooltip() const { return tooltip_; }
  CPopupDialog& popup() { return popup_; }
  // The scroll state: the window's height by design, the client height of
  // the last resize, and how far the client area is scrolled.
  int32_t designHeight() const { return designRect_.bottom - designRect_.top; }
  int32_t clientHeight() const { return clientHeight_; }
  int32_t scrollPos() const { return scrollPos_; }

 protected:
  bool PreTranslateMessage(MSG& message) override;
  bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog(WPARAM, LPARAM);
  LRESULT OnCtlColor(WPARAM, LPARAM);
  LRESULT OnNcPaint(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnSysCommand(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);
  LRESULT OnNotify(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnVScroll(WPARAM, LPARAM);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnDownloadButton(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnWorkerCall(WPARAM, LPARAM);

  // Ends the process after the notice, as a failed initialisation does.
  void ExitWithNotice(const NoticeExit& exit);
  void SetFonts();
  void SetUpControls();
  void SetUpToggles();
  void RecordHomeRects();
  // A control's window rectangle in the client coordinates of the window.
  Rect ClientRect(int id) const;
  void MoveControl(int id, const Rect& rect);
  void Apply(const std::vector<LayoutStep>& steps);
  // The toggle's picture, with the toggle sized to it and its top-left corner kept.
  void SetToggleImage(int id, HBITMAP& held, int bitmap);
  void ReleaseResources();

  // DownloadPanelView
  void ShowNotice(const std::wstring& message, const std::wstring& graphicsText) override;
  void ShowPopup(const std::wstring& message) override;
  void RestyleProgress() override;
  void SetProgressPosition(int32_t position) override;
  void PlaceLinesUnderButton() override;
  void ShowLines(bool shown) override;
  void PaintButton(bool running) override;
  void HideButton() override;
  void DisableButton() override;
  void SetTargetLine(const std::wstring& text) override;
  void SetStatusLine(const std::wstring& text) override;
  void Repaint(bool withButton) override;
  void StartWorker() override;
  void StopWorker() override;
  void EndWorker() override;
  void ResetFeatureDownload(int kind, bool wasRunning, bool sectionOpen) override;

  WindowContext context_;
  WindowSetup setup_;
  DownloadPanel panel_;
  CPopupDialog popup_;
  std::array<CSubEdit, 4> boxes_;
  std::array<QLUStaticCtrl, 4> statusLines_;  // the driver's and features 2 to 4
  CQLUFNotesEdit notes_;
  HWND tooltip_ = nullptr;
  HICON icon_ = nullptr;
  HBRUSH white_ = nullptr;
  std::vector<HFONT> fonts_;
  HBITMAP closeBitmap_ = nullptr;
  HBITMAP driverToggle_ = nullptr;
  std::array<HBITMAP, 5> featureToggles_{};
  RECT designRect_{};
  int32_t clientHeight_ = 0;
  int32_t scrollPos_ = 0;
  // Declared before the thread table, so that they outlive the workers.
  DriverWorkers driverWorkers_;
  DownloadThreads threads_;
};

}  // namespace quillo::ui
