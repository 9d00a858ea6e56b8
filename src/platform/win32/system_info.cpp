#include <windows.h>

#include <cpuid.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {

std::optional<WindowsVersion> SystemInfo::Version() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;  // the basic structure, 276 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // The manifest declares the systems the program supports, so the answer is
  // the true version up to Windows 10.
  if (!GetVersionExW(&info)) return std::nullopt;
#pragma GCC diagnostic pop
  return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

bool SystemInfo::IsWow64() {
#ifdef _WIN64
  // A 64-bit build of the program runs only on 64-bit Windows, where the
  // 32-bit program runs under WOW64.
  return true;
#else
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  if (isWow64Process != nullptr) isWow64Process(GetCurrentProcess(), &wow64);
  return wow64 != FALSE;
#endif
}

CpuidRegisters SystemInfo::Cpuid(uint32_t leaf) {
  CpuidRegisters r;
  __cpuid(leaf, r.eax, r.ebx, r.ecx, r.edx);
  return r;
}

uint16_t SystemInfo::UserDefaultUiLanguage() { return GetUserDefaultUILanguage(); }

std::wstring SystemInfo::TempPath() {
  wchar_t buffer[255] = {};
  const DWORD length = GetTempPathW(255, buffer);
  return length > 0 && length < 255 ? std::wstring(buffer, length) : std::wstring();
}

LocalTime SystemInfo::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

uint32_t SystemInfo::TickCount() { return GetTickCount(); }

std::string SystemInfo::ToAnsi(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string narrow(static_cast<size_t>(size) + 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), size + 1, nullptr, nullptr);
  narrow.resize(narrow.find('\0'));
  return narrow;
}

}  // namespace quillo::win32
