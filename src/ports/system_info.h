#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillo {

struct WindowsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

struct CpuidRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

struct LocalTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

class SystemInfoPort {
 public:
  virtual ~SystemInfoPort() = default;
  // The version the system reports to this program; empty when the query fails.
  virtual std::optional<WindowsVersion> Version() = 0;
  // True when this 32-bit program runs on 64-bit Windows (under WOW64);
  // false also when the system has no WOW64 query at all.
  virtual bool IsWow64() = 0;
  // Executes the CPUID instruction for `leaf`.
  virtual CpuidRegisters Cpuid(uint32_t leaf) = 0;
  // The user's default UI language identifier.
  virtual uint16_t UserDefaultUiLanguage() = 0;
  // The temporary folder, ending with a backslash, read into a buffer of 255 characters.
  virtual std::wstring TempPath() = 0;
  virtual LocalTime Now() = 0;
  // Milliseconds since the system started; wraps after 49.7 days.
  virtual uint32_t TickCount() = 0;
  // Narrow text in the system's ANSI code page; characters without a mapping
  // become the code page's default character.
  virtual std::string ToAnsi(const std::wstring& text) = 0;
};

}  // namespace quillo
