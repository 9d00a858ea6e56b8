#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "win32/program_path.h"
#include "win32/vendor_server.h"

namespace {

using quillo::test::ProgramPath;

class ProgramResourcesTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = ProgramPath();
    ASSERT_FALSE(path.empty()) << "QUILLO_PROGRAM names the program under test";
    module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot load " << testing::PrintToString(path);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  std::string Resource(LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module_, name, type);
    if (found == nullptr) return std::string();
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    return std::string(bytes, SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

TEST_F(ProgramResourcesTest, ManifestAsksForAdministratorAndNamesTheSupportedSystems) {
  const std::string manifest = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_FALSE(manifest.empty());
  for (const char* expected : {
           "level=\"requireAdministrator\"",
           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
           "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
       }) {
    EXPECT_NE(manifest.find(expected), std::string::npos) << expected;
  }
  // Windows 8 is deliberately absent: it reports 6.2 in any case.
  EXPECT_EQ(manifest.find("{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"), std::string::npos);
}

TEST_F(ProgramResourcesTest, CarriesItsIconAndVersion) {
  EXPECT_FALSE(Resource(MAKEINTRESOURCEW(128), RT_GROUP_ICON).empty());
  const std::string version = Resource(MAKEINTRESOURCEW(1), RT_VERSION);
  ASSERT_FALSE(version.empty());
  // The version block's strings are UTF-16.
  const std::wstring text(reinterpret_cast<const wchar_t*>(version.data()), version.size() / sizeof(wchar_t));
  EXPECT_NE(text.find(L"QuilloUtility.exe"), std::wstring::npos);
  EXPECT_NE(text.find(L"Velmora Quillo Utility"), std::wstring::npos);
}

// Starts the program with its test report switched on and returns what it printed.
std::string RunProgramForDecision() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "no pipe";
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  SetEnvironmentVariableW(L"QUILLO_REPORT_DECISION", L"1");

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[256];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) output.append(buffer, read);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    output = "not started";
  }
  CloseHandle(readEnd);
  return output;
}

TEST(ProgramStartTest, ASecondCopyEndsSilently) {
  HANDLE running = CreateMutexW(nullptr, FALSE, L"QuilloUtility");  // as the first copy holds it
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(RunProgramForDecision(), "startup decision: EndSilently\n");
  CloseHandle(running);
  EXPECT_EQ(RunProgramForDecision().find("EndSilently"), std::string::npos) << "the mutex is free again";
}

// The connection steps of the start-up against the vendor server: the probe
// of the vendor's web site and the feature catalogue over HTTPS. Any fault
// there ends in the connection notice; with both answering, the main window.
TEST(ProgramStartTest, TheConnectionStepsDecideBetweenTheMainWindowAndTheConnectionNotice) {
  struct Case {
    const char* faults;
    const char* decision;
  };
  const Case cases[] = {
      {"", "OpenMainWindow"},
      {"vendor-web * refuse", "ConnectionNotice"},
      {"support /drivers/xml/compatible_features.xml status 404", "ConnectionNotice"},
      {"support /drivers/xml/compatible_features.xml status 500", "ConnectionNotice"},
      {"support * refuse", "ConnectionNotice"},
      {"support /drivers/xml/compatible_features.xml drop-after 10", "ConnectionNotice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faults);
    ASSERT_TRUE(quillo::test::VendorServer::SetFaults(c.faults));
    EXPECT_EQ(RunProgramForDecision(), std::string("startup decision: ") + c.decision + "\n");
  }
  EXPECT_TRUE(quillo::test::VendorServer::SetFaults(""));
}

// The program started as a user starts it (no decision report), and the
// dialog it shows.
class RunningProgram {
 public:
  RunningProgram() {
    SetEnvironmentVariableW(L"QUILLO_REPORT_DECISION", nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != FALSE;
  }
  ~RunningProgram() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  bool started() const { return started_; }

  // The program's visible dialog that has control `id`, once it is there; null after 30 s.
  HWND DialogWith(int id) {
    for (int waited = 0; waited < 300; ++waited) {
      HWND candidate = nullptr;
      while ((candidate = FindWindowExW(nullptr, candidate, L"#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == process_.dwProcessId && IsWindowVisible(candidate) && GetDlgItem(candidate, id) != nullptr) {
          return candidate;
        }
      }
      Sleep(100);
    }
    return nullptr;
  }

  // The exit code once the program has ended; empty when it runs on past 30 s.
  std::optional<DWORD> ExitCode() {
    if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 1;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

// Without the decision report the program acts on its decision: with the
// vendor's web site refusing, it shows the connection notice and, once the
// notice is closed, ends with exit code 0.
TEST(ProgramStartTest, TheConnectionNoticeShowsAndTheProgramEndsWithZeroWhenItCloses) {
  ASSERT_TRUE(quillo::test::VendorServer::SetFaults("vendor-web * refuse"));
  RunningProgram program;
  ASSERT_TRUE(program.started());
  HWND notice = program.DialogWith(1068);
  ASSERT_NE(notice, nullptr) << "no notice appeared";
  wchar_t message[512] = L"";
  GetDlgItemTextW(notice, 1068, message, 512);
  EXPECT_STREQ(message,
               L"Can\u2019t connect to Velmora web service. Please check your internet connection, then try again.");
  EXPECT_EQ(IsWindowEnabled(GetDlgItem(notice, 1073)), FALSE);

  SendMessageW(GetDlgItem(notice, 1074), BM_CLICK, 0, 0);
  EXPECT_EQ(program.ExitCode(), std::optional<DWORD>(0));

  // The notice started the run log and recorded its close.
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  HANDLE file = CreateFileW((std::wstring(temp) + L"\\VelmoraQuillo.log").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char bytes[4096] = "";
  DWORD read = 0;
  ReadFile(file, bytes, sizeof bytes - 1, &read, nullptr);
  CloseHandle(file);
  const std::string log(bytes, read);
  EXPECT_EQ(log.find("Log file created"), 0u) << log;
  EXPECT_NE(log.find("Error UI - OS is Windows 10 64-bit"), std::string::npos) << log;
  EXPECT_NE(log.find("Error UI - Close event is received."), std::string::npos) << log;
  EXPECT_TRUE(quillo::test::VendorServer::SetFaults(""));
}

}  // namespace

namespace {

// The window a machine that passes the start-up checks gets: the sectioned
// one where a feature fits the adapter (the demo machine), the classic one
// otherwise; by their Download Now button and package box.
struct ExpectedWindow {
  int download, driver, otherDownload;
};
ExpectedWindow WindowOfThisMachine() {
  const char* profile = std::getenv("QUILLO_PROFILE");
  if (profile != nullptr && std::string(profile) == "no-features") return {1061, 1058, 1011};
  return {1011, 1008, 1061};
}

}  // namespace

// A machine that passes the start-up checks gets the window that fits it;
// closing it ends the run with exit code 0.
TEST(ProgramStartTest, TheMainWindowOpensOnTheDemoMachineAndTheRunEndsWhenItCloses) {
  ASSERT_TRUE(quillo::test::VendorServer::SetFaults(""));
  const ExpectedWindow expected = WindowOfThisMachine();
  RunningProgram program;
  ASSERT_TRUE(program.started());
  HWND window = program.DialogWith(expected.download);
  ASSERT_NE(window, nullptr) << "no window with Download Now appeared";
  EXPECT_EQ(GetDlgItem(window, expected.otherDownload), nullptr) << "the other window";
  wchar_t driver[256] = L"";
  GetDlgItemTextW(window, expected.driver, driver, 256);
  EXPECT_STREQ(driver, L"velmora-graphics-31.0.101.4502-minimal.exe") << "the demo catalogue's package";

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), std::optional<DWORD>(0));
}

// A download stalled on the connection does not keep the program alive
// once its window is closed.
TEST(ProgramStartTest, ClosingTheWindowEndsTheRunWhileADownloadIsStalled) {
  ASSERT_TRUE(quillo::test::VendorServer::SetFaults("download * rate 1"));
  // No whole package from an earlier test: this one must wait for its bytes.
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  DeleteFileW((std::wstring(temp) + L"velmora-graphics-31.0.101.4502-minimal.exe").c_str());
  const ExpectedWindow expected = WindowOfThisMachine();
  RunningProgram program;
  ASSERT_TRUE(program.started());
  HWND window = program.DialogWith(expected.download);
  ASSERT_NE(window, nullptr) << "no window with Download Now appeared";
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(expected.download, BN_CLICKED), 0);
  bool started = false;
  for (int waited = 0; waited < 100 && !started; ++waited) {
    started = (GetWindowLongW(GetDlgItem(window, 1012), GWL_STYLE) & WS_VISIBLE) != 0;
    Sleep(100);
  }
  ASSERT_TRUE(started) << "the download did not start";
  Sleep(1000);  // the worker is now waiting for the package's bytes

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), std::optional<DWORD>(0));
  EXPECT_TRUE(quillo::test::VendorServer::SetFaults(""));
}
