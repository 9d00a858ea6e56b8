#pragma once

// A download's progress shown in a real window: a hidden top-level window
// with a progress bar, a status line, a target line and a download button,
// run by a thread of its own with a message loop. The worker's calls travel
// to that thread as sent messages, as they will to the program's windows,
// and a call that arrives after the worker was abandoned is dropped there.

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "download/download_worker.h"

namespace quillo::test {

class WindowProgress final : public DownloadProgress {
 public:
  WindowProgress() {
    thread_ = std::thread([this] { Loop(); });
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return window_ != nullptr; });
  }
  ~WindowProgress() override {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  WindowProgress(const WindowProgress&) = delete;
  WindowProgress& operator=(const WindowProgress&) = delete;

  // The worker whose calls this window takes; its `abandoned()` is read on the window's thread.
  void Attach(const DownloadWorker* worker) { worker_ = worker; }

  // Runs `action` on the window's thread and waits for it.
  void OnWindowThread(const std::function<void()>& action) {
    SendMessageW(window_, kRun, 0, reinterpret_cast<LPARAM>(&action));
  }

  // What the window shows; read on the window's thread.
  std::wstring StatusText() { return Text(status_); }
  int32_t Position() { return static_cast<int32_t>(SendMessageW(bar_, PBM_GETPOS, 0, 0)); }
  int32_t RangeMaximum() { return static_cast<int32_t>(SendMessageW(bar_, PBM_GETRANGE, FALSE, 0)); }
  // The window itself stays hidden: a control counts as shown by its own style.
  bool ButtonVisible() { return (GetWindowLongW(button_, GWL_STYLE) & WS_VISIBLE) != 0; }
  bool TargetVisible() { return (GetWindowLongW(target_, GWL_STYLE) & WS_VISIBLE) != 0; }
  // Calls applied, and calls that arrived from an abandoned worker and were dropped.
  int applied() const { return applied_; }
  int dropped() const { return dropped_; }
  bool completeShown() const { return complete_; }
  void set_sectionOpen(bool open) { sectionOpen_ = open; }

  void SetProgressRange(int32_t maximum) override {
    Call([=, this] { SendMessageW(bar_, PBM_SETRANGE32, 0, maximum); });
  }
  void SetProgressPosition(int32_t position) override {
    Call([=, this] { SendMessageW(bar_, PBM_SETPOS, position, 0); });
  }
  void SetStatusText(const std::wstring& text) override {
    Call([&, this] { SetWindowTextW(status_, text.c_str()); });
  }
  void ShowPiece(int32_t position, const std::wstring& text) override {
    Call([&, this] {
      SendMessageW(bar_, PBM_SETPOS, position, 0);
      SetWindowTextW(status_, text.c_str());
    });
  }
  void ShowDownloadComplete() override {
    Call([this] {
      SetWindowTextW(status_, L"Download Complete");
      complete_ = true;
    });
  }
  void ShowDownloadCancelled() override { Call([this] { SetWindowTextW(status_, L"Download Cancelled"); }); }
  void HideTargetLine() override { Call([this] { ShowWindow(target_, SW_HIDE); }); }
  void ClearTargetLine() override { Call([this] { SetWindowTextW(target_, L""); }); }
  bool SectionOpen() override { return sectionOpen_; }
  void RestoreButtonCaption() override {
    Call([this] {
      SetWindowTextW(button_, L"Download Now");
      ShowWindow(button_, SW_SHOW);
    });
  }
  void HideButton() override { Call([this] { ShowWindow(button_, SW_HIDE); }); }
  // The program's windows show the popup; this one counts the call and goes idle.
  void ShowNotVerified() override {
    Call([this] {
      SendMessageW(bar_, PBM_SETPOS, 0, 0);
      SetWindowTextW(status_, L"");
      ShowWindow(target_, SW_HIDE);
      SetWindowTextW(button_, L"Download Now");
      ShowWindow(button_, SW_SHOW);
      ++notVerified_;
    });
  }
  int notVerifiedShown() const { return notVerified_; }

 private:
  static constexpr UINT kRun = WM_APP + 1;
  static constexpr UINT kWorkerCall = WM_APP + 2;

  void Call(const std::function<void()>& action) {
    SendMessageW(window_, kWorkerCall, 0, reinterpret_cast<LPARAM>(&action));
  }

  std::wstring Text(HWND control) {
    std::wstring text;
    OnWindowThread([&] {
      wchar_t buffer[512] = {};
      GetWindowTextW(control, buffer, 512);
      text = buffer;
    });
    return text;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WindowProgress*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == kRun || message == kWorkerCall)) {
      const auto& action = *reinterpret_cast<const std::function<void()>*>(lParam);
      if (message == kWorkerCall && self->worker_ != nullptr && self->worker_->abandoned()) {
        ++self->dropped_;
        return 0;
      }
      action();
      if (message == kWorkerCall) ++self->applied_;
      return 0;
    }
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      return 0;
    }
    if (message == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  void Loop() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuilloTestProgress";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"QuilloTestProgress", L"Download", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 360, 20, window, nullptr,
                           nullptr, nullptr);
    status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 40, 360, 20, window, nullptr, nullptr,
                              nullptr);
    target_ = CreateWindowExW(0, L"STATIC", L"target", WS_CHILD | WS_VISIBLE, 10, 70, 360, 20, window, nullptr,
                              nullptr, nullptr);
    button_ = CreateWindowExW(0, L"BUTTON", L"Cancel", WS_CHILD | WS_VISIBLE, 10, 100, 100, 24, window, nullptr,
                              nullptr, nullptr);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      window_ = window;
    }
    ready_.notify_all();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
  HWND status_ = nullptr;
  HWND target_ = nullptr;
  HWND button_ = nullptr;
  const DownloadWorker* worker_ = nullptr;
  std::atomic<int> applied_{0};
  std::atomic<int> dropped_{0};
  std::atomic<bool> complete_{false};
  std::atomic<int> notVerified_{0};
  std::atomic<bool> sectionOpen_{true};
};

}  // namespace quillo::test
