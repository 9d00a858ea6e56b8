#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "contract/files_contract.h"
#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// A scratch folder in the temporary folder, removed again.
struct Win32FilesBackend {
  Win32FilesBackend() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"quillo files contract";
    std::filesystem::remove_all(std::filesystem::path(folder));
    std::filesystem::create_directories(std::filesystem::path(folder));
  }
  ~Win32FilesBackend() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder), ignored);
  }
  Win32FilesBackend(const Win32FilesBackend&) = delete;
  Win32FilesBackend& operator=(const Win32FilesBackend&) = delete;

  std::wstring Path(const std::wstring& name) { return folder + L"\\" + name; }
  std::optional<std::string> Read(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  // A sparse file: its size set, nothing written.
  void MakeLarge(const std::wstring& path, uint64_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  FilePort& port() { return files; }

  std::wstring folder;
  Files files;
};

}  // namespace
}  // namespace quillo::win32

namespace quillo::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FilesContract, quillo::win32::Win32FilesBackend);
}  // namespace quillo::contract
