#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillo {

enum class MutexResult { kCreated, kAlreadyExists, kFailed };

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // Opens a web address in the user's browser ("open" verb); true when the
  // shell accepted it.
  virtual bool OpenUrl(const std::wstring& url) = 0;
  // Starts the program whose command line is `commandLine` (the program is
  // its first token) with `currentDirectory` as its current folder and no
  // console window. With waitForExit the call blocks until the process ends
  // and returns its exit code; otherwise it returns 0 once started. Empty
  // when the process cannot be started.
  virtual std::optional<uint32_t> StartProcess(const std::wstring& commandLine,
                                               const std::wstring& currentDirectory, bool waitForExit) = 0;
  // Creates the folder and any missing parents; the system's result code.
  virtual int32_t CreateFolders(const std::wstring& path) = 0;
  // Registers a window message name for the session; its identifier.
  virtual uint32_t RegisterMessage(const std::wstring& name) = 0;
  // Creates (or opens) the named mutex and keeps it for the life of the process.
  virtual MutexResult CreateNamedMutex(const std::wstring& name) = 0;
};

}  // namespace quillo
