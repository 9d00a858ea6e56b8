#pragma once

// What the fuzz targets share: the input as a file for the XML reader, and
// standard output out of the way of the passes' diagnostic lines.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillo::fuzz {

inline void SilenceStandardOutput() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

// Writes `bytes` to this process's own input file and returns its path.
inline std::wstring InputFile(const std::string& bytes) {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr ? folder : "/tmp") + "/quillo-fuzz-" + std::to_string(getpid()) + ".xml";
  }();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return std::wstring(path.begin(), path.end());
}

// Each byte as the character of the same number.
inline std::wstring Widen(const std::string& bytes) {
  std::wstring text;
  for (unsigned char c : bytes) text += static_cast<wchar_t>(c);
  return text;
}

}  // namespace quillo::fuzz
