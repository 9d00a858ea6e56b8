#pragma once

#include <cstdint>
#include <string>

#include "ports/system_info.h"

namespace quillo {

// The processor's brand string as the CPUID brand leaves give it, up to its
// first NUL, blanks included. False when the processor lacks a brand leaf
// (the brand is then empty or partial).
bool GetProcessorBrand(SystemInfoPort& system, std::wstring& brand);

// Removes the U+0020 blanks at the start of `text`.
void TrimLeadingBlanks(std::wstring& text);

struct OsVersionInfo {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  bool is64BitSystem = false;
};

// False, leaving `info` as it was, when the version query fails.
bool GetOsVersionInfo(SystemInfoPort& system, OsVersionInfo& info);
bool Is64BitWindows(SystemInfoPort& system);

// The start-up gates; each queries the version itself and is false when the
// query fails.
bool IsOlderThanWindows2000(SystemInfoPort& system);
bool IsWindowsXP(SystemInfoPort& system);
bool IsWindowsVista(SystemInfoPort& system);
bool IsWindows7OrLater(SystemInfoPort& system);

// The names of Windows 7, 8, 8.1 and 10 with their bitness: shown to the
// user (display name), matched against the driver catalogue (catalogue name)
// and sent with usage events (short name, bitness text). Any other version
// leaves all four as they were.
struct OsNames {
  std::wstring displayName;
  std::wstring catalogueName;
  std::wstring shortName;
  std::wstring bitnessText;
};
void GetOsNames(const OsVersionInfo& info, OsNames& names);

}  // namespace quillo
