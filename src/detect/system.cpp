#include "detect/system.h"

#include <cstring>

namespace quillo {

bool GetProcessorBrand(SystemInfoPort& system, std::wstring& brand) {
  const uint32_t highest = system.Cpuid(0x80000000).eax;
  unsigned char buffer[64] = {};
  if (highest >= 0x80000000) {
    for (uint32_t leaf = 0x80000000; leaf <= highest; ++leaf) {
      const CpuidRegisters r = system.Cpuid(leaf);
      if (leaf >= 0x80000002 && leaf <= 0x80000004) {
        const uint32_t words[] = {r.eax, r.ebx, r.ecx, r.edx};
        std::memcpy(buffer + (leaf - 0x80000002) * 16, words, sizeof words);
      }
      if (leaf == 0xFFFFFFFF) break;
    }
  }
  // The program never changes the C runtime's locale, whose narrow-to-wide
  // conversion maps each byte to the character of the same number.
  brand.clear();
  for (size_t i = 0; i < sizeof buffer && buffer[i] != 0; ++i) brand += static_cast<wchar_t>(buffer[i]);
  return highest >= 0x80000004;
}

void TrimLeadingBlanks(std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  text.erase(0, first == std::wstring::npos ? text.size() : first);
}

bool Is64BitWindows(SystemInfoPort& system) { return system.IsWow64(); }

bool GetOsVersionInfo(SystemInfoPort& system, OsVersionInfo& info) {
  const auto version = system.Version();
  if (!version) return false;
  info.major = version->major;
  info.minor = version->minor;
  info.build = version->build;
  info.is64BitSystem = Is64BitWindows(system);
  return true;
}

bool IsOlderThanWindows2000(SystemInfoPort& system) {
  const auto v = system.Version();
  return v && v->major < 5;
}

bool IsWindowsXP(SystemInfoPort& system) {
  const auto v = system.Version();
  return v && v->major == 5 && v->minor == 1;
}

bool IsWindowsVista(SystemInfoPort& system) {
  const auto v = system.Version();
  return v && v->major == 6 && v->minor == 0;
}

bool IsWindows7OrLater(SystemInfoPort& system) {
  const auto v = system.Version();
  return v && (v->major > 6 || (v->major == 6 && v->minor >= 1));
}

void GetOsNames(const OsVersionInfo& info, OsNames& names) {
  struct Row {
    uint32_t major, minor;
    const wchar_t* display;
    const wchar_t* catalogue;
    const wchar_t* shortName;
  };
  static constexpr Row kRows[] = {
      {6, 1, L"Windows 7", L"Windows 7 - ", L"Windows7"},
      {6, 2, L"Windows 8", L"Windows 8 - ", L"Windows8"},
      {6, 3, L"Windows 8.1", L"Windows 8.1 - ", L"Windows8.1"},
      {10, 0, L"Windows 10", L"Windows 10 - ", L"Windows10"},
  };
  for (const Row& row : kRows) {
    if (row.major != info.major || row.minor != info.minor) continue;
    names.displayName = std::wstring(row.display) + (info.is64BitSystem ? L" 64-bit" : L" 32-bit");
    names.catalogueName = std::wstring(row.catalogue) + (info.is64BitSystem ? L"64 Bit" : L"32 Bit");
    names.shortName = row.shortName;
    names.bitnessText = info.is64BitSystem ? L"64" : L"32";
    return;
  }
}

}  // namespace quillo
