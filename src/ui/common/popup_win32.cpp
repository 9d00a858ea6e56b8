#include "ui/common/popup_win32.h"

#include <array>

#include "notices/title_bar.h"
#include "ui/common/title_bar_win32.h"

namespace quillo::ui {

CPopupDialog::~CPopupDialog() { ReleaseResources(); }

bool CPopupDialog::Route(UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  using P = CPopupDialog;
  static constexpr std::array<ui::Route<P>, 7> kMessages = {{
      OnMessage(WM_INITDIALOG, &P::OnInitDialog),
      OnMessage(WM_CTLCOLORDLG, &P::OnCtlColor),
      OnMessage(WM_CTLCOLORSTATIC, &P::OnCtlColor),
      OnMessage(WM_CTLCOLOREDIT, &P::OnCtlColor),
      OnMessage(WM_CTLCOLORBTN, &P::OnCtlColor),
      OnMessage(WM_CTLCOLORLISTBOX, &P::OnCtlColor),
      OnMessage(WM_NCPAINT, &P::OnNcPaint),
  }};
  return Dispatch<P>(kMessages, id, wParam, lParam, result);
}

LRESULT CPopupDialog::OnInitDialog(WPARAM, LPARAM) {
  ReleaseResources();  // of an earlier showing
  background_ = CreateSolidBrush(RGB(255, 255, 255));
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_SYSMENU);
  SetWindowLongW(hwnd(), GWL_EXSTYLE, GetWindowLongW(hwnd(), GWL_EXSTYLE) | WS_EX_APPWINDOW);
  closeBitmap_ = LoadBitmapW(instance(), MAKEINTRESOURCEW(145));
  AddCaptionButton(hwnd(), closeBitmap_);
  messageFont_ = CreatePointFont(10.5, L"Calibri");
  SendMessageW(Item(1077), WM_SETFONT, reinterpret_cast<WPARAM>(messageFont_), TRUE);
  SetDlgItemTextW(hwnd(), 1077, message.c_str());
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

void DrawWindowFrame(HWND window) {
  RECT placement{};
  GetWindowRect(window, &placement);
  OffsetRect(&placement, -placement.left, -placement.top);
  HDC dc = GetWindowDC(window);
  HBRUSH frame = CreateSolidBrush(RGB(kFrameRed, kFrameGreen, kFrameBlue));
  // Eight nested one-pixel outlines inward from the edge (the ones outward
  // from it fall outside the window and show nothing).
  for (int k = 0; k < 8; ++k) {
    RECT outline = placement;
    InflateRect(&outline, -k, -k);
    FrameRect(dc, &outline, frame);
  }
  DeleteObject(frame);
  ReleaseDC(window, dc);
}

LRESULT CPopupDialog::OnCtlColor(WPARAM, LPARAM) {
  DrawWindowFrame(hwnd());
  return reinterpret_cast<LRESULT>(background_);
}

LRESULT CPopupDialog::OnNcPaint(WPARAM, LPARAM) {
  RECT placement{};
  GetWindowRect(hwnd(), &placement);
  PaintGradientTitleBar(hwnd(), L"Velmora Quillo", PopupTitleRect(placement.left, placement.right));
  return 0;
}

void CPopupDialog::ReleaseResources() {
  DeleteGdiObject(background_);
  DeleteGdiObject(messageFont_);
  DeleteGdiObject(closeBitmap_);
}

}  // namespace quillo::ui
