#include "download/download_worker.h"

#include <cinttypes>
#include <cstdio>
#include <cwchar>
#include <optional>

#include "catalog/decimal.h"
#include "usage/survey.h"

namespace quillo {
namespace {

constexpr int64_t kMiB = 1048576;

// The diagnostic lines of the HTTP calls: narrow text on standard output.
void Diagnostic(const char* call, uint32_t code) {
  std::printf("%s failed with error code %" PRIu32 "\n", call, code);
}

void OpenDiagnostic(const HttpOpenResult& opened) {
  switch (opened.failedStep) {
    case HttpStep::kOpen: Diagnostic("InternetOpenW", opened.error); break;
    case HttpStep::kConnect: Diagnostic("InternetConnectW", opened.error); break;
    case HttpStep::kOpenRequest: Diagnostic("HttpOpenRequestW", opened.error); break;
  }
}

HttpTarget PackageTarget(const std::wstring& host, const std::wstring& path, const std::wstring& referrer) {
  HttpTarget target;
  target.host = host;
  target.port = 80;
  target.path = path;
  target.userAgent = kDownloadAgent;
  target.referrer = referrer;
  return target;
}

int32_t SecondOfDay(const LocalTime& time) { return time.hour * 3600 + time.minute * 60 + time.second; }

int32_t Megabytes(int64_t bytes) { return static_cast<int32_t>(bytes / kMiB); }

}  // namespace

StatusFigures DownloadStatus(uint64_t received, uint64_t done, uint64_t total, int64_t totalMB,
                             int32_t nowSecond, int32_t startSecond) {
  StatusFigures figures;
  int64_t elapsed = static_cast<int64_t>(nowSecond) - startSecond;
  if (elapsed <= 0) elapsed = 1;  // past midnight, or within the first second
  int64_t speed = static_cast<int64_t>(received / 1024) / elapsed;
  if (speed == 0) speed = 10;
  figures.speedKBps = static_cast<int32_t>(speed);
  int64_t missing = static_cast<int64_t>(total) - static_cast<int64_t>(done);
  if (missing < 1) missing = 1;
  figures.minutesLeft = (missing / 1024) / (speed * 60);
  if (figures.minutesLeft < 1) figures.minutesLeft = 1;
  const wchar_t* unit = figures.minutesLeft > 1 ? L" Minutes left" : L" Minute left";
  // The megabyte figure is the single-precision counter of the bytes present.
  const float downloadedBytes = static_cast<float>(done);
  wchar_t text[256];
  std::swprintf(text, std::size(text), L"%.2f MB downloaded of %lld MB at %d KB/s. %lld %ls",
                static_cast<double>(downloadedBytes) / 1048576.0, static_cast<long long>(totalMB),
                figures.speedKBps, static_cast<long long>(figures.minutesLeft), unit);
  figures.text = text;
  return figures;
}

int64_t QueryRemoteSize(NetworkPort& network, const std::wstring& host, const std::wstring& path,
                        const std::wstring& referrer) {
  HttpOpenResult opened = network.OpenRequest(PackageTarget(host, path, referrer));
  if (!opened.request) {
    OpenDiagnostic(opened);
    return 0;
  }
  if (opened.request->Send() != 0) return 0;
  // The length of an error page is not the package's size.
  if (opened.request->StatusCode() != 200u) return 0;
  const std::optional<std::wstring> length = opened.request->ContentLength(25);
  if (!length) return 0;
  const int64_t size = DecimalInt64(*length);
  return size > 0 ? size : 0;
}

DownloadOutcome DownloadWorker::Run() {
  const bool feature = job_.variant == WorkerVariant::kFeature;
  const bool classic = job_.variant == WorkerVariant::kClassicDriver;
  if (classic) flags_.downloading = true;

  // 1, 2: what is here already and what the server has.
  const std::optional<uint64_t> existing = context_.files.FileSize(job_.localPath);
  const int64_t resumeOffset = existing ? static_cast<int64_t>(*existing) : -1;
  const int64_t totalBytes = QueryRemoteSize(context_.network, job_.host, job_.requestPath, job_.referrer);

  // 3: the progress range in megabytes.
  const int64_t serverMB = totalBytes / kMiB;
  const int64_t rangeMB = !feature && job_.sizeMB > 0 ? job_.sizeMB : serverMB;
  const int64_t figureMB = feature ? serverMB : job_.sizeMB;
  Show([&](DownloadProgress& p) { p.SetProgressRange(static_cast<int32_t>(rangeMB % 65536)); });

  // 4: the request.
  HttpOpenResult opened = context_.network.OpenRequest(PackageTarget(job_.host, job_.requestPath, job_.referrer));
  if (!opened.request) {
    OpenDiagnostic(opened);
    return flags_.stopped ? (abandoned_ ? DownloadOutcome::kAbandoned : DownloadOutcome::kStopped)
                          : DownloadOutcome::kIncomplete;
  }
  HttpRequest& request = *opened.request;

  // 5: a resume asks for the rest. A size the server does not give (0) says
  // nothing about whether the file is whole: the server's answer tells.
  int64_t bytesDone = 0;
  const bool ranged = resumeOffset > 0;
  if (ranged) {
    wchar_t header[80];
    std::swprintf(header, std::size(header), L"Range: bytes=%lld-%lld\r\n", static_cast<long long>(resumeOffset),
                  static_cast<long long>(totalBytes));
    request.AddHeaders(header, HeaderMode::kAddIfNew);
    bytesDone = resumeOffset;
    if (totalBytes > 0 && resumeOffset >= totalBytes) {
      opened.request.reset();
      // A whole package already here is checked before its completion shows.
      if (!launcher_.Verified(job_.localPath)) return NotVerified();
      ShowComplete(resumeOffset);
      return Complete(totalBytes);
    }
    Show([&](DownloadProgress& p) { p.SetProgressPosition(Megabytes(bytesDone)); });
  }

  // 6: send it and read what the answer is.
  if (const uint32_t error = request.Send(); error != 0) {
    Diagnostic("HttpSendRequestW", error);
    opened.request.reset();
    return flags_.stopped ? (abandoned_ ? DownloadOutcome::kAbandoned : DownloadOutcome::kStopped)
                          : DownloadOutcome::kIncomplete;
  }
  const uint32_t status = request.StatusCode().value_or(0);
  FileOpen mode = ranged ? FileOpen::kExisting : FileOpen::kAlways;
  if (ranged && status == 416 && (totalBytes == 0 || resumeOffset >= totalBytes)) {
    // Nothing left to send: the file is whole.
    opened.request.reset();
    if (!launcher_.Verified(job_.localPath)) return NotVerified();
    ShowComplete(resumeOffset);
    return Complete(totalBytes > 0 ? totalBytes : resumeOffset);
  }
  if (ranged && status == 200) {
    // The server ignored the range and sends the whole package: start again.
    mode = FileOpen::kReplace;
    bytesDone = 0;
  } else if (status != (ranged ? 206u : 200u)) {
    // An error page is not the package: nothing is written.
    return DownloadOutcome::kServerRefused;
  }

  // 7, 8: append each piece and show how far it is.
  std::unique_ptr<WritableFile> file = context_.files.OpenForWriting(job_.localPath, mode);
  if (!file) return DownloadOutcome::kIncomplete;
  uint64_t receivedBytes = 0;
  bool endOfBody = false;
  bool stopSeen = false;
  uint8_t buffer[kPieceBytes];
  for (;;) {
    const std::optional<size_t> got = request.Read(buffer, sizeof buffer);
    if (!got) break;
    if (*got == 0) {
      endOfBody = true;
      break;
    }
    if (!file->Append(buffer, *got)) break;
    bytesDone += static_cast<int64_t>(*got);
    receivedBytes += *got;
    const float downloadedBytes = static_cast<float>(bytesDone);
    const StatusFigures figures =
        DownloadStatus(receivedBytes, static_cast<uint64_t>(bytesDone), static_cast<uint64_t>(totalBytes), figureMB,
                       SecondOfDay(context_.system.Now()), flags_.startSecond);
    Show([&](DownloadProgress& p) {
      p.ShowPiece(static_cast<int32_t>(downloadedBytes * (1.0f / 1048576.0f)), figures.text);
    });
    if (flags_.stopped) {
      stopSeen = true;
      if (classic) {
        Show([](DownloadProgress& p) {
          p.ClearTargetLine();
          p.SetProgressPosition(0);
          p.ShowDownloadCancelled();
        });
      }
      break;
    }
  }
  file.reset();

  // 9: close; a stopped download keeps its partial file for a later resume.
  opened.request.reset();
  if (stopSeen || flags_.stopped) return abandoned_ ? DownloadOutcome::kAbandoned : DownloadOutcome::kStopped;

  // 10: whole only when the body ended as announced and every byte is on disk.
  const bool whole = endOfBody && (totalBytes > 0 ? bytesDone >= totalBytes : bytesDone > 0);
  if (!whole) return DownloadOutcome::kIncomplete;
  return Complete(totalBytes > 0 ? totalBytes : bytesDone);
}

void DownloadWorker::ShowComplete(int64_t presentBytes) {
  bool open = true;
  Show([&](DownloadProgress& p) {
    p.SetProgressPosition(Megabytes(presentBytes));
    open = p.SectionOpen();
    if (open) {
      p.RestoreButtonCaption();
    } else {
      p.HideButton();
    }
    p.ShowDownloadComplete();
  });
}

DownloadOutcome DownloadWorker::Complete(int64_t totalBytes) {
  if (abandoned_) return DownloadOutcome::kAbandoned;
  if (flags_.stopped) return DownloadOutcome::kStopped;
  // The installer is never started on a file that is not there.
  const std::optional<uint64_t> size = context_.files.FileSize(job_.localPath);
  if (!size || *size == 0) return DownloadOutcome::kIncomplete;
  // Nor on one that is not the vendor's, signed: that is checked before the
  // completion shows, and again before every start.
  if (!launcher_.Verified(job_.localPath)) return NotVerified();

  const auto survey = [&] {
    context_.shell.OpenUrl(SurveyAddress(context_.endpoints, context_.usage.SurveyQuery()));
    context_.usage.SendInstallStartEvent();
  };
  switch (job_.variant) {
    case WorkerVariant::kMainDriver: {
      flags_.complete = true;
      Show([](DownloadProgress& p) { p.HideTargetLine(); });
      survey();
      Show([&](DownloadProgress& p) {
        if (p.SectionOpen()) {
          p.RestoreButtonCaption();
          p.ShowDownloadComplete();
          p.SetProgressPosition(Megabytes(totalBytes));
        } else {
          p.HideButton();
        }
      });
      break;
    }
    case WorkerVariant::kFeature:
      flags_.complete = true;
      flags_.downloading = false;
      Show([](DownloadProgress& p) {
        p.ShowDownloadComplete();
        if (p.SectionOpen()) {
          p.RestoreButtonCaption();
        } else {
          p.HideButton();
        }
      });
      break;
    case WorkerVariant::kClassicDriver: {
      if (!VendorWebSiteReachable(context_.network, context_.endpoints)) {
        return DownloadOutcome::kConnectionLost;
      }
      Show([](DownloadProgress& p) { p.HideTargetLine(); });
      survey();
      Show([&](DownloadProgress& p) {
        p.SetProgressPosition(Megabytes(totalBytes));
        p.RestoreButtonCaption();
        p.ShowDownloadComplete();
      });
      break;
    }
  }
  // The window may have let go while the usage hit was under way.
  if (abandoned_) return DownloadOutcome::kAbandoned;
  const LaunchResult launched =
      launcher_.LaunchInstaller(job_.localPath, job_.variant != WorkerVariant::kFeature && job_.minimalSetup);
  if (launched == LaunchResult::kNotVerified) return NotVerified();
  return DownloadOutcome::kCompleted;
}

DownloadOutcome DownloadWorker::NotVerified() {
  flags_.complete = false;
  // The classic window's flag says a download was started in this run, and stays.
  if (job_.variant != WorkerVariant::kClassicDriver) flags_.downloading = false;
  Show([](DownloadProgress& p) { p.ShowNotVerified(); });
  return abandoned_ ? DownloadOutcome::kAbandoned : DownloadOutcome::kNotVerified;
}

struct DownloadThreads::Entry {
  int type = 0;
  std::unique_ptr<DownloadWorker> worker;
  std::optional<DownloadOutcome> outcome;
  std::thread thread;
};

DownloadThreads::DownloadThreads() = default;

DownloadThreads::~DownloadThreads() {
  AbandonAll();
  WaitAll();
}

void DownloadThreads::Start(int type, std::unique_ptr<DownloadWorker> worker) {
  if (!worker) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto entry = std::make_unique<Entry>();
  entry->type = type;
  entry->worker = std::move(worker);
  Entry* raw = entry.get();
  entries_.push_back(std::move(entry));
  raw->thread = std::thread([this, raw] {
    {
      // An earlier worker of the same type may still be finishing its last
      // piece after a cancel: two workers never write one package at once.
      std::unique_lock<std::mutex> wait(mutex_);
      ended_.wait(wait, [this, raw] {
        for (const auto& earlier : entries_) {
          if (earlier.get() == raw) return true;
          if (earlier->type == raw->type && !earlier->outcome) return false;
        }
        return true;
      });
    }
    const DownloadOutcome outcome = raw->worker->abandoned() ? DownloadOutcome::kAbandoned : raw->worker->Run();
    std::lock_guard<std::mutex> done(mutex_);
    raw->outcome = outcome;
    ended_.notify_all();
  });
}

void DownloadThreads::Abandon(int type) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& entry : entries_) {
    if (entry->type == type) entry->worker->Abandon();
  }
}

void DownloadThreads::AbandonAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& entry : entries_) entry->worker->Abandon();
}

void DownloadThreads::WaitAll() {
  std::vector<std::thread*> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : entries_) threads.push_back(&entry->thread);
  }
  for (std::thread* thread : threads) {
    if (thread->joinable()) thread->join();
  }
}

std::vector<DownloadOutcome> DownloadThreads::Outcomes() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<DownloadOutcome> outcomes;
  for (const auto& entry : entries_) {
    if (entry->outcome) outcomes.push_back(*entry->outcome);
  }
  return outcomes;
}

}  // namespace quillo
