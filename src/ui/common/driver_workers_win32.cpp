#include "ui/common/driver_workers_win32.h"

#include <commctrl.h>

#include <string>

#include "ui/common/worker_calls_win32.h"

namespace quillo::ui {

// One worker's calls to the window's download panel.
class DriverWorkers::Progress final : public DownloadProgress {
 public:
  Progress(HWND window, DriverWorkers& owner) : calls(window), window_(window), owner_(owner) {}
  WorkerCalls calls;

  void SetProgressRange(int32_t maximum) override {
    calls.Call([=, this] { SendMessageW(GetDlgItem(window_, owner_.progressId_), PBM_SETRANGE32, 0, maximum); });
  }
  void SetProgressPosition(int32_t position) override {
    calls.Call([=, this] { owner_.view_.SetProgressPosition(position); });
  }
  void SetStatusText(const std::wstring& text) override {
    calls.Call([&, this] { owner_.view_.SetStatusLine(text); });
  }
  void ShowPiece(int32_t position, const std::wstring& text) override {
    calls.Call([&, this] {
      owner_.view_.SetProgressPosition(position);
      owner_.view_.SetStatusLine(text);
    });
  }
  void ShowDownloadComplete() override {
    calls.Call([this] { owner_.view_.SetStatusLine(owner_.setup_.texts().downloadComplete); });
  }
  void ShowDownloadCancelled() override {
    calls.Call([this] { owner_.view_.SetStatusLine(owner_.setup_.texts().cancelled); });
  }
  void HideTargetLine() override {
    calls.Call([this] { ShowWindow(GetDlgItem(window_, owner_.targetLineId_), SW_HIDE); });
  }
  void ClearTargetLine() override { calls.Call([this] { owner_.view_.SetTargetLine(L""); }); }
  bool SectionOpen() override {
    bool open = true;
    calls.Call([&, this] { open = owner_.panel_.sections.driver; });
    return open;
  }
  // Either way the download has ended: the panel is idle again.
  void RestoreButtonCaption() override {
    calls.Call([this] {
      owner_.view_.PaintButton(false);
      owner_.panel_.OnDownloadEnded();
    });
  }
  void HideButton() override {
    calls.Call([this] {
      owner_.view_.HideButton();
      owner_.panel_.OnDownloadEnded();
    });
  }
  void ShowNotVerified() override { calls.Call([this] { owner_.panel_.OnNotVerified(); }); }

 private:
  HWND window_;
  DriverWorkers& owner_;
};

struct DriverWorkers::Slot {
  Slot(HWND window, DriverWorkers& owner) : progress(window, owner) {}
  std::atomic<bool> stopped{false};
  std::atomic<bool> complete{false};
  Progress progress;
};

DriverWorkers::DriverWorkers(DownloadPanelView& view, DownloadPanel& panel, const WindowSetup& setup, int progressId,
                             int targetLineId)
    : view_(view), panel_(panel), setup_(setup), progressId_(progressId), targetLineId_(targetLineId) {}

DriverWorkers::~DriverWorkers() = default;

void DriverWorkers::Start(HWND window, const WindowContext& context, WorkerVariant variant,
                          DownloadThreads& threads) {
  const DriverOffer& offer = setup_.offer();
  DownloadJob job;
  job.variant = variant;
  job.host = context.endpoints.downloadServer;
  job.requestPath = offer.packagePath;
  job.localPath = offer.localPackagePath;
  job.referrer = offer.referrer;
  job.sizeMB = offer.sizeMB;
  job.minimalSetup = setup_.minimalSetupOffered();

  auto slot = std::make_unique<Slot>(window, *this);
  DownloadContext download{context.ports.network, context.files,     context.ports.system,
                           context.ports.shell,   context.endpoints, context.usage,
                           context.signatures,    context.log};
  RunState& state = context.state;
  // The classic window's worker raises the run's download-active flag and
  // keeps its completion to itself; the sectioned window's shares the run's
  // driver flags.
  const bool classic = variant == WorkerVariant::kClassicDriver;
  DownloadFlags flags{classic ? state.classicDownloadActive : state.driverDownloading, slot->stopped,
                      classic ? slot->complete : state.driverDownloadComplete, state.driverStartSecond};
  auto worker = std::make_unique<DownloadWorker>(download, job, flags, slot->progress);
  slot->progress.calls.worker = worker.get();
  slots_.push_back(std::move(slot));
  threads.Start(0, std::move(worker));
}

void DriverWorkers::StopLast() {
  if (!slots_.empty()) slots_.back()->stopped = true;
}

}  // namespace quillo::ui
