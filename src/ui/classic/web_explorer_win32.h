#pragma once

// The classic window's web page: the system's web-browser control hosted in
// place inside a child window of a dialog.

#include <windows.h>
#include <oaidl.h>
#include <ole2.h>

#include <string>

namespace quillo::ui {

class BrowserSite;

// Hosts the system's web-browser control (class ID
// {8856F961-340A-11D0-A96B-00C04FD705A2}) in place inside a child window of
// a dialog, and drives it through its automation members.
//
// Threading: everything runs on the user-interface thread, which must have
// called OleInitialize before Create (the program's entry does so once): the
// control lives in that thread's apartment and is driven by its message
// loop. The control loads its page asynchronously: no call here waits for a
// page, and a page that never loads holds nothing up.
//
// The control always fills the host's client area: the host is subclassed,
// and each WM_SIZE it gets runs Resize, so the dialog only resizes the host.
// The host gets WS_CLIPCHILDREN so that its own painting never covers the
// page. When the host is destroyed first, the control is deactivated and
// released as part of that (as Destroy does).
class CWeb_explorer {
 public:
  CWeb_explorer();
  ~CWeb_explorer();
  CWeb_explorer(const CWeb_explorer&) = delete;
  CWeb_explorer& operator=(const CWeb_explorer&) = delete;

  // Hosts the control inside `host` (a child window of the dialog, e.g. the
  // template's placeholder control 1064), filling its client area. A control
  // hosted before is released first. False when the control cannot be
  // created or activated; nothing is then left behind.
  bool Create(HWND host);

  // Starts loading `url` (method Navigate, dispatch ID 104, with the four
  // optional arguments passed empty). True when the control took the
  // address, which says nothing about whether the page will load.
  bool Navigate(const std::wstring& url);

  // The Silent property (dispatch ID 551): when true, the page never raises
  // script-error dialogs.
  bool SetSilent(bool silent);

  // The host window; null when nothing is hosted.
  HWND hwnd() const { return host_; }

  // Fits the control to the host's client area again (runs on every WM_SIZE
  // of the host, and when the control asks for another place).
  void Resize();

  // Deactivates and releases the control and lets the host go (also done by
  // the destructor and when the host is destroyed); safe to call again.
  void Destroy();

  // For tests: the container sites alive in the process. Each hosted
  // control has one, which lives until the control lets go of it.
  static long SitesAlive();

 private:
  static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  HRESULT Invoke(DISPID member, WORD flags, DISPPARAMS& parameters);

  HWND host_ = nullptr;
  BrowserSite* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IOleInPlaceObject* inPlace_ = nullptr;
  IDispatch* automation_ = nullptr;
  bool resizing_ = false;
};

}  // namespace quillo::ui
