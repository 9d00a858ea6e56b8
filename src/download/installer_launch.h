#pragma once

#include <optional>
#include <string>

#include "ports/shell.h"

namespace quillo {

// The folder part of a path: what stands before its last backslash, when
// that backslash is not the first character; otherwise empty.
std::wstring WorkingFolder(const std::wstring& path);

// A minimal package's unpack folder: the path without its extension (what
// stands before its last "."), the whole path when it has none.
std::wstring UnpackFolder(const std::wstring& path);

// A command line whose program is `program`, quoted so that a path with
// blanks stays one token, followed by `arguments` when there are any.
std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments);

// Starts the installer of a downloaded package; nothing is reported.
//
// A minimal setup package is first unpacked into the folder named after it
// (" /S /NCRC /D=" and the folder, last and unquoted, as its extractor reads
// it), and then the Setup.exe it left there is started from that folder;
// `localPackagePath` then names that Setup.exe. A full package, and every
// feature installer, is started directly from its own folder. Nothing is
// waited for but the unpacking.
class InstallerLauncher {
 public:
  explicit InstallerLauncher(ShellPort& shell) : shell_(shell) {}

  void LaunchInstaller(std::wstring& localPackagePath, bool minimalSetupOffered);
  // Starts the command line from `folder` and waits for the process to end;
  // false when it could not be started.
  bool RunAndWait(const std::wstring& commandLine, const std::wstring& folder);

 private:
  // Every start of a program goes through here; false when it did not start.
  bool Start(const std::wstring& program, const std::wstring& arguments,
                                const std::wstring& folder, bool wait);

  ShellPort& shell_;
};

}  // namespace quillo
