#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "ports/system_info.h"

namespace quillo {

// The run log: a plain narrow text file "VelmoraQuillo.log" in the temporary
// folder that records what the utility detected and did, for support staff.
// A record is exactly its caller's text followed by " \n", written in text
// mode (every line feed becomes carriage return and line feed) in the ANSI
// code page. The file is opened, appended to and closed for every record.
//
// The program creates one log for the run; it starts disabled and the first
// successful Create enables it for good. Failures are never reported.
class RunLog {
 public:
  explicit RunLog(SystemInfoPort& system) : system_(system) {}

  // Sets the path, truncates the file and writes the first line; false when
  // the file cannot be opened. The caller enables the log on success.
  bool Create();
  void Enable() { enabled_ = true; }
  bool enabled() const { return enabled_; }
  // Appends one record when the log is enabled.
  void Write(const std::wstring& message);

  const std::wstring& path() const { return path_; }

 private:
  bool Append(const char* mode, const std::wstring& message);

  SystemInfoPort& system_;
  std::mutex mutex_;  // one record at a time, whichever thread writes
  std::atomic<bool> enabled_{false};
  std::wstring path_;
};

}  // namespace quillo
