#pragma once

// The program's small dialog layer: a dialog made from a template of the
// program's resources, run modally with its own message loop (so that each
// dialog sees the messages before they are dispatched), its messages routed
// to handler members through a table per dialog, and controls subclassed by
// classes of the program.

#include <windows.h>

#include <span>

namespace quillo::ui {

// A message or command a dialog handles, and the member that handles it.
// A handler returns the message's result; calling PassOn() inside it lets
// the system's default handling run as well.
template <class D>
struct Route {
  UINT message;
  UINT command;  // for WM_COMMAND: the control ID, or kAnyCommand
  LRESULT (D::*handler)(WPARAM, LPARAM);
};
inline constexpr UINT kAnyCommand = 0xFFFFFFFF;

template <class D>
constexpr Route<D> OnMessage(UINT message, LRESULT (D::*handler)(WPARAM, LPARAM)) {
  return Route<D>{message, kAnyCommand, handler};
}
template <class D>
constexpr Route<D> OnCommand(UINT id, LRESULT (D::*handler)(WPARAM, LPARAM)) {
  return Route<D>{WM_COMMAND, id, handler};
}

class Dialog {
 public:
  Dialog(HINSTANCE instance, int templateId) : instance_(instance), templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the dialog, runs it until EndDialog and destroys it. The result
  // given to EndDialog; -1 when the dialog could not be created.
  INT_PTR DoModal(HWND owner = nullptr);
  // Ends the modal run with `result` once the current message is handled.
  void EndDialog(INT_PTR result);

  HWND hwnd() const { return hwnd_; }
  // EndDialog was called; the run ends after the current message.
  bool ending() const { return ending_; }
  HINSTANCE instance() const { return instance_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

 protected:
  // Sees every message of the modal loop before it is dispatched; true
  // swallows it.
  virtual bool PreTranslateMessage(MSG& message);
  // The dialog's routing; Dispatch does the table lookup.
  virtual bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  template <class D>
  bool Dispatch(std::span<const ui::Route<D>> table, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Inside a handler: let the default handling run after it.
  LRESULT PassOn() {
    passOn_ = true;
    return 0;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  int templateId_;
  HWND hwnd_ = nullptr;
  bool ending_ = false;
  INT_PTR result_ = -1;
  bool passOn_ = false;
};

template <class D>
bool Dialog::Dispatch(std::span<const ui::Route<D>> table, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT& result) {
  for (const ui::Route<D>& route : table) {
    if (route.message != message) continue;
    if (message == WM_COMMAND && route.command != kAnyCommand && route.command != LOWORD(wParam)) continue;
    result = (static_cast<D*>(this)->*route.handler)(wParam, lParam);
    return true;
  }
  return false;
}

// A control of a dialog template taken over by a class of the program: its
// messages go to WndProc first; Default() is the control's own handling.
// Notifications the control sends its parent come back to it as
// kReflectedCommand (wParam: the notification code).
class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Takes over `window`; false when it cannot be subclassed.
  bool Attach(HWND window);
  void Detach();
  HWND hwnd() const { return hwnd_; }

  static constexpr UINT kReflectedCommand = WM_APP + 0x311;

 protected:
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnAttached() {}
  LRESULT Default();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  HWND hwnd_ = nullptr;
  UINT message_ = 0;
  WPARAM wParam_ = 0;
  LPARAM lParam_ = 0;
};

// Deletes a brush, font or bitmap the window owns and forgets it.
template <class Handle>
void DeleteGdiObject(Handle& object) {
  if (object != nullptr) DeleteObject(object);
  object = nullptr;
}

// Point sizes become pixel heights through the screen's vertical resolution.
int PointsToHeight(double points);
HFONT CreatePointFont(double points, const wchar_t* face);

}  // namespace quillo::ui
