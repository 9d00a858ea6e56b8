#pragma once

#include <optional>
#include <string>

#include "app/run_log.h"
#include "ports/files.h"
#include "ports/shell.h"
#include "ports/signature.h"

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

// How a launch ended.
enum class LaunchResult {
  kStarted,      // the installer was started
  kNotStarted,   // the system could not start a program
  kNotVerified,  // a program failed its signature check: it was removed and not started
};

// Starts the installer of a downloaded package.
//
// A minimal setup package is first unpacked into the folder named after it
// (" /S /NCRC /D=" and the folder, last and unquoted, as its extractor reads
// it), and then the Setup.exe it left there is started from that folder;
// `localPackagePath` then names that Setup.exe. A full package, and every
// feature installer, is started directly from its own folder. Nothing is
// waited for but the unpacking.
//
// No program is started unless it carries a good signature of the vendor
// (CheckPackageSignature): not the package, not the minimal package before
// it is unpacked, not the Setup.exe it unpacked. A program that fails is
// removed, so that the next download fetches it again instead of resuming
// into it, and one run-log record names it and the check's result.
class InstallerLauncher {
 public:
  InstallerLauncher(ShellPort& shell, FilePort& files, SignaturePort& signatures, RunLog& log)
      : shell_(shell), files_(files), signatures_(signatures), log_(log) {}

  LaunchResult LaunchInstaller(std::wstring& localPackagePath, bool minimalSetupOffered);
  // The signature check alone, with its removal and record on failure. A
  // program that passed is not checked again by this launcher's next start.
  bool Verified(const std::wstring& program);
  // Starts the command line from `folder` and waits for the process to end;
  // false when it could not be started.
  bool RunAndWait(const std::wstring& commandLine, const std::wstring& folder);

 private:
  // Every start of a program goes through here, behind the signature check.
  LaunchResult Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                     bool wait);

  ShellPort& shell_;
  FilePort& files_;
  SignaturePort& signatures_;
  RunLog& log_;
  std::wstring verified_;  // the program that passed the last check
};

}  // namespace quillo
