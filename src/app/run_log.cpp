#include "app/run_log.h"

#include <cstdio>

namespace quillo {
namespace {

// The text-mode translation of the standard file library on Windows, done
// here so that the bytes are the same on every platform.
std::string ToTextMode(const std::string& text) {
  std::string translated;
  translated.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') translated += '\r';
    translated += c;
  }
  return translated;
}

}  // namespace

bool RunLog::Create() {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = system_.TempPath() + L"\\VelmoraQuillo.log";
  return Append("wb", L"Log file created and initiating the pcrocess...");
}

void RunLog::Write(const std::wstring& message) {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!enabled_) return;
    Append("ab", message);
  } catch (...) {
    // A record that cannot be written (even for want of memory) is dropped.
  }
}

bool RunLog::Append(const char* mode, const std::wstring& message) {
  std::FILE* file = std::fopen(system_.ToAnsi(path_).c_str(), mode);
  if (file == nullptr) return false;
  const std::string record = ToTextMode(system_.ToAnsi(message) + " \n");
  std::fwrite(record.data(), 1, record.size(), file);
  std::fclose(file);
  return true;
}

}  // namespace quillo
