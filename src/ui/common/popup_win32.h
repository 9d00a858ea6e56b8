#pragma once

#include <windows.h>

#include <string>

#include "ui/common/dialog.h"

namespace quillo::ui {

// A small modal box with one message and OK, styled like the program's
// windows. OK ends it with 1; the title-bar button and Escape with 2.
class CPopupDialog : public Dialog {
 public:
  explicit CPopupDialog(HINSTANCE instance) : Dialog(instance, 169) {}
  ~CPopupDialog() override;

  std::wstring message;  // set by the owner before each showing

 protected:
  bool Route(UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  LRESULT OnInitDialog(WPARAM, LPARAM);
  LRESULT OnCtlColor(WPARAM, LPARAM);
  LRESULT OnNcPaint(WPARAM, LPARAM);
  void ReleaseResources();

  HBRUSH background_ = nullptr;
  HFONT messageFont_ = nullptr;
  HBITMAP closeBitmap_ = nullptr;
};

// The eight-pixel frame in the frame colour along a window's outer edge.
void DrawWindowFrame(HWND window);

}  // namespace quillo::ui
