#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {

bool Shell::OpenUrl(const std::wstring& url) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW));
  return result > 32;
}

std::optional<uint32_t> Shell::StartProcess(const std::wstring& commandLine, const std::wstring& currentDirectory,
                                            bool waitForExit) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring mutableCommandLine = commandLine;  // CreateProcessW may write into it
  if (!CreateProcessW(nullptr, mutableCommandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &process)) {
    return std::nullopt;
  }
  DWORD exitCode = 0;
  if (waitForExit) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

int32_t Shell::CreateFolders(const std::wstring& path) { return SHCreateDirectoryExW(nullptr, path.c_str(), nullptr); }

uint32_t Shell::RegisterMessage(const std::wstring& name) { return RegisterWindowMessageW(name.c_str()); }

MutexResult Shell::CreateNamedMutex(const std::wstring& name) {
  // Never closed: the mutex marks the running copy until the process ends.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return MutexResult::kFailed;
  return GetLastError() == ERROR_ALREADY_EXISTS ? MutexResult::kAlreadyExists : MutexResult::kCreated;
}

}  // namespace quillo::win32
