#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

std::wstring TempFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

TEST(ShellTest, RunsAProcessInItsFolderAndReturnsItsExitCode) {
  Shell shell;
  const std::wstring folder = TempFolder(L"quillo shell test\\nested");
  ASSERT_EQ(shell.CreateFolders(folder), ERROR_SUCCESS);
  ASSERT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  HANDLE marker = CreateFileW((folder + L"\\marker.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(marker, INVALID_HANDLE_VALUE);
  CloseHandle(marker);

  // The current folder is the one given: only there does marker.txt exist.
  EXPECT_EQ(shell.StartProcess(L"cmd.exe /c if exist marker.txt exit 3", folder, true), 3u);
  EXPECT_EQ(shell.StartProcess(L"cmd.exe /c exit 7", folder, true), 7u);
  EXPECT_FALSE(shell.StartProcess(L"no-such-program-here.exe", folder, true));
  EXPECT_EQ(shell.CreateFolders(folder), ERROR_ALREADY_EXISTS);
}

TEST(ShellTest, ASecondMutexOfTheSameNameIsReportedAsExisting) {
  Shell shell;
  const std::wstring name = L"QuilloShellTest-" + std::to_wstring(GetCurrentProcessId());
  EXPECT_EQ(shell.CreateNamedMutex(name), MutexResult::kCreated);
  EXPECT_EQ(shell.CreateNamedMutex(name), MutexResult::kAlreadyExists);
}

}  // namespace
}  // namespace quillo::win32
