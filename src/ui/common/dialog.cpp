#include "ui/common/dialog.h"

#include <commctrl.h>

namespace quillo::ui {

Dialog::~Dialog() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
  ending_ = false;
  result_ = -1;
  if (CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this)) == nullptr) {
    hwnd_ = nullptr;
    return -1;
  }
  const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  if (!ending_) ShowWindow(hwnd_, SW_SHOW);

  MSG message{};
  while (!ending_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for whoever runs the outer loop
      break;
    }
    if (got == -1) break;
    if (PreTranslateMessage(message)) continue;
    if (IsDialogMessageW(hwnd_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  if (disableOwner) EnableWindow(owner, TRUE);
  HWND window = hwnd_;
  hwnd_ = nullptr;
  if (window != nullptr) DestroyWindow(window);
  return result_;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ending_ = true;
  // Wakes the loop when this runs outside a message of its own.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool Dialog::PreTranslateMessage(MSG&) { return false; }

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->hwnd_ = window;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (self == nullptr || self->hwnd_ != window) return FALSE;
  return self->Handle(message, wParam, lParam);
}

INT_PTR Dialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // A control of the program hears its own notifications first.
  if (message == WM_COMMAND && lParam != 0) {
    SendMessageW(reinterpret_cast<HWND>(lParam), Control::kReflectedCommand, HIWORD(wParam), 0);
  }

  passOn_ = false;
  LRESULT result = 0;
  const bool handled = Route(message, wParam, lParam, result) && !passOn_;
  if (!handled) {
    // The standard ends: OK and Cancel (also Escape and the default closing).
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      EndDialog(LOWORD(wParam));
      return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
  }
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
    default:
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

Control::~Control() { Detach(); }

bool Control::Attach(HWND window) {
  Detach();
  if (window == nullptr || !SetWindowSubclass(window, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = window;
  OnAttached();
  return true;
}

void Control::Detach() {
  if (hwnd_ != nullptr) RemoveWindowSubclass(hwnd_, SubclassProc, 1);
  hwnd_ = nullptr;
}

LRESULT Control::WndProc(UINT, WPARAM, LPARAM) { return Default(); }

LRESULT Control::Default() { return DefSubclassProc(hwnd_, message_, wParam_, lParam_); }

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
  auto* control = reinterpret_cast<Control*>(self);
  // Default() inside WndProc runs the message being handled, also when
  // handling one message sends another.
  const UINT savedMessage = control->message_;
  const WPARAM savedWParam = control->wParam_;
  const LPARAM savedLParam = control->lParam_;
  control->message_ = message;
  control->wParam_ = wParam;
  control->lParam_ = lParam;
  LRESULT result = 0;
  if (message == WM_NCDESTROY) {
    result = DefSubclassProc(window, message, wParam, lParam);
    control->Detach();
  } else {
    result = control->WndProc(message, wParam, lParam);
  }
  control->message_ = savedMessage;
  control->wParam_ = savedWParam;
  control->lParam_ = savedLParam;
  return result;
}

int PointsToHeight(double points) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return -static_cast<int>(points * dpi / 72.0);
}

HFONT CreatePointFont(double points, const wchar_t* face) {
  LOGFONTW description{};
  description.lfHeight = PointsToHeight(points);
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&description);
}

}  // namespace quillo::ui
