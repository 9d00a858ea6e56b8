#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/endpoints.h"
#include "app/run_state.h"
#include "download/installer_launch.h"
#include "ports/files.h"
#include "ports/network.h"
#include "ports/shell.h"
#include "ports/signature.h"
#include "ports/system_info.h"
#include "usage/usage_events.h"

namespace quillo {

// What a download worker shows in its window. The window implements it with
// its progress bar, status line, target line and download button; the
// worker calls it from its own thread, and the window carries each call over
// to its own thread.
//
// Once the window has abandoned a worker (DownloadWorker::Abandon) the
// worker makes no further call; a call already on its way must be dropped
// by the window when it arrives, which it tells by `abandoned()` of the
// worker, read on the window's thread.
class DownloadProgress {
 public:
  virtual ~DownloadProgress() = default;
  virtual void SetProgressRange(int32_t maximum) = 0;  // the range is 0 to maximum
  virtual void SetProgressPosition(int32_t position) = 0;
  virtual void SetStatusText(const std::wstring& text) = 0;
  // After each piece: the position and the status line together, so that a
  // window can carry both to its thread in one step.
  virtual void ShowPiece(int32_t position, const std::wstring& statusText) = 0;
  // The "Download Complete" text of the window's language (IDS_DWNLD_CMP) in the status line.
  virtual void ShowDownloadComplete() = 0;
  // The cancelled text (IDS_DWLD_CANCELLED) in the status line; the classic window's worker only.
  virtual void ShowDownloadCancelled() = 0;
  virtual void HideTargetLine() = 0;
  virtual void ClearTargetLine() = 0;
  // Whether the section that holds the download (the driver's or the
  // feature's) is open; the classic window has no sections and answers true.
  virtual bool SectionOpen() = 0;
  // The download button gets its download caption back.
  virtual void RestoreButtonCaption() = 0;
  virtual void HideButton() = 0;
  // The downloaded program failed its signature check and was removed: the
  // window tells the user in its popup (the not-verified caption of its
  // language) and returns the download panel to its idle state.
  virtual void ShowNotVerified() = 0;
};

// The worker kinds as the main window numbers them; 1 and 5 start nothing.
enum class WorkerVariant {
  kMainDriver,     // type 0
  kFeature,        // types 2 to 4
  kClassicDriver,  // the classic window's Download Now
};

// One download: where the package comes from and goes to.
struct DownloadJob {
  WorkerVariant variant = WorkerVariant::kMainDriver;
  std::wstring host;         // served on port 80
  std::wstring requestPath;
  std::wstring localPath;
  std::wstring referrer;     // empty: none
  int64_t sizeMB = 0;        // the driver offer's size; features take the server's
  bool minimalSetup = false; // a driver package to unpack first
};

// The platform and the run's shared objects a worker uses.
struct DownloadContext {
  NetworkPort& network;
  FilePort& files;
  SystemInfoPort& system;
  ShellPort& shell;
  const Endpoints& endpoints;
  UsageReporter& usage;
  SignaturePort& signatures;
  RunLog& log;
};

// How a worker ended.
enum class DownloadOutcome {
  kCompleted,      // the package is whole on disk and its installer was started
  kStopped,        // the stop flag was seen; the partial file stays
  kAbandoned,      // the window let go of the worker; it touched nothing more
  kIncomplete,     // a connection step, the transfer or the file failed; what arrived stays
  kServerRefused,  // the server answered an error status; nothing was written
  kConnectionLost, // the classic window's check before installing found no connection
  kNotVerified,    // a program failed its signature check: it was removed and nothing was started
};

// The status line during a download: "%.2f MB downloaded of %d MB at %d KB/s. %d %s".
struct StatusFigures {
  int32_t speedKBps = 0;
  int64_t minutesLeft = 0;
  std::wstring text;
};
// `received` counts this worker's bytes (the speed), `done` the bytes present.
StatusFigures DownloadStatus(uint64_t received, uint64_t done, uint64_t total, int64_t totalMB,
                             int32_t nowSecond, int32_t startSecond);

// The size the server gives for the package (its Content-Length), 0 when it
// gives none or cannot be asked.
int64_t QueryRemoteSize(NetworkPort& network, const std::wstring& host, const std::wstring& path,
                        const std::wstring& referrer);

// The user agent of every package request.
inline constexpr wchar_t kDownloadAgent[] = L"Velmora Halvard Quillo Utility";

// Bytes asked of the server at a time.
inline constexpr size_t kPieceBytes = 5000;

// One package download, run on its own thread: the size from the server,
// the resume of a partial file with a byte range, the progress after every
// piece, the stop flag polled after every piece, and the completion actions
// and installer launch once the whole package is there.
class DownloadWorker {
 public:
  DownloadWorker(DownloadContext context, DownloadJob job, DownloadFlags flags, DownloadProgress& progress)
      : context_(context),
        job_(std::move(job)),
        flags_(flags),
        progress_(progress),
        launcher_(context.shell, context.files, context.signatures, context.log) {}

  // Runs the download to its end on the calling thread.
  DownloadOutcome Run();

  // The window lets go of the worker (the connection was lost, the window
  // closes): the worker stops after its current piece and makes no further
  // call to the window, and starts no installer.
  void Abandon() {
    abandoned_ = true;
    flags_.stopped = true;
  }
  bool abandoned() const { return abandoned_; }

  // The local path, after a minimal package's launch the unpacked Setup.exe.
  const std::wstring& localPath() const { return job_.localPath; }

 private:
  template <typename Call>
  void Show(Call call) {
    if (!abandoned_) call(progress_);
  }
  void ShowComplete(int64_t totalBytes);
  DownloadOutcome Complete(int64_t totalBytes);
  DownloadOutcome NotVerified();

  DownloadContext context_;
  DownloadJob job_;
  DownloadFlags flags_;
  DownloadProgress& progress_;
  // Checks and starts the package; remembers the package that passed, so a
  // large one is not hashed twice between its completion and its start.
  InstallerLauncher launcher_;
  std::atomic<bool> abandoned_{false};
};

// The window's table of running workers with their types (0 to 5). Workers
// stop cooperatively: a worker let go of finishes its current piece and ends
// without touching the window again. A worker starts its download only once
// the earlier workers of its type have ended, so that a cancelled worker's
// last piece and a new worker never write one package together. The table waits for its workers when it
// goes away.
class DownloadThreads {
 public:
  DownloadThreads();
  DownloadThreads(const DownloadThreads&) = delete;
  DownloadThreads& operator=(const DownloadThreads&) = delete;
  ~DownloadThreads();

  // Runs `worker` on a thread of its own. Types 1 and 5 have no worker and start nothing.
  void Start(int type, std::unique_ptr<DownloadWorker> worker);
  // Lets go of the running workers of `type` (the driver's, 0, when the connection is lost).
  void Abandon(int type);
  void AbandonAll();
  // Waits until every started worker has ended.
  void WaitAll();
  // The outcome of the started workers that have ended, in start order.
  std::vector<DownloadOutcome> Outcomes();

 private:
  struct Entry;
  std::mutex mutex_;
  std::condition_variable ended_;
  std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace quillo
