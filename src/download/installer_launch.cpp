#include "download/installer_launch.h"

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

bool InstallerLauncher::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                              bool wait) {
  const std::wstring commandLine = CommandLine(program, arguments);
  if (wait) return RunAndWait(commandLine, folder);
  return shell_.StartProcess(commandLine, folder, false).has_value();
}

bool InstallerLauncher::RunAndWait(const std::wstring& commandLine, const std::wstring& folder) {
  return shell_.StartProcess(commandLine, folder, true).has_value();
}

void InstallerLauncher::LaunchInstaller(std::wstring& localPackagePath, bool minimalSetupOffered) {
  std::wstring workingFolder = WorkingFolder(localPackagePath);
  if (minimalSetupOffered) {
    const std::wstring unpackFolder = UnpackFolder(localPackagePath);
    shell_.CreateFolders(unpackFolder);
    // The extractor takes the rest of its command line after /D= as the folder.
    Start(localPackagePath, L"/S /NCRC /D=" + unpackFolder, unpackFolder, true);
    localPackagePath = unpackFolder + L"\\Setup.exe";
    workingFolder = unpackFolder;
  }
  Start(localPackagePath, L"", workingFolder, false);
}

}  // namespace quillo
