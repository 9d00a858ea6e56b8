// The download worker, the installer launch and the usage hits on the real
// platform, against the vendor server. The packages are the installer
// fixture (tests/fixtures/programs), served by the download server and the
// vendor web site; each start of it is recorded, so the tests see what was
// started, from which folder and how often.
#include <windows.h>
#include <bcrypt.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/endpoints.h"
#include "app/run_log.h"
#include "download/download_worker.h"
#include "platform/win32/win32_ports.h"
#include "usage/survey.h"
#include "usage/usage_events.h"
#include "win32/program_path.h"
#include "win32/progress_window.h"
#include "win32/test_io.h"
#include "win32/vendor_server.h"

namespace quillo {
namespace {

using test::VendorServer;
using test::WindowProgress;

const std::string kInstaller = "/fixtures/installer.exe";
const std::string kMinimal = "/fixtures/minimal.exe";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Sha256(const std::string& bytes) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
  BCRYPT_HASH_HANDLE hash = nullptr;
  BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
  BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), static_cast<ULONG>(bytes.size()), 0);
  UCHAR digest[32] = {};
  BCryptFinishHash(hash, digest, sizeof digest, 0);
  BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  std::string hex;
  char two[3];
  for (UCHAR byte : digest) {
    std::snprintf(two, sizeof two, "%02x", byte);
    hex += two;
  }
  return hex;
}

using test::Lines;
using test::ReadAll;
using test::WriteAll;

// The tests' download folder has blanks in its name, as "Documents and
// Settings" had: a command line must keep the program path whole.
class DownloadTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(VendorServer::SetFaults(""));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"Quillo Downloads " +
              Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(std::filesystem::path(folder_));
    std::filesystem::create_directories(std::filesystem::path(folder_));
    launchLog_ = folder_ + L"\\launches.log";
    SetEnvironmentVariableW(L"QUILLO_LAUNCH_LOG", launchLog_.c_str());
    state_.driverStartSecond = 0;
    UsageValues& values = usage_.values();
    values.processorBrand = L"Velmora(R) Core(TM) i7-8700 CPU @ 3.20GHz";
    values.osShortName = L"Windows10";
    values.bitnessText = L"64";
    values.languageCode = L"ENU";
    values.packageFileName = L"installer.exe";
    usage_.BuildAdapterIdLists({AdapterInfo{L"7A10", L"3000", L"1FA2", L"1FA2", L"00", L"Velmora Prism"}});
    served_ = VendorServer::DataFile("download", kInstaller);
    ASSERT_GT(served_.size(), 20000u) << "the installer fixture is served by the download server";
  }
  void TearDown() override {
    EXPECT_TRUE(VendorServer::SetFaults(""));
    SetEnvironmentVariableW(L"QUILLO_LAUNCH_LOG", nullptr);
  }

  std::wstring Local(const std::string& path) { return folder_ + L"\\" + Wide(path.substr(path.rfind('/') + 1)); }

  DownloadJob DriverJob(const std::string& path = kInstaller) {
    DownloadJob job;
    job.variant = WorkerVariant::kMainDriver;
    job.host = endpoints_.downloadServer;
    job.requestPath = Wide(path);
    job.localPath = Local(path);
    job.referrer = L"http://" + endpoints_.supportServer;
    job.sizeMB = 1;
    return job;
  }

  DownloadOutcome Run(DownloadJob job, DownloadKind kind = DownloadKind::kDriver) {
    worker_ = std::make_unique<DownloadWorker>(context_, std::move(job), state_.Flags(kind), window_);
    window_.Attach(worker_.get());
    return worker_->Run();
  }

  // The starts the fixture recorded, once every started copy had time to write.
  std::vector<std::string> Launches(size_t expected) {
    for (int waited = 0; waited < 100; ++waited) {
      if (Lines(ReadAll(launchLog_).value_or("")).size() >= expected) break;
      Sleep(50);
    }
    Sleep(expected == 0 ? 500 : 200);  // nothing more comes
    return Lines(ReadAll(launchLog_).value_or(""));
  }

  std::string Folder() { return Narrow(folder_); }
  size_t PackageRequests() { return VendorServer::RequestLines("download").size(); }

  const Endpoints& endpoints_ = BuiltInEndpoints();
  win32::Network network_;
  win32::Files files_;
  win32::SystemInfo system_;
  win32::Shell shell_;
  RunLog log_{system_};
  UsageReporter usage_{network_, endpoints_, log_};
  RunState state_;
  WindowProgress window_;
  win32::Signature signatures_;
  DownloadContext context_{network_, files_, system_, shell_, endpoints_, usage_, signatures_, log_};
  std::unique_ptr<DownloadWorker> worker_;
  std::wstring folder_;
  std::wstring launchLog_;
  std::string served_;
};

TEST_F(DownloadTest, AFreshDownloadIsTheServedFileAndItsInstallerStartsOnce) {
  const size_t before = PackageRequests();
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  EXPECT_EQ(Sha256(ReadAll(Local(kInstaller)).value_or("")), Sha256(served_));
  EXPECT_EQ(PackageRequests(), before + 2) << "the size, then the package";
  EXPECT_EQ(VendorServer::RequestLines("download").back(), "GET " + kInstaller + " HTTP/1.1");

  EXPECT_TRUE(window_.completeShown());
  EXPECT_EQ(window_.StatusText(), L"Download Complete");
  EXPECT_FALSE(window_.TargetVisible());
  EXPECT_TRUE(window_.ButtonVisible());
  EXPECT_EQ(window_.RangeMaximum(), 1);
  EXPECT_GT(window_.applied(), static_cast<int>(served_.size() / kPieceBytes)) << "every piece is shown";
  EXPECT_TRUE(state_.driverDownloadComplete);

  EXPECT_EQ(Launches(1),
            std::vector<std::string>{"\"" + Folder() + "\\installer.exe\"\t" + Folder()});

  // The install-start hit, as WinINet sends it (it escapes the blanks).
  std::wstring hit;
  usage_.BuildEventPath(3, hit);
  std::string line = "GET " + NarrowHitPath(hit) + " HTTP/1.1";
  for (size_t blank = line.find(' ', 4); blank < line.size() - 9; blank = line.find(' ', blank)) {
    line.replace(blank, 1, "%20");
  }
  EXPECT_EQ(VendorServer::RequestLines("analytics").back(), line);
}

TEST_F(DownloadTest, ADroppedConnectionLeavesAPartThatTheNextStartResumes) {
  ASSERT_TRUE(VendorServer::SetFaults("download " + kInstaller + " drop-after 7000"));
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kIncomplete);
  EXPECT_EQ(ReadAll(Local(kInstaller)), served_.substr(0, 7000));
  EXPECT_FALSE(window_.completeShown());
  EXPECT_TRUE(Launches(0).empty());

  ASSERT_TRUE(VendorServer::SetFaults(""));
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  EXPECT_EQ(Sha256(ReadAll(Local(kInstaller)).value_or("")), Sha256(served_));
  const std::string log = VendorServer::RequestsLog();
  EXPECT_NE(log.find("\nRange: bytes=7000-" + std::to_string(served_.size()) + "\n", log.rfind("GET " + kInstaller)),
            std::string::npos);
  EXPECT_EQ(Launches(1).size(), 1u);
}

TEST_F(DownloadTest, AFileAlreadyWholeIsNotFetchedAgain) {
  WriteAll(Local(kInstaller), served_);
  const size_t before = PackageRequests();
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  EXPECT_EQ(PackageRequests(), before + 1) << "only the size is asked for";
  EXPECT_EQ(ReadAll(Local(kInstaller)), served_);
  EXPECT_EQ(Launches(1).size(), 1u);
}

TEST_F(DownloadTest, ARangeTheServerIgnoresGivesOneCopyNotTwo) {
  WriteAll(Local(kInstaller), served_.substr(0, 9000));
  ASSERT_TRUE(VendorServer::SetFaults("download " + kInstaller + " ignore-range"));
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  EXPECT_EQ(Sha256(ReadAll(Local(kInstaller)).value_or("")), Sha256(served_));
  EXPECT_EQ(Launches(1).size(), 1u);
}

TEST_F(DownloadTest, WithoutAContentLengthTheEndOfTheBodyEndsTheDownload) {
  ASSERT_TRUE(VendorServer::SetFaults("download " + kInstaller + " no-length"));
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  EXPECT_EQ(Sha256(ReadAll(Local(kInstaller)).value_or("")), Sha256(served_));
  EXPECT_EQ(Launches(1).size(), 1u);
}

struct FailureCase {
  std::string faults;
  std::optional<size_t> present;
  DownloadOutcome outcome;
};

TEST_F(DownloadTest, ErrorPagesAndARefusedConnectionWriteNothingAndStartNothing) {
  const FailureCase cases[] = {
      {"download " + kInstaller + " status 404", std::nullopt, DownloadOutcome::kServerRefused},
      {"download " + kInstaller + " status 500", 7000, DownloadOutcome::kServerRefused},
      {"download * refuse", std::nullopt, DownloadOutcome::kIncomplete},
      {"download * refuse", 7000, DownloadOutcome::kIncomplete},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.faults + (c.present ? " with a part" : ""));
    DeleteFileW(Local(kInstaller).c_str());
    if (c.present) WriteAll(Local(kInstaller), served_.substr(0, *c.present));
    ASSERT_TRUE(VendorServer::SetFaults(c.faults));
    EXPECT_EQ(Run(DriverJob()), c.outcome);
    if (c.present) {
      EXPECT_EQ(ReadAll(Local(kInstaller)), served_.substr(0, *c.present));
    } else {
      EXPECT_FALSE(ReadAll(Local(kInstaller)));
    }
    EXPECT_FALSE(window_.completeShown());
    EXPECT_FALSE(state_.driverDownloadComplete);
  }
  EXPECT_TRUE(Launches(0).empty());
}

TEST_F(DownloadTest, ACancelledDownloadResumesAtTheNextStart) {
  ASSERT_TRUE(VendorServer::SetFaults("download " + kInstaller + " rate 40000"));
  std::thread cancel([&] {
    for (int waited = 0; waited < 400 && files_.FileSize(Local(kInstaller)).value_or(0) < 15000; ++waited) Sleep(20);
    state_.driverDownloadStopped = true;
  });
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kStopped);
  cancel.join();
  const std::optional<std::string> part = ReadAll(Local(kInstaller));
  ASSERT_TRUE(part);
  EXPECT_GE(part->size(), 15000u);
  EXPECT_LT(part->size(), served_.size());
  EXPECT_EQ(*part, served_.substr(0, part->size()));
  EXPECT_FALSE(window_.completeShown());

  ASSERT_TRUE(VendorServer::SetFaults(""));
  state_.driverDownloadStopped = false;
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  EXPECT_EQ(Sha256(ReadAll(Local(kInstaller)).value_or("")), Sha256(served_));
  EXPECT_EQ(Launches(1).size(), 1u);
}

TEST_F(DownloadTest, AWorkerLetGoOfOnConnectionLossNeverTouchesTheWindowAgain) {
  ASSERT_TRUE(VendorServer::SetFaults("download " + kInstaller + " rate 40000"));
  DownloadThreads threads;
  auto worker = std::make_unique<DownloadWorker>(context_, DriverJob(), state_.Flags(DownloadKind::kDriver), window_);
  window_.Attach(worker.get());
  threads.Start(0, std::move(worker));
  for (int waited = 0; waited < 1000 && window_.applied() < 6; ++waited) Sleep(10);
  ASSERT_GE(window_.applied(), 6) << "the download shows its pieces";
  int appliedWhenLost = 0;
  // The window's thread lets go, as its connectivity timer does.
  window_.OnWindowThread([&] {
    threads.Abandon(0);
    appliedWhenLost = window_.applied();
  });
  threads.WaitAll();
  EXPECT_EQ(threads.Outcomes(), std::vector<DownloadOutcome>{DownloadOutcome::kAbandoned});
  EXPECT_EQ(window_.applied(), appliedWhenLost);
  EXPECT_FALSE(window_.completeShown());
  EXPECT_TRUE(Launches(0).empty());
}

TEST_F(DownloadTest, AMinimalPackageIsUnpackedAndItsSetupStartedFromTheUnpackFolder) {
  DownloadJob job = DriverJob(kMinimal);
  job.minimalSetup = true;
  EXPECT_EQ(Run(job), DownloadOutcome::kCompleted);
  const std::string unpacked = Folder() + "\\minimal";
  EXPECT_EQ(Launches(2), (std::vector<std::string>{
                             "\"" + Folder() + "\\minimal.exe\" /S /NCRC /D=" + unpacked + "\t" + unpacked,
                             "\"" + unpacked + "\\Setup.exe\"\t" + unpacked,
                         }));
  EXPECT_EQ(worker_->localPath(), Wide(unpacked) + L"\\Setup.exe");
}

// Only the test publisher's signed programs are started. Each bad package is
// served by the download server, fails the real trust provider's check, is
// removed and starts nothing; the window hears of it and the run log names
// the file and the result.
TEST_F(DownloadTest, APackageThatFailsItsSignatureCheckIsRemovedAndNotStarted) {
  // The signed installer with one byte of its code changed.
  std::string altered = served_;
  altered[0x400] = static_cast<char>(altered[0x400] ^ 0x01);
  WriteAll(quillo::test::WindowsPathFromEnvironment("QUILLO_VENDOR_DATA") + L"\\download\\fixtures\\altered.exe",
           altered);
  ASSERT_TRUE(log_.Create());
  log_.Enable();
  struct Case {
    std::string path;
    const char* result;
  };
  const Case cases[] = {
      {"/fixtures/unsigned.exe", "0x800B0100"},
      {"/fixtures/altered.exe", "0x80096010"},
      {"/fixtures/other-publisher.exe", "0x800B0004"},
      {"/fixtures/untrusted.exe", "0x800B0109"},
  };
  int shown = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    state_.driverDownloading = true;
    EXPECT_EQ(Run(DriverJob(c.path)), DownloadOutcome::kNotVerified);
    EXPECT_FALSE(files_.FileSize(Local(c.path))) << "removed";
    EXPECT_EQ(window_.notVerifiedShown(), ++shown);
    EXPECT_FALSE(state_.driverDownloading);
    EXPECT_FALSE(state_.driverDownloadComplete);
    const std::string record = "LaunchInstaller - Signature check failed, not started and removed: " +
                               Narrow(Local(c.path)) + " (result " + c.result + ")";
    EXPECT_NE(ReadAll(log_.path()).value_or("").find(record), std::string::npos) << record;
  }
  EXPECT_TRUE(Launches(0).empty());
}

TEST_F(DownloadTest, AMinimalPackageIsUnpackedOnlyWhenSignedAndItsSetupStartedOnlyWhenSigned) {
  // A bad archive is never unpacked.
  DownloadJob bad = DriverJob("/fixtures/unsigned.exe");
  bad.minimalSetup = true;
  EXPECT_EQ(Run(bad), DownloadOutcome::kNotVerified);
  EXPECT_TRUE(Launches(0).empty());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder_ + L"\\unsigned")));

  // A good archive that unpacks an unsigned Setup.exe: the unpack runs, the Setup does not.
  const std::wstring payload = folder_ + L"\\payload.exe";
  WriteAll(payload, VendorServer::DataFile("download", "/fixtures/unsigned.exe"));
  SetEnvironmentVariableW(L"QUILLO_SETUP_PAYLOAD", payload.c_str());
  DownloadJob good = DriverJob(kMinimal);
  good.minimalSetup = true;
  const DownloadOutcome outcome = Run(good);
  SetEnvironmentVariableW(L"QUILLO_SETUP_PAYLOAD", nullptr);
  EXPECT_EQ(outcome, DownloadOutcome::kNotVerified);
  const std::string unpacked = Folder() + "\\minimal";
  EXPECT_EQ(Launches(1), (std::vector<std::string>{
                             "\"" + Folder() + "\\minimal.exe\" /S /NCRC /D=" + unpacked + "\t" + unpacked,
                         }));
  EXPECT_FALSE(files_.FileSize(Wide(unpacked) + L"\\Setup.exe")) << "the unsigned Setup.exe is removed";
  EXPECT_EQ(window_.notVerifiedShown(), 2);
}

TEST_F(DownloadTest, AFeatureInstallerFromTheVendorWebSiteIsStartedDirectly) {
  const size_t hits = VendorServer::RequestLines("analytics").size();
  state_.smkDownloading = true;
  DownloadJob job;
  job.variant = WorkerVariant::kFeature;
  job.host = endpoints_.vendorWebSite;
  job.requestPath = Wide(kInstaller);
  job.localPath = Local(kInstaller);
  job.minimalSetup = true;
  window_.set_sectionOpen(false);
  EXPECT_EQ(Run(job, DownloadKind::kSmilekey), DownloadOutcome::kCompleted);
  EXPECT_EQ(Sha256(ReadAll(Local(kInstaller)).value_or("")), Sha256(VendorServer::DataFile("vendor-web", kInstaller)));
  EXPECT_TRUE(state_.smkDownloadComplete);
  EXPECT_FALSE(state_.smkDownloading);
  EXPECT_FALSE(window_.ButtonVisible());
  EXPECT_EQ(VendorServer::RequestLines("analytics").size(), hits) << "no usage hit for a feature";
  EXPECT_EQ(Launches(1), std::vector<std::string>{"\"" + Folder() + "\\installer.exe\"\t" + Folder()});
}

// The usage hits as the collector receives them, and what a silent or
// absent collector costs the caller.
class UsageHitTest : public DownloadTest {};

TEST_F(UsageHitTest, EveryHitArrivesAsBuilt) {
  for (uint32_t event : {0u, 1u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u}) {
    SCOPED_TRACE(event);
    usage_.Send(static_cast<UsageEvent>(event));
    std::wstring path;
    usage_.BuildEventPath(event, path);
    std::string line = NarrowHitPath(path);
    std::string escaped;
    for (char c : line) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    EXPECT_EQ(VendorServer::RequestLines("analytics").back(), "GET " + escaped + " HTTP/1.1");
  }
}

TEST_F(UsageHitTest, ASilentOrAbsentCollectorHoldsTheCallerOnlyBriefly) {
  const std::string cases[] = {"analytics /r/collect first-byte-delay 8000", "analytics * refuse"};
  for (const std::string& faults : cases) {
    SCOPED_TRACE(faults);
    ASSERT_TRUE(VendorServer::SetFaults(faults));
    const size_t before = VendorServer::RequestLines("analytics").size();
    const auto start = std::chrono::steady_clock::now();
    std::wstring path;
    usage_.BuildEventPath(0, path);
    const uint32_t result = usage_.SendUsageHit(NarrowHitPath(path));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(4000)) << "the hit gives up instead of holding the window";
    EXPECT_TRUE(result < 100 || result >= 600) << "a system error code, not an HTTP status: " << result;
    if (faults.find("refuse") == std::string::npos) {
      // The server logs the request once its delayed answer is out.
      for (int waited = 0; waited < 200 && VendorServer::RequestLines("analytics").size() == before; ++waited) {
        Sleep(50);
      }
      EXPECT_EQ(VendorServer::RequestLines("analytics").size(), before + 1) << "the hit was still sent";
    }
  }
}

// The survey page goes through the shell to the browser Wine is set to use:
// the tests' recorder, which visits it.
class SurveyTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    const char* recorder = std::getenv("QUILLO_URL_RECORDER");
    ASSERT_NE(recorder, nullptr) << "QUILLO_URL_RECORDER names the browser recorder";
    const std::wstring browsers = Wide(recorder);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browsers.c_str()),
                   static_cast<DWORD>((browsers.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    visits_ = L"Z:" + Wide(std::getenv("QUILLO_URL_VISITS"));
    for (wchar_t& c : visits_) {
      if (c == L'/') c = L'\\';
    }
  }

  // The addresses the browser was asked to open, once `count` have come.
  std::vector<std::string> Visits(size_t count) {
    for (int waited = 0; waited < 200; ++waited) {
      if (Lines(ReadAll(visits_).value_or("")).size() >= count) break;
      Sleep(50);
    }
    return Lines(ReadAll(visits_).value_or(""));
  }

  std::wstring visits_;
};

TEST_F(SurveyTest, TheCloseTimeAddressReachesTheBrowserAndTheSurveyServer) {
  const size_t before = Visits(0).size();
  usage_.values().processorBrand = L"Velmora(R)Core(TM)i7-8700";
  const std::wstring address = SurveyAddress(endpoints_, usage_.SurveyQuery(), OpenSections{.wavehand = true});
  OpenSurveyOnClose(shell_, log_, address);
  const std::vector<std::string> visits = Visits(before + 1);
  ASSERT_EQ(visits.size(), before + 1);
  EXPECT_EQ(visits.back(), Narrow(address));
  const std::string query = Narrow(address.substr(address.find(L"/acc?")));
  for (int waited = 0; waited < 100 && VendorServer::RequestLines("survey").empty(); ++waited) Sleep(50);
  ASSERT_FALSE(VendorServer::RequestLines("survey").empty());
  EXPECT_EQ(VendorServer::RequestLines("survey").back(), "GET " + query + " HTTP/1.1");
}

TEST_F(SurveyTest, ACompletedDriverDownloadOpensTheSurveyWithoutTheSwitches) {
  const size_t before = Visits(0).size();
  EXPECT_EQ(Run(DriverJob()), DownloadOutcome::kCompleted);
  const std::vector<std::string> visits = Visits(before + 1);
  ASSERT_EQ(visits.size(), before + 1);
  // The shell hands the browser the address with its blanks escaped.
  std::string expected = "https://" + Narrow(endpoints_.surveyServer) + "/acc?" + Narrow(usage_.SurveyQuery());
  for (size_t blank = expected.find(' '); blank != std::string::npos; blank = expected.find(' ', blank)) {
    expected.replace(blank, 1, "%20");
  }
  EXPECT_EQ(visits.back(), expected);
}

}  // namespace
}  // namespace quillo
