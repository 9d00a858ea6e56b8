#include "download/download_worker.h"
#include "download/package_signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "fakes/fake_signatures.h"
#include "fakes/fake_ports.h"
#include "fakes/test_files.h"

namespace quillo {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

const Endpoints kEndpoints{L"web.test", L"support.test", L"dl.test", L"local.test", L"survey.test", L"ga.test"};
const std::wstring kPath = L"/drivers/09/pkg.exe";
const std::wstring kLocal = L"C:\\Temp\\pkg.exe";

// Records what the worker shows, one line per call.
class RecordingProgress final : public DownloadProgress {
 public:
  std::vector<std::string> calls;
  bool sectionOpen = true;

  void SetProgressRange(int32_t maximum) override { calls.push_back("range " + std::to_string(maximum)); }
  void SetProgressPosition(int32_t position) override { calls.push_back("position " + std::to_string(position)); }
  void SetStatusText(const std::wstring& text) override {
    calls.push_back("status " + std::string(text.begin(), text.end()));
  }
  void ShowPiece(int32_t position, const std::wstring& text) override {
    SetProgressPosition(position);
    SetStatusText(text);
  }
  void ShowDownloadComplete() override { calls.push_back("complete"); }
  void ShowDownloadCancelled() override { calls.push_back("cancelled"); }
  void HideTargetLine() override { calls.push_back("hide target"); }
  void ClearTargetLine() override { calls.push_back("clear target"); }
  bool SectionOpen() override { return sectionOpen; }
  void RestoreButtonCaption() override { calls.push_back("caption"); }
  void HideButton() override { calls.push_back("hide button"); }
  void ShowNotVerified() override { calls.push_back("not verified"); }

  // The calls that are not per-piece updates.
  std::vector<std::string> Milestones() const {
    std::vector<std::string> kept;
    for (const std::string& call : calls) {
      if (!call.starts_with("status ") && !call.starts_with("position ")) kept.push_back(call);
    }
    return kept;
  }
};

// Every file carries the test publisher's good signature.
fakes::FakeSignatures SignedByThePublisher() {
  fakes::FakeSignatures signatures;
  signatures.otherwise = fakes::FakeSignatures::SignedBy(PackagePublisher());
  return signatures;
}

std::string Package(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = fakes::FakeNetwork::PackageByte(i);
  return bytes;
}

class DownloadWorkerTest : public testing::Test {
 protected:
  void SetUp() override {
    package_ = Package(23456);
    network_.responses[kPath].body = package_;
    network_.responses[kPath].answersRange = true;
    system_.now = LocalTime{2026, 12, 9, 12, 0, 20, 0};
    state_.driverStartSecond = 12 * 3600;
    usage_.values().packageFileName = L"pkg.exe";
  }

  DownloadJob Job(WorkerVariant variant = WorkerVariant::kMainDriver) {
    DownloadJob job;
    job.variant = variant;
    job.host = L"dl.test";
    job.requestPath = kPath;
    job.localPath = kLocal;
    job.referrer = L"http://support.test";
    job.sizeMB = 22;
    return job;
  }

  DownloadOutcome Run(DownloadJob job, DownloadKind kind = DownloadKind::kDriver) {
    worker_ = std::make_unique<DownloadWorker>(context_, std::move(job), state_.Flags(kind), progress_);
    return worker_->Run();
  }

  // The package requests (the size query first), without the usage hits.
  std::vector<fakes::FakeNetwork::Request> PackageRequests() const {
    std::vector<fakes::FakeNetwork::Request> found;
    for (const auto& request : network_.requests) {
      if (request.target.host != L"ga.test") found.push_back(request);
    }
    return found;
  }
  size_t Hits() const { return network_.requests.size() - PackageRequests().size(); }
  std::string LocalFile() { return files_.files.count(kLocal) ? files_.files[kLocal].data : "<none>"; }

  std::string package_;
  fakes::FakeNetwork network_;
  fakes::FakeFiles files_;
  fakes::FakeSystemInfo system_;
  fakes::FakeShell shell_;
  RunLog log_{system_};
  UsageReporter usage_{network_, kEndpoints, log_};
  RunState state_;
  RecordingProgress progress_;
  fakes::FakeSignatures signatures_ = SignedByThePublisher();
  DownloadContext context_{network_, files_, system_, shell_, kEndpoints, usage_, signatures_, log_};
  std::unique_ptr<DownloadWorker> worker_;
};

TEST_F(DownloadWorkerTest, AFreshDownloadIsWholeThenTheSurveyTheHitAndTheInstaller) {
  EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
  EXPECT_EQ(LocalFile(), package_);

  const auto requests = PackageRequests();
  ASSERT_EQ(requests.size(), 2u) << "the size, then the package";
  for (const auto& request : requests) {
    EXPECT_EQ(request.target.host, L"dl.test");
    EXPECT_EQ(request.target.port, 80);
    EXPECT_EQ(request.target.path, kPath);
    EXPECT_EQ(request.target.userAgent, L"Velmora Halvard Quillo Utility");
    EXPECT_EQ(request.target.referrer, L"http://support.test");
    EXPECT_FALSE(request.target.narrowCalls);
    EXPECT_THAT(request.headers, IsEmpty());
  }
  EXPECT_EQ(requests[0].bodyBytesRead, 0u) << "the size query reads no body";
  EXPECT_THAT(files_.opened, ElementsAre(std::pair{kLocal, FileOpen::kAlways}));

  // Five pieces of 5000 bytes, the last one short.
  EXPECT_EQ(progress_.calls.front(), "range 22");
  EXPECT_EQ(std::count_if(progress_.calls.begin(), progress_.calls.end(),
                          [](const std::string& c) { return c.starts_with("status "); }),
            5);
  EXPECT_THAT(progress_.calls, testing::Contains("status 0.00 MB downloaded of 22 MB at 10 KB/s. 1  Minute left"));
  EXPECT_THAT(progress_.calls, testing::Contains("status 0.02 MB downloaded of 22 MB at 10 KB/s. 1  Minute left"));
  EXPECT_THAT(progress_.Milestones(), ElementsAre("range 22", "hide target", "caption", "complete"));
  EXPECT_EQ(progress_.calls.back(), "position 0");

  EXPECT_TRUE(state_.driverDownloadComplete);
  EXPECT_THAT(shell_.openedUrls, ElementsAre(L"https://survey.test/acc?" + usage_.SurveyQuery()));
  ASSERT_EQ(Hits(), 1u);
  std::wstring installHit;
  usage_.BuildEventPath(3, installHit);
  EXPECT_EQ(network_.requests.back().target.path, installHit);
  ASSERT_EQ(shell_.processes.size(), 1u);
  EXPECT_EQ(shell_.processes[0].commandLine, L"\"C:\\Temp\\pkg.exe\"");
  EXPECT_EQ(shell_.processes[0].currentDirectory, L"C:\\Temp");
  EXPECT_FALSE(shell_.processes[0].waited);
}

TEST_F(DownloadWorkerTest, APartialFileIsResumedWithARangeAndAppended) {
  for (const size_t present : {size_t{1}, size_t{7000}, package_.size() - 1}) {
    SCOPED_TRACE(present);
    network_.requests.clear();
    shell_.processes.clear();
    files_.files[kLocal].data = package_.substr(0, present);
    EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
    EXPECT_EQ(LocalFile(), package_);
    const auto requests = PackageRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_THAT(requests[1].headers,
                ElementsAre(L"Range: bytes=" + std::to_wstring(present) + L"-" + std::to_wstring(package_.size()) +
                            L"\r\n"));
    EXPECT_EQ(requests[1].bodyBytesRead, package_.size() - present);
    EXPECT_EQ(shell_.processes.size(), 1u);
  }
}

TEST_F(DownloadWorkerTest, ACompleteFileIsNotFetchedAgainAndIsInstalledAtOnce) {
  files_.files[kLocal].data = package_;
  progress_.sectionOpen = false;
  EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
  EXPECT_EQ(LocalFile(), package_);
  const auto requests = PackageRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[1].sent) << "no request is sent for a whole file";
  EXPECT_THAT(progress_.calls, ElementsAre("range 22", "position 0", "hide button", "complete", "hide target",
                                           "hide button"));
  EXPECT_EQ(shell_.openedUrls.size(), 1u);
  EXPECT_EQ(Hits(), 1u);
  EXPECT_EQ(shell_.processes.size(), 1u);
}

TEST_F(DownloadWorkerTest, ARangeTheServerIgnoresStartsTheFileAgain) {
  network_.responses[kPath].answersRange = false;
  files_.files[kLocal].data = package_.substr(0, 9000);
  EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
  EXPECT_EQ(LocalFile(), package_) << "not the first part followed by a second copy";
  EXPECT_EQ(files_.opened.back().second, FileOpen::kReplace);
}

// What is left of the package and whether anything was started, per fault.
struct FaultCase {
  const char* name;
  std::function<void(fakes::FakeNetwork&, fakes::FakeFiles&)> setUp;
  std::optional<size_t> present;  // bytes on disk before
  DownloadOutcome outcome;
  std::optional<size_t> after;    // bytes on disk after (empty: no file)
  const char* diagnostic;         // the line on standard output, "" for none
};

TEST_F(DownloadWorkerTest, AFailedDownloadStartsNothingAndKeepsOnlyPackageBytes) {
  using Net = fakes::FakeNetwork;
  using Files = fakes::FakeFiles;
  const FaultCase cases[] = {
      {"404 page", [](Net& n, Files&) { n.responses[kPath].status = 404; n.responses[kPath].body = "<h1>404</h1>"; },
       std::nullopt, DownloadOutcome::kServerRefused, std::nullopt, ""},
      // The page's length is no package size: a part longer than the page is not "whole".
      {"500 page on a resume", [](Net& n, Files&) {
         n.responses[kPath].status = 500;
         n.responses[kPath].body = "<h1>500</h1>";
       }, 7000, DownloadOutcome::kServerRefused, 7000, ""},
      {"dropped", [](Net& n, Files&) { n.responses[kPath].dropAfter = 12000; }, std::nullopt,
       DownloadOutcome::kIncomplete, 12000, ""},
      {"dropped on a resume", [](Net& n, Files&) { n.responses[kPath].dropAfter = 100; }, 7000,
       DownloadOutcome::kIncomplete, 7100, ""},
      {"refused", [](Net& n, Files&) { n.sendError = 12029; }, std::nullopt, DownloadOutcome::kIncomplete,
       std::nullopt, "HttpSendRequestW failed with error code 12029\n"},
      {"refused with a part", [](Net& n, Files&) { n.sendError = 12029; }, 7000, DownloadOutcome::kIncomplete, 7000,
       "HttpSendRequestW failed with error code 12029\n"},
      {"no internet handle", [](Net& n, Files&) { n.openFailure = {{HttpStep::kOpen, 5}}; }, std::nullopt,
       DownloadOutcome::kIncomplete, std::nullopt,
       "InternetOpenW failed with error code 5\nInternetOpenW failed with error code 5\n"},
      {"no connection", [](Net& n, Files&) { n.openFailure = {{HttpStep::kConnect, 12007}}; }, 3,
       DownloadOutcome::kIncomplete, 3,
       "InternetConnectW failed with error code 12007\nInternetConnectW failed with error code 12007\n"},
      {"no request", [](Net& n, Files&) { n.openFailure = {{HttpStep::kOpenRequest, 87}}; }, std::nullopt,
       DownloadOutcome::kIncomplete, std::nullopt,
       "HttpOpenRequestW failed with error code 87\nHttpOpenRequestW failed with error code 87\n"},
      {"disk full", [](Net&, Files& f) { f.diskSpace = 10000; }, std::nullopt, DownloadOutcome::kIncomplete, 10000,
       ""},
      {"file cannot be written", [](Net&, Files& f) { f.readOnly.insert(kLocal); }, std::nullopt,
       DownloadOutcome::kIncomplete, std::nullopt, ""},
      {"no length and dropped", [](Net& n, Files&) {
         n.responses[kPath].sendContentLength = false;
         n.responses[kPath].dropAfter = 0;
       }, std::nullopt, DownloadOutcome::kIncomplete, 0, ""},
      {"no length and an empty body", [](Net& n, Files&) {
         n.responses[kPath].sendContentLength = false;
         n.responses[kPath].body.clear();
       }, std::nullopt, DownloadOutcome::kIncomplete, 0, ""},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    network_ = fakes::FakeNetwork{};
    network_.responses[kPath].body = package_;
    network_.responses[kPath].answersRange = true;
    files_ = fakes::FakeFiles{};
    shell_ = fakes::FakeShell{};
    progress_ = RecordingProgress{};
    state_.driverDownloadComplete = false;
    c.setUp(network_, files_);
    if (c.present) files_.files[kLocal].data = package_.substr(0, *c.present);

    testing::internal::CaptureStdout();
    EXPECT_EQ(Run(Job()), c.outcome);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.diagnostic);
    if (c.after) {
      EXPECT_EQ(LocalFile(), package_.substr(0, *c.after));
    } else {
      EXPECT_EQ(files_.files.count(kLocal), 0u);
    }
    EXPECT_THAT(shell_.processes, IsEmpty());
    EXPECT_THAT(shell_.openedUrls, IsEmpty());
    EXPECT_EQ(Hits(), 0u);
    EXPECT_FALSE(state_.driverDownloadComplete);
    EXPECT_THAT(progress_.Milestones(), testing::Not(testing::Contains("complete")));
  }
}

TEST_F(DownloadWorkerTest, WithoutALengthTheOffersSizeGivesTheRangeAndTheBodyItsEnd) {
  network_.responses[kPath].sendContentLength = false;
  EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
  EXPECT_EQ(LocalFile(), package_);
  EXPECT_EQ(progress_.calls.front(), "range 22");
  EXPECT_THAT(progress_.calls, testing::Contains("status 0.02 MB downloaded of 22 MB at 10 KB/s. 1  Minute left"));

  // A later start with the whole file: the server's 416 says it is whole.
  shell_.processes.clear();
  EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
  EXPECT_EQ(LocalFile(), package_);
  EXPECT_THAT(PackageRequests().back().headers, ElementsAre(L"Range: bytes=23456-0\r\n"));
  EXPECT_EQ(shell_.processes.size(), 1u);
}

TEST_F(DownloadWorkerTest, AStopLeavesThePartForTheNextStartToResume) {
  network_.beforeRead = [&](size_t request) {
    if (network_.requests[request].bodyBytesRead >= 10000) state_.driverDownloadStopped = true;
  };
  EXPECT_EQ(Run(Job()), DownloadOutcome::kStopped);
  EXPECT_EQ(LocalFile(), package_.substr(0, 15000)) << "the piece under way is kept";
  EXPECT_THAT(progress_.Milestones(), ElementsAre("range 22"));
  EXPECT_THAT(shell_.processes, IsEmpty());

  network_.beforeRead = nullptr;
  state_.driverDownloadStopped = false;
  EXPECT_EQ(Run(Job()), DownloadOutcome::kCompleted);
  EXPECT_EQ(LocalFile(), package_);
  EXPECT_EQ(shell_.processes.size(), 1u);
}

TEST_F(DownloadWorkerTest, AnAbandonedWorkerNeverTouchesTheWindowAgainNorInstalls) {
  network_.beforeRead = [&](size_t request) {
    if (network_.requests[request].bodyBytesRead >= 5000) worker_->Abandon();
  };
  EXPECT_EQ(Run(Job()), DownloadOutcome::kAbandoned);
  const size_t callsWhenAbandoned = 3;  // the range, then one piece's position and status
  EXPECT_EQ(progress_.calls.size(), callsWhenAbandoned);
  EXPECT_THAT(shell_.processes, IsEmpty());
  EXPECT_THAT(shell_.openedUrls, IsEmpty());
  EXPECT_TRUE(state_.driverDownloadStopped);

  // Abandoned while the file is already whole: nothing either.
  files_.files[kLocal].data = package_;
  progress_.calls.clear();
  worker_ = std::make_unique<DownloadWorker>(context_, Job(), state_.Flags(DownloadKind::kDriver), progress_);
  worker_->Abandon();
  EXPECT_EQ(worker_->Run(), DownloadOutcome::kAbandoned);
  EXPECT_THAT(progress_.calls, IsEmpty());
  EXPECT_THAT(shell_.processes, IsEmpty());
}

TEST_F(DownloadWorkerTest, AMinimalPackageIsUnpackedAndItsSetupStarted) {
  DownloadJob job = Job();
  job.minimalSetup = true;
  EXPECT_EQ(Run(job), DownloadOutcome::kCompleted);
  EXPECT_THAT(shell_.createdFolders, ElementsAre(L"C:\\Temp\\pkg"));
  ASSERT_EQ(shell_.processes.size(), 2u);
  EXPECT_EQ(shell_.processes[0].commandLine, L"\"C:\\Temp\\pkg.exe\" /S /NCRC /D=C:\\Temp\\pkg");
  EXPECT_EQ(shell_.processes[0].currentDirectory, L"C:\\Temp\\pkg");
  EXPECT_TRUE(shell_.processes[0].waited);
  EXPECT_EQ(shell_.processes[1].commandLine, L"\"C:\\Temp\\pkg\\Setup.exe\"");
  EXPECT_EQ(shell_.processes[1].currentDirectory, L"C:\\Temp\\pkg");
  EXPECT_FALSE(shell_.processes[1].waited);
  EXPECT_EQ(worker_->localPath(), L"C:\\Temp\\pkg\\Setup.exe");
}

TEST_F(DownloadWorkerTest, AFeatureInstallerTakesTheServersSizeAndIsStartedDirectly) {
  network_.responses[kPath].body = Package(3 * 1048576 + 10);
  state_.wvhDownloading = true;
  state_.wvhStartSecond = 12 * 3600;
  DownloadJob job = Job(WorkerVariant::kFeature);
  job.referrer.clear();
  job.minimalSetup = true;  // never for a feature
  progress_.sectionOpen = false;
  EXPECT_EQ(Run(job, DownloadKind::kWavehand), DownloadOutcome::kCompleted);
  EXPECT_EQ(progress_.calls.front(), "range 3");
  EXPECT_THAT(progress_.calls, testing::Contains(testing::StartsWith("status 3.00 MB downloaded of 3 MB at ")));
  EXPECT_THAT(progress_.Milestones(), ElementsAre("range 3", "complete", "hide button"));
  EXPECT_TRUE(state_.wvhDownloadComplete);
  EXPECT_FALSE(state_.wvhDownloading);
  EXPECT_FALSE(state_.driverDownloadComplete);
  EXPECT_TRUE(PackageRequests()[1].target.referrer.empty());
  EXPECT_THAT(shell_.openedUrls, IsEmpty());
  EXPECT_EQ(Hits(), 0u);
  ASSERT_EQ(shell_.processes.size(), 1u);
  EXPECT_EQ(shell_.processes[0].commandLine, L"\"C:\\Temp\\pkg.exe\"");
}

TEST_F(DownloadWorkerTest, TheClassicWorkerShowsItsCancelAndChecksTheConnectionBeforeInstalling) {
  std::atomic<bool> downloading{false}, stopped{false}, complete{false};
  DownloadFlags flags{downloading, stopped, complete, state_.driverStartSecond};
  network_.beforeRead = [&](size_t request) {
    if (network_.requests[request].bodyBytesRead >= 5000) stopped = true;
  };
  DownloadWorker cancelled(context_, Job(WorkerVariant::kClassicDriver), flags, progress_);
  EXPECT_EQ(cancelled.Run(), DownloadOutcome::kStopped);
  EXPECT_TRUE(downloading) << "the classic worker sets its window's flag itself";
  EXPECT_THAT(progress_.Milestones(), ElementsAre("range 22", "clear target", "cancelled"));
  EXPECT_EQ(progress_.calls.at(progress_.calls.size() - 2), "position 0");

  network_.beforeRead = nullptr;
  stopped = false;
  progress_.calls.clear();
  DownloadWorker offline(context_, Job(WorkerVariant::kClassicDriver), flags, progress_);
  EXPECT_EQ(offline.Run(), DownloadOutcome::kConnectionLost);
  EXPECT_THAT(network_.probes, ElementsAre("http://web.test"));
  EXPECT_THAT(shell_.processes, IsEmpty());

  network_.reachable.insert("http://web.test");
  progress_.calls.clear();
  DownloadWorker online(context_, Job(WorkerVariant::kClassicDriver), flags, progress_);
  EXPECT_EQ(online.Run(), DownloadOutcome::kCompleted);
  // The file was whole already: shown complete at once, then the completion.
  EXPECT_THAT(progress_.Milestones(),
              ElementsAre("range 22", "caption", "complete", "hide target", "caption", "complete"));
  EXPECT_EQ(shell_.openedUrls.size(), 1u);
  EXPECT_EQ(shell_.processes.size(), 1u);
}

// Packages past 2 and 4 GiB: sizes, ranges and offsets stay whole.
TEST_F(DownloadWorkerTest, APackageOver4GiBResumesFromItsTrueSize) {
  const uint64_t size = (uint64_t{1} << 32) + 123456789;
  network_.responses[kPath] = {};
  network_.responses[kPath].generatedLength = size;
  network_.responses[kPath].answersRange = true;
  files_.files[kLocal].skipped = size - 12345;
  DownloadJob job = Job();
  job.sizeMB = 4213;
  EXPECT_EQ(Run(job), DownloadOutcome::kCompleted);
  EXPECT_EQ(files_.files[kLocal].size(), size);
  std::string tail(12345, '\0');
  for (size_t i = 0; i < tail.size(); ++i) tail[i] = fakes::FakeNetwork::PackageByte(size - 12345 + i);
  EXPECT_EQ(files_.files[kLocal].data, tail);
  EXPECT_THAT(PackageRequests().back().headers, ElementsAre(L"Range: bytes=4418411740-4418424085\r\n"));
  EXPECT_EQ(progress_.calls.front(), "range 4213");
  EXPECT_THAT(progress_.calls, testing::Contains("position 4213"));
  EXPECT_EQ(shell_.processes.size(), 1u);
}

// The window's table: workers run on their own threads; letting go of the
// driver's leaves the others running to their end.
// One worker's world for the thread-table tests: its fakes and its window.
struct Side {
  fakes::FakeNetwork network;
  fakes::FakeFiles files;
  fakes::FakeSystemInfo system;
  fakes::FakeShell shell;
  RunLog log{system};
  UsageReporter usage{network, kEndpoints, log};
  RecordingProgress progress;
  fakes::FakeSignatures signatures = SignedByThePublisher();
  DownloadContext context{network, files, system, shell, kEndpoints, usage, signatures, log};
  std::atomic<bool> reading{false};
  std::atomic<bool> release{false};
};

TEST(DownloadThreadsTest, AbandoningOneTypeLeavesTheOthersToFinish) {
  Side driver, feature;
  RunState state;
  for (Side* side : {&driver, &feature}) {
    side->network.responses[kPath].body = Package(40000);
    side->network.reachable.insert("http://web.test");
  }
  // The driver's download waits in its second piece until the test lets it go on.
  driver.network.beforeRead = [&](size_t request) {
    if (driver.network.requests[request].bodyBytesRead == 0) return;
    driver.reading = true;
    while (!driver.release) std::this_thread::yield();
  };
  DownloadJob driverJob;
  driverJob.host = L"dl.test";
  driverJob.requestPath = kPath;
  driverJob.localPath = kLocal;
  DownloadJob featureJob = driverJob;
  featureJob.variant = WorkerVariant::kFeature;

  DownloadThreads threads;
  threads.Start(0, std::make_unique<DownloadWorker>(driver.context, driverJob, state.Flags(DownloadKind::kDriver),
                                                   driver.progress));
  threads.Start(1, nullptr);  // types 1 and 5 start nothing
  threads.Start(2, std::make_unique<DownloadWorker>(feature.context, featureJob,
                                                   state.Flags(DownloadKind::kRapidline), feature.progress));
  while (!driver.reading) std::this_thread::yield();
  threads.Abandon(0);
  const size_t shown = driver.progress.calls.size();
  driver.release = true;
  threads.WaitAll();

  std::vector<DownloadOutcome> outcomes = threads.Outcomes();
  EXPECT_EQ(outcomes, (std::vector<DownloadOutcome>{DownloadOutcome::kAbandoned, DownloadOutcome::kCompleted}));
  EXPECT_EQ(driver.progress.calls.size(), shown) << "nothing shown after the window let go";
  EXPECT_THAT(driver.shell.processes, IsEmpty());
  EXPECT_EQ(feature.files.files[kLocal].data, Package(40000));
  EXPECT_EQ(feature.shell.processes.size(), 1u);
  EXPECT_TRUE(state.rplDownloadComplete);
}

// A cancelled driver worker still finishing its piece and the new worker
// of the next press never write the package together: the new one waits.
TEST(DownloadThreadsTest, ANewWorkerOfATypeWaitsForTheCancelledOne) {
  // Both workers download through one server into one file, each showing in a window of its own.
  Side side;
  RecordingProgress second;
  side.network.responses[kPath].body = Package(40000);
  side.network.responses[kPath].answersRange = true;
  side.network.reachable.insert("http://web.test");
  std::atomic<size_t> requestsWhileHeld{0};
  side.network.beforeRead = [&](size_t request) {
    if (request != 1 || side.network.requests[request].bodyBytesRead == 0 || side.release) return;
    side.reading = true;
    while (!side.release) std::this_thread::yield();
  };
  DownloadJob job;
  job.variant = WorkerVariant::kClassicDriver;
  job.host = L"dl.test";
  job.requestPath = kPath;
  job.localPath = kLocal;
  std::atomic<bool> firstStopped{false}, secondStopped{false};
  std::atomic<bool> downloading{false}, complete{false};
  std::atomic<int32_t> startSecond{0};

  DownloadThreads threads;
  threads.Start(0, std::make_unique<DownloadWorker>(
                       side.context, job, DownloadFlags{downloading, firstStopped, complete, startSecond},
                       side.progress));
  while (!side.reading) std::this_thread::yield();
  firstStopped = true;  // the user cancels and presses Download Now again at once
  threads.Start(0, std::make_unique<DownloadWorker>(
                       side.context, job, DownloadFlags{downloading, secondStopped, complete, startSecond}, second));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  requestsWhileHeld = side.network.requests.size();
  side.release = true;
  threads.WaitAll();

  EXPECT_EQ(requestsWhileHeld, 2u) << "the second worker sent nothing while the first was still writing";
  EXPECT_EQ(threads.Outcomes(), (std::vector<DownloadOutcome>{DownloadOutcome::kStopped, DownloadOutcome::kCompleted}));
  EXPECT_EQ(side.files.files[kLocal].data, Package(40000))
      << "the second resumed the first's file into the whole package";
}

struct StatusCase {
  const char* name;
  uint64_t received;
  uint64_t done;
  uint64_t total;
  int64_t totalMB;
  int32_t now;
  int32_t start;
  const char* text;
};

TEST(DownloadStatusTest, SpeedAndMinutesLeftAsTheStatusLineShowsThem) {
  const StatusCase cases[] = {
      // 5 000 000 bytes in 20 s is 244 KB/s; 104 857 600 bytes more take 102 400 / 14 640 minutes.
      {"the worked example", 5000000, 5000000, 5000000 + 104857600, 105, 43220, 43200,
       "4.77 MB downloaded of 105 MB at 244 KB/s. 6  Minutes left"},
      {"a minute or less", 5000000, 5000000, 5000000 + 10000000, 15, 43220, 43200,
       "4.77 MB downloaded of 15 MB at 244 KB/s. 1  Minute left"},
      {"past midnight counts one second", 512000, 512000, 104857600, 100, 5, 86390,
       "0.49 MB downloaded of 100 MB at 500 KB/s. 3  Minutes left"},
      {"within the first second", 512000, 512000, 104857600, 100, 43200, 43200,
       "0.49 MB downloaded of 100 MB at 500 KB/s. 3  Minutes left"},
      {"no length: total 0", 5000000, 5000000, 0, 22, 43220, 43200,
       "4.77 MB downloaded of 22 MB at 244 KB/s. 1  Minute left"},
      {"no offered size shows 0", 5000000, 5000000, 104857600, 0, 43220, 43200,
       "4.77 MB downloaded of 0 MB at 244 KB/s. 6  Minutes left"},
      {"too slow to count is 10 KB/s", 1000, 1000, 104857600, 100, 43300, 43200,
       "0.00 MB downloaded of 100 MB at 10 KB/s. 170  Minutes left"},
      {"a resume counts only this run's bytes for the speed", 1024000, 52428800, 104857600, 100, 43210, 43200,
       "50.00 MB downloaded of 100 MB at 100 KB/s. 8  Minutes left"},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    const StatusFigures figures = DownloadStatus(c.received, c.done, c.total, c.totalMB, c.now, c.start);
    EXPECT_EQ(std::string(figures.text.begin(), figures.text.end()), c.text);
  }
}

// A package that is not the vendor's, signed, is never started: it is
// removed, the window is told and goes idle, and neither the survey page
// nor the install hit goes out.
TEST_F(DownloadWorkerTest, APackageThatFailsItsSignatureCheckIsRemovedAndNothingStarts) {
  struct Case {
    const char* name;
    SignatureCheck check;
    WorkerVariant variant;
    DownloadKind kind;
  };
  const Case cases[] = {
      {"driver, no signature", {0x800B0100, L""}, WorkerVariant::kMainDriver, DownloadKind::kDriver},
      {"driver, changed after signing", {0x80096010, L""}, WorkerVariant::kMainDriver, DownloadKind::kDriver},
      {"feature, another publisher", fakes::FakeSignatures::SignedBy(L"Quillo Other Publisher"),
       WorkerVariant::kFeature, DownloadKind::kRapidline},
      {"classic driver, untrusted root", {0x800B0109, L""}, WorkerVariant::kClassicDriver, DownloadKind::kDriver},
  };
  const auto logFolder = std::filesystem::path(testing::TempDir()) / "quillo-not-verified";
  std::filesystem::create_directories(logFolder);
  system_.tempPath = logFolder.wstring() + L"/";
  ASSERT_TRUE(log_.Create());
  log_.Enable();
  network_.reachable.insert("http://web.test");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    files_.files.clear();
    shell_.processes.clear();
    shell_.openedUrls.clear();
    progress_.calls.clear();
    const size_t hitsBefore = Hits();
    signatures_.checks[kLocal] = c.check;
    state_.Flags(c.kind).downloading = true;

    EXPECT_EQ(Run(Job(c.variant), c.kind), DownloadOutcome::kNotVerified);
    EXPECT_EQ(files_.files.count(kLocal), 0u) << "removed, so the next download fetches it again";
    EXPECT_THAT(shell_.processes, IsEmpty());
    EXPECT_THAT(shell_.openedUrls, IsEmpty());
    EXPECT_EQ(Hits(), hitsBefore);
    ASSERT_FALSE(progress_.calls.empty());
    EXPECT_EQ(progress_.calls.back(), "not verified");
    EXPECT_EQ(state_.Flags(c.kind).downloading.load(), c.variant == WorkerVariant::kClassicDriver)
        << "the classic window's flag says a download was started in this run, and stays";
    EXPECT_FALSE(state_.Flags(c.kind).complete);
  }
  const std::string log = fakes::ReadBytes(log_.path());
  EXPECT_NE(log.find("LaunchInstaller - Signature check failed, not started and removed: C:\\Temp\\pkg.exe "
                     "(result 0x800B0100) \r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("(result 0x800B0004)"), std::string::npos) << "another publisher";
}

// A whole package already on disk that fails the check never shows as
// complete: the user sees only the not-verified message.
TEST_F(DownloadWorkerTest, AWholePackageThatFailsItsCheckIsNeverShownComplete) {
  files_.files[kLocal].data = package_;
  signatures_.checks[kLocal] = {0x80096010, L""};
  EXPECT_EQ(Run(Job(WorkerVariant::kClassicDriver)), DownloadOutcome::kNotVerified);
  EXPECT_THAT(progress_.Milestones(), ElementsAre("range 22", "not verified"));
  EXPECT_EQ(files_.files.count(kLocal), 0u);
  EXPECT_THAT(shell_.processes, IsEmpty());
}

struct LaunchCase {
  const char* name;
  std::wstring path;
  bool minimal;
  std::vector<std::pair<std::wstring, std::wstring>> started;  // command line, folder
  std::wstring pathAfter;
};

TEST(InstallerLaunchTest, CommandLinesAndFolders) {
  const LaunchCase cases[] = {
      {"full package", L"C:\\Users\\me\\AppData\\Local\\Temp\\pkg.exe", false,
       {{L"\"C:\\Users\\me\\AppData\\Local\\Temp\\pkg.exe\"", L"C:\\Users\\me\\AppData\\Local\\Temp"}},
       L"C:\\Users\\me\\AppData\\Local\\Temp\\pkg.exe"},
      {"minimal package in a folder with blanks", L"C:\\Documents and Settings\\me\\Temp\\pkg.exe", true,
       {{L"\"C:\\Documents and Settings\\me\\Temp\\pkg.exe\" /S /NCRC /D=C:\\Documents and Settings\\me\\Temp\\pkg",
         L"C:\\Documents and Settings\\me\\Temp\\pkg"},
        {L"\"C:\\Documents and Settings\\me\\Temp\\pkg\\Setup.exe\"", L"C:\\Documents and Settings\\me\\Temp\\pkg"}},
       L"C:\\Documents and Settings\\me\\Temp\\pkg\\Setup.exe"},
      {"a package without extension unpacks beside itself", L"C:\\Temp\\pkg", true,
       {{L"\"C:\\Temp\\pkg\" /S /NCRC /D=C:\\Temp\\pkg", L"C:\\Temp\\pkg"},
        {L"\"C:\\Temp\\pkg\\Setup.exe\"", L"C:\\Temp\\pkg"}},
       L"C:\\Temp\\pkg\\Setup.exe"},
      {"no folder part", L"\\pkg.exe", false, {{L"\"\\pkg.exe\"", L""}}, L"\\pkg.exe"},
  };
  for (const LaunchCase& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeShell shell;
    fakes::FakeFiles files;
    fakes::FakeSignatures signatures = SignedByThePublisher();
    fakes::FakeSystemInfo system;
    RunLog log(system);
    std::wstring path = c.path;
    EXPECT_EQ(InstallerLauncher(shell, files, signatures, log).LaunchInstaller(path, c.minimal),
              LaunchResult::kStarted);
    std::vector<std::pair<std::wstring, std::wstring>> started;
    for (const auto& process : shell.processes) started.emplace_back(process.commandLine, process.currentDirectory);
    EXPECT_EQ(started, c.started);
    EXPECT_EQ(path, c.pathAfter);
    ASSERT_FALSE(shell.processes.empty());
    EXPECT_EQ(shell.processes.front().waited, c.minimal) << "only the unpack is waited for";
  }
}

TEST(InstallerLaunchTest, AFailedUnpackStillTriesTheSetupAndReportsNothing) {
  fakes::FakeShell shell;
  shell.processStartFails = true;
  fakes::FakeFiles files;
  fakes::FakeSignatures signatures = SignedByThePublisher();
  fakes::FakeSystemInfo system;
  RunLog log(system);
  std::wstring path = L"C:\\Temp\\pkg.exe";
  InstallerLauncher launcher(shell, files, signatures, log);
  EXPECT_EQ(launcher.LaunchInstaller(path, true), LaunchResult::kNotStarted);
  EXPECT_EQ(path, L"C:\\Temp\\pkg\\Setup.exe");
  EXPECT_FALSE(launcher.RunAndWait(L"x.exe", L"C:\\Temp"));
}

// Every program the launcher would start is checked first: a minimal
// package that fails is never unpacked, and a Setup.exe that fails is not
// started after a good unpack.
TEST(InstallerLaunchTest, NothingUnverifiedIsUnpackedOrStarted) {
  const std::wstring package = L"C:\\Temp\\pkg.exe";
  const std::wstring setup = L"C:\\Temp\\pkg\\Setup.exe";
  struct Case {
    const char* name;
    bool minimal;
    std::vector<std::wstring> unsigned_;  // the rest carry the publisher's signature
    LaunchResult result;
    size_t started;
    std::vector<std::wstring> removed;
  };
  const Case cases[] = {
      {"full package, good", false, {}, LaunchResult::kStarted, 1, {}},
      {"full package, bad", false, {package}, LaunchResult::kNotVerified, 0, {package}},
      {"minimal package, bad archive", true, {package}, LaunchResult::kNotVerified, 0, {package}},
      {"minimal package, bad Setup.exe", true, {setup}, LaunchResult::kNotVerified, 1, {setup}},
      {"minimal package, good", true, {}, LaunchResult::kStarted, 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeShell shell;
    fakes::FakeFiles files;
    files.files[package].data = "archive";
    files.files[setup].data = "setup";
    fakes::FakeSignatures signatures = SignedByThePublisher();
    for (const std::wstring& path : c.unsigned_) signatures.checks[path] = {0x800B0100, L""};
    fakes::FakeSystemInfo system;
    RunLog log(system);
    std::wstring path = package;
    EXPECT_EQ(InstallerLauncher(shell, files, signatures, log).LaunchInstaller(path, c.minimal), c.result);
    EXPECT_EQ(shell.processes.size(), c.started);
    for (const std::wstring& removed : c.removed) EXPECT_EQ(files.files.count(removed), 0u);
    EXPECT_EQ(files.files.size(), 2 - c.removed.size());
  }
}

}  // namespace
}  // namespace quillo
