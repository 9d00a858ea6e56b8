#pragma once

#include <windows.h>

#include <functional>

#include "download/download_worker.h"

namespace quillo::ui {

// A download worker's calls to its window, carried to the window's thread
// as sent messages. The window hands the message to RunOnWindowThread,
// which drops a call once the window has let go of its worker.
class WorkerCalls {
 public:
  static constexpr UINT kMessage = WM_APP + 0x4A1;

  explicit WorkerCalls(HWND window) : window_(window) {}
  // The worker whose calls these are; set before it runs.
  const DownloadWorker* worker = nullptr;

  // Runs `action` on the window's thread; a window that is gone answers at once.
  void Call(const std::function<void()>& action) const {
    Carried carried{worker, &action};
    SendMessageW(window_, kMessage, 0, reinterpret_cast<LPARAM>(&carried));
  }

  // The window's handler of kMessage.
  static LRESULT RunOnWindowThread(LPARAM lParam) {
    const auto* carried = reinterpret_cast<const Carried*>(lParam);
    if (carried->worker != nullptr && !carried->worker->abandoned()) (*carried->action)();
    return 0;
  }

 private:
  struct Carried {
    const DownloadWorker* worker;
    const std::function<void()>* action;
  };
  HWND window_;
};

}  // namespace quillo::ui
