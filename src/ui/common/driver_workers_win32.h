#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/window_setup.h"
#include "download/download_panel.h"
#include "download/download_worker.h"
#include "ui/common/window_context.h"

namespace quillo::ui {

// A window's driver package workers. Each start gets a slot that carries the
// worker's calls to the window's download panel over to the window's thread
// and holds the worker's own stop flag, so that a new start cannot clear the
// stop of a worker that has not yet seen it. The workers run as type 0 in
// the window's thread table, which must end them before this goes away.
class DriverWorkers {
 public:
  // The window's panel and its view, its texts, and its progress bar and target line.
  DriverWorkers(DownloadPanelView& view, DownloadPanel& panel, const WindowSetup& setup, int progressId,
                int targetLineId);
  ~DriverWorkers();
  DriverWorkers(const DriverWorkers&) = delete;
  DriverWorkers& operator=(const DriverWorkers&) = delete;

  // Starts a worker for the offered package, of the classic window or of the sectioned one.
  void Start(HWND window, const WindowContext& context, WorkerVariant variant, DownloadThreads& threads);
  // The last started worker stops after its current piece.
  void StopLast();

 private:
  class Progress;
  struct Slot;

  DownloadPanelView& view_;
  DownloadPanel& panel_;
  const WindowSetup& setup_;
  int progressId_;
  int targetLineId_;
  std::vector<std::unique_ptr<Slot>> slots_;
};

}  // namespace quillo::ui
