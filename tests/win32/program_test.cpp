#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
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

// Without the decision report the program acts on its decision: with the
// vendor's web site refusing, it shows the connection notice and, once the
// notice is closed, ends with exit code 0.
TEST(ProgramStartTest, TheConnectionNoticeShowsAndTheProgramEndsWithZeroWhenItCloses) {
  ASSERT_TRUE(quillo::test::VendorServer::SetFaults("vendor-web * refuse"));
  SetEnvironmentVariableW(L"QUILLO_REPORT_DECISION", nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));

  // The notice of that process.
  HWND notice = nullptr;
  for (int waited = 0; notice == nullptr && waited < 300; ++waited) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, L"#32770", nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == process.dwProcessId && IsWindowVisible(candidate)) notice = candidate;
    }
    if (notice == nullptr) Sleep(100);
  }
  ASSERT_NE(notice, nullptr) << "no notice appeared";
  wchar_t message[512] = L"";
  GetDlgItemTextW(notice, 1068, message, 512);
  EXPECT_STREQ(message,
               L"Can\u2019t connect to Velmora web service. Please check your internet connection, then try again.");
  EXPECT_EQ(IsWindowEnabled(GetDlgItem(notice, 1073)), FALSE);

  SendMessageW(GetDlgItem(notice, 1074), BM_CLICK, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

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

// A machine that passes the start-up checks gets the window with the driver
// panel; closing it ends the run with exit code 0.
TEST(ProgramStartTest, TheMainWindowOpensOnTheDemoMachineAndTheRunEndsWhenItCloses) {
  ASSERT_TRUE(quillo::test::VendorServer::SetFaults(""));
  SetEnvironmentVariableW(L"QUILLO_REPORT_DECISION", nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));

  HWND window = nullptr;
  for (int waited = 0; window == nullptr && waited < 300; ++waited) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, L"#32770", nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == process.dwProcessId && IsWindowVisible(candidate) && GetDlgItem(candidate, 1061) != nullptr) {
        window = candidate;
      }
    }
    if (window == nullptr) Sleep(100);
  }
  ASSERT_NE(window, nullptr) << "no window with Download Now appeared";
  wchar_t driver[256] = L"";
  GetDlgItemTextW(window, 1058, driver, 256);
  EXPECT_STREQ(driver, L"velmora-graphics-31.0.101.4502-minimal.exe") << "the demo catalogue's package";

  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}
