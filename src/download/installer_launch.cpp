#include "download/installer_launch.h"

#include <cwchar>

#include "download/package_signature.h"

namespace quillo {

std::wstring WorkingFolder(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos || slash == 0) return {};
  return path.substr(0, slash);
}

std::wstring UnpackFolder(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  return dot == std::wstring::npos ? path : path.substr(0, dot);
}

std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  return line;
}

bool InstallerLauncher::Verified(const std::wstring& program) {
  // A file this launcher has just checked is not hashed a second time.
  if (!program.empty() && program == verified_) return true;
  const PackageVerdict verdict = CheckPackageSignature(signatures_, program, PackagePublisher());
  if (verdict.startable) {
    verified_ = program;
    return true;
  }
  verified_.clear();
  files_.RemoveFile(program);
  wchar_t result[16];
  std::swprintf(result, sizeof result / sizeof result[0], L"0x%08X", static_cast<unsigned>(verdict.result));
  log_.Write(L"LaunchInstaller - Signature check failed, not started and removed: " + program + L" (result " +
             result + L")");
  return false;
}

LaunchResult InstallerLauncher::Start(const std::wstring& program, const std::wstring& arguments,
                                      const std::wstring& folder, bool wait) {
  if (!Verified(program)) return LaunchResult::kNotVerified;
  const std::wstring commandLine = CommandLine(program, arguments);
  const bool started = wait ? RunAndWait(commandLine, folder) : shell_.StartProcess(commandLine, folder, false).has_value();
  return started ? LaunchResult::kStarted : LaunchResult::kNotStarted;
}

bool InstallerLauncher::RunAndWait(const std::wstring& commandLine, const std::wstring& folder) {
  return shell_.StartProcess(commandLine, folder, true).has_value();
}

LaunchResult InstallerLauncher::LaunchInstaller(std::wstring& localPackagePath, bool minimalSetupOffered) {
  std::wstring workingFolder = WorkingFolder(localPackagePath);
  if (minimalSetupOffered) {
    const std::wstring unpackFolder = UnpackFolder(localPackagePath);
    shell_.CreateFolders(unpackFolder);
    // The extractor takes the rest of its command line after /D= as the folder.
    const LaunchResult unpacked = Start(localPackagePath, L"/S /NCRC /D=" + unpackFolder, unpackFolder, true);
    if (unpacked == LaunchResult::kNotVerified) return unpacked;
    localPackagePath = unpackFolder + L"\\Setup.exe";
    workingFolder = unpackFolder;
  }
  return Start(localPackagePath, L"", workingFolder, false);
}

}  // namespace quillo
