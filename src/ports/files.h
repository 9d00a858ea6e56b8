#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quillo {

// A file open for writing; closed when destroyed.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all of `size` bytes at the file's end; false when they could not all be written.
  virtual bool Append(const uint8_t* data, size_t size) = 0;
};

enum class FileOpen {
  kExisting,  // the file must exist; writing continues at its end
  kAlways,    // created when missing; writing continues at its end
  kReplace,   // created or emptied
};

// The downloaded packages on disk. Sizes are 64-bit: packages may pass 4 GiB.
class FilePort {
 public:
  virtual ~FilePort() = default;
  // The size of the file at `path`; empty when there is no such file.
  virtual std::optional<uint64_t> FileSize(const std::wstring& path) = 0;
  // Opens the file for writing, others may read it meanwhile; null when it cannot be opened.
  virtual std::unique_ptr<WritableFile> OpenForWriting(const std::wstring& path, FileOpen mode) = 0;
  // Deletes the file; false when it is still there (or never was).
  virtual bool RemoveFile(const std::wstring& path) = 0;
};

}  // namespace quillo
