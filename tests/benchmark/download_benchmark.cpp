// Not a test: one package download through the real download worker, with
// its per-piece progress going to a real (hidden) window, timed.
//
//   download_benchmark HOST PATH LOCALFILE [--no-window]
//
// With --no-window the progress calls go nowhere, which shows what the
// window's updates cost.
//
// Prints one line: "bytes=N seconds=S cpu=C pieces=P outcome=O", where
// seconds is the worker's wall time and cpu the process's user and kernel
// time over the same stretch. scripts/download-benchmark runs it under Wine
// next to curl.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "download/download_worker.h"
#include "download/package_signature.h"
#include "platform/win32/win32_ports.h"
#include "usage/usage_events.h"
#include "win32/progress_window.h"

namespace {

class AnySignature final : public quillo::SignaturePort {
 public:
  quillo::SignatureCheck Check(const std::wstring&) override { return {0, quillo::PackagePublisher()}; }
};

class NoProgress final : public quillo::DownloadProgress {
 public:
  int calls = 0;
  void SetProgressRange(int32_t) override { ++calls; }
  void SetProgressPosition(int32_t) override { ++calls; }
  void SetStatusText(const std::wstring&) override { ++calls; }
  void ShowPiece(int32_t, const std::wstring&) override { ++calls; }
  void ShowDownloadComplete() override { ++calls; }
  void ShowDownloadCancelled() override { ++calls; }
  void HideTargetLine() override { ++calls; }
  void ClearTargetLine() override { ++calls; }
  bool SectionOpen() override { return true; }
  void RestoreButtonCaption() override { ++calls; }
  void HideButton() override { ++calls; }
  void ShowNotVerified() override { ++calls; }
};

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool noWindow = argc == 5 && std::wstring(argv[4]) == L"--no-window";
  if (argc != 4 && !noWindow) {
    std::fprintf(stderr, "usage: download_benchmark HOST PATH LOCALFILE [--no-window]\n");
    return 2;
  }
  quillo::win32::Network network;
  quillo::win32::Files files;
  quillo::win32::SystemInfo system;
  quillo::win32::Shell shell;
  quillo::RunLog log(system);
  const quillo::Endpoints& endpoints = quillo::BuiltInEndpoints();
  quillo::UsageReporter usage(network, endpoints, log);
  quillo::RunState state;
  const quillo::LocalTime now = system.Now();
  state.rplStartSecond = now.hour * 3600 + now.minute * 60 + now.second;

  quillo::test::WindowProgress window;
  NoProgress nowhere;
  quillo::DownloadProgress& progress = noWindow ? static_cast<quillo::DownloadProgress&>(nowhere) : window;
  quillo::DownloadJob job;
  // A feature installer: the same transfer as the driver's, without the survey page.
  job.variant = quillo::WorkerVariant::kFeature;
  job.host = argv[1];
  job.requestPath = argv[2];
  job.localPath = argv[3];
  DeleteFileW(job.localPath.c_str());
  // The benchmark's package is made on the spot and not signed: its check passes it.
  AnySignature signatures;
  quillo::DownloadContext context{network, files, system, shell, endpoints, usage, signatures, log};
  quillo::DownloadWorker worker(context, job, state.Flags(quillo::DownloadKind::kRapidline), progress);
  window.Attach(&worker);

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  const double cpuBefore = CpuSeconds();
  QueryPerformanceCounter(&start);
  const quillo::DownloadOutcome outcome = worker.Run();
  QueryPerformanceCounter(&end);
  const double cpu = CpuSeconds() - cpuBefore;
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  const uint64_t bytes = files.FileSize(job.localPath).value_or(0);
  std::printf("bytes=%llu seconds=%.3f cpu=%.3f pieces=%d outcome=%d\n", static_cast<unsigned long long>(bytes),
              seconds, cpu, noWindow ? nowhere.calls : window.applied(), static_cast<int>(outcome));
  return outcome == quillo::DownloadOutcome::kCompleted ? 0 : 1;
}
