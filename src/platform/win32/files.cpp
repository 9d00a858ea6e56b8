#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

class Win32File final : public WritableFile {
 public:
  explicit Win32File(HANDLE file) : file_(file) {}
  ~Win32File() override { CloseHandle(file_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  bool Append(const uint8_t* data, size_t size) override {
    while (size > 0) {
      const DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file_, data, piece, &written, nullptr) || written == 0) return false;
      data += written;
      size -= written;
    }
    return true;
  }

 private:
  HANDLE file_;
};

}  // namespace

std::optional<uint64_t> Files::FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::unique_ptr<WritableFile> Files::OpenForWriting(const std::wstring& path, FileOpen mode) {
  const DWORD disposition = mode == FileOpen::kExisting ? OPEN_EXISTING
                            : mode == FileOpen::kAlways ? OPEN_ALWAYS
                                                        : CREATE_ALWAYS;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file, zero, nullptr, FILE_END)) {
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<Win32File>(file);
}

bool Files::RemoveFile(const std::wstring& path) {
  // A read-only file is made writable first.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str()) != 0;
}

}  // namespace quillo::win32
