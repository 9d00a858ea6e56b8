#pragma once

#include <string>

#include "detect/adapters.h"
#include "ports/display_devices.h"
#include "ports/registry.h"

namespace quillo {

// True when the display device whose first hardware ID contains `deviceId`
// runs on Windows' own basic or VGA driver (then no vendor driver is
// installed). Logs the finding through `detector`.
bool IsBasicDriverPresent(DisplayDevicePort& devices, DisplayDetector& detector, const std::wstring& deviceId);

// The driver key (class GUID\instance, lower case) of the first display
// device whose first hardware ID contains `deviceId`.
bool GetDriverKey(DisplayDevicePort& devices, std::wstring& driverKey, const std::wstring& deviceId);

// The "ReleaseVersion" of the installed driver package under its class key.
bool ReadReleaseVersion(RegistryPort& registry, const std::wstring& driverKey, std::wstring& releaseVersion);

// The highest installed .NET Framework version as dotted text, or "Not Installed".
std::wstring GetInstalledDotNetVersion(RegistryPort& registry);

// The vendor's installer needs .NET Framework 4.5.0: true, with its log
// record, when the installed version is older.
bool IsNetFrameworkRequired(const std::wstring& installedVersion, DisplayDetector& detector);

}  // namespace quillo
