#pragma once

#include <cstdlib>
#include <string>

namespace quillo::test {

// A Unix path named by the test's environment, as Wine sees it (the Unix
// root is drive Z:); empty when the variable is not set.
inline std::wstring WindowsPathFromEnvironment(const char* variable) {
  const char* unixPath = std::getenv(variable);
  if (unixPath == nullptr || *unixPath == '\0') return std::wstring();
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c != '\0'; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

// The built QuilloUtility.exe.
inline std::wstring ProgramPath() { return WindowsPathFromEnvironment("QUILLO_PROGRAM"); }

}  // namespace quillo::test
