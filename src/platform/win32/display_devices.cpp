#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <devpkey.h>
#include <setupapi.h>

#include <cwchar>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// Properties are read into a buffer of this size, as the program always has.
constexpr DWORD kPropertyBufferBytes = 520;
constexpr size_t kMaxTextChars = kPropertyBufferBytes / sizeof(wchar_t) - 1;

std::optional<std::wstring> ReadTextProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property) {
  alignas(wchar_t) BYTE buffer[kPropertyBufferBytes] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, device, property, &type, buffer, sizeof buffer, nullptr)) {
    return std::nullopt;
  }
  // For a string list this is its first string.
  const auto* text = reinterpret_cast<const wchar_t*>(buffer);
  return std::wstring(text, wcsnlen(text, kMaxTextChars));
}

using GetDevicePropertyW = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE,
                                         DWORD, PDWORD, DWORD);

// Windows 7 and later also answer the bus address as a unified device
// property, which is what some systems (Wine among them) fill in. Looked up
// at run time so that the program still starts on systems without it and can
// tell their users so.
bool ReadAddressDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA* device) {
  static const auto getProperty = reinterpret_cast<GetDevicePropertyW>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"setupapi.dll"), "SetupDiGetDevicePropertyW")));
  if (getProperty == nullptr) return false;
  BYTE buffer[kPropertyBufferBytes] = {};
  DEVPROPTYPE type = 0;
  return getProperty(set, device, &DEVPKEY_Device_Address, &type, buffer, sizeof buffer, nullptr, 0) != FALSE;
}

bool HasBusAddress(HDEVINFO set, SP_DEVINFO_DATA* device) {
  BYTE buffer[kPropertyBufferBytes] = {};
  DWORD type = 0;
  if (SetupDiGetDeviceRegistryPropertyW(set, device, SPDRP_ADDRESS, &type, buffer, sizeof buffer, nullptr)) {
    return true;
  }
  return ReadAddressDeviceProperty(set, device);
}

}  // namespace

std::optional<std::vector<DisplayDevice>> DisplayDevices::PresentDisplayDevices() {
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_DISPLAY, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return std::nullopt;

  std::vector<DisplayDevice> devices;
  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &info); ++index) {
    DisplayDevice device;
    device.hasBusAddress = HasBusAddress(set, &info);
    device.hardwareId = ReadTextProperty(set, &info, SPDRP_HARDWAREID);
    device.description = ReadTextProperty(set, &info, SPDRP_DEVICEDESC);
    device.locationInformation = ReadTextProperty(set, &info, SPDRP_LOCATION_INFORMATION);
    device.driver = ReadTextProperty(set, &info, SPDRP_DRIVER);
    devices.push_back(std::move(device));
  }
  SetupDiDestroyDeviceInfoList(set);
  return devices;
}

}  // namespace quillo::win32
