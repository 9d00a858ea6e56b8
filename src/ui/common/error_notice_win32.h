#pragma once

#include <windows.h>

#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "notices/error_notice.h"
#include "ports/ports.h"
#include "ui/common/dialog.h"

namespace quillo::ui {

// The modal notice that tells the user why no driver can be offered, with
// the processor, graphics hardware and operating system in disabled boxes.
// Every way of closing it ends the run with 2.
class ErrorNotifyUI : public Dialog {
 public:
  ErrorNotifyUI(HINSTANCE instance, const Ports& ports, RunLog& log, const Endpoints& endpoints, NoticeState& state);
  ~ErrorNotifyUI() override;

  // The caller's message replaces the one the notice would choose; the
  // graphics text names the hardware where the notice finds no name.
  void SetCustomMessage(std::wstring message, std::wstring graphicsText);

  bool appleHardwareMode = false;

  HWND tooltip() const { return tooltip_; }
  const NoticeTexts& texts() const { return texts_; }

 protected:
  bool PreTranslateMessage(MSG& message) override;
  bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog(WPARAM, LPARAM);
  LRESULT OnCtlColor(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnNcPaint(WPARAM, LPARAM);
  LRESULT OnOk(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  void ReleaseResources();
  void AddTool(int control, const std::wstring& text);

  Ports ports_;
  RunLog& log_;
  const Endpoints& endpoints_;
  NoticeState& state_;
  NoticeRequest request_;
  NoticeTexts texts_;
  HWND tooltip_ = nullptr;
  HBRUSH background_ = nullptr;
  HFONT valueFont_ = nullptr;
  HFONT labelFont_ = nullptr;
  HBITMAP closeBitmap_ = nullptr;
};

}  // namespace quillo::ui
