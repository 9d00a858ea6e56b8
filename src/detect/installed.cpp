#include "detect/installed.h"

#include <cwctype>
#include <optional>

#include "app/version_number.h"

namespace quillo {
namespace {

constexpr size_t kPropertyBytes = 520;
constexpr size_t kMaxLowerChars = 260;

// Lower case, as the runtime's per-character conversion gives it, of at most
// the first 260 characters.
std::wstring Lower(const std::wstring& text) {
  std::wstring lower = text.substr(0, kMaxLowerChars);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return lower;
}

bool Matches(const DisplayDevice& device, const std::wstring& deviceId) {
  return device.hardwareId && device.hardwareId->find(deviceId) != std::wstring::npos;
}

}  // namespace

bool IsBasicDriverPresent(DisplayDevicePort& devices, DisplayDetector& detector, const std::wstring& deviceId) {
  const auto present = devices.PresentDisplayDevices();
  for (const DisplayDevice& device : present.value_or(std::vector<DisplayDevice>{})) {
    if (!Matches(device, deviceId) || !device.description) continue;
    const std::wstring description = Lower(*device.description);
    for (const wchar_t* basic : {L"basicdisplay", L"vga", L"basic display"}) {
      if (description.find(basic) != std::wstring::npos) {
        detector.WriteLog(L"IsBasicDriverPresent - Baisc or vga driver is present");
        return true;
      }
    }
  }
  return false;
}

bool GetDriverKey(DisplayDevicePort& devices, std::wstring& driverKey, const std::wstring& deviceId) {
  const auto present = devices.PresentDisplayDevices();
  for (const DisplayDevice& device : present.value_or(std::vector<DisplayDevice>{})) {
    if (Matches(device, deviceId) && device.driver) {
      driverKey = Lower(*device.driver);
      return true;
    }
  }
  return false;
}

bool ReadReleaseVersion(RegistryPort& registry, const std::wstring& driverKey, std::wstring& releaseVersion) {
  try {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey;
    // Opened with full access first, as the elevated program can.
    const auto names = registry.ValueNames(key, KeyAccess::kAllAccess, 16383);
    if (!names || names->empty()) return false;
    for (const auto& name : *names) {
      if (!name || name->find(L"ReleaseVersion") == std::wstring::npos) continue;
      const auto value = registry.ReadValue(key, L"ReleaseVersion", KeyAccess::kRead, kPropertyBytes);
      if (!value) return false;
      releaseVersion = value->Text();
      return true;
    }
    return false;
  } catch (...) {
    return false;
  }
}

std::wstring GetInstalledDotNetVersion(RegistryPort& registry) {
  const std::wstring root = L"Software\\Microsoft\\NET Framework Setup\\NDP";
  const auto versions = registry.SubkeyNames(root, KeyAccess::kEnumerateSubKeys, 260);
  if (!versions) return L"Not Installed";

  VersionNumber best;
  for (const auto& name : *versions) {
    if (!name) break;  // the walk ends where the enumeration fails
    if (name->empty() || name->front() != L'v') continue;
    const std::wstring key = root + L"\\" + *name;
    std::optional<RegistryValue> version = registry.ReadValue(key, L"Version", KeyAccess::kRead, kPropertyBytes);
    if (!version) {
      // 4.x keeps its version under its profiles, Client before Full.
      const auto profiles = registry.SubkeyNames(key, KeyAccess::kRead, 260);
      for (const auto& profile : profiles.value_or(RegistryNames{})) {
        if (!profile) break;
        version = registry.ReadValue(key + L"\\" + *profile, L"Version", KeyAccess::kRead, kPropertyBytes);
        if (version) break;
      }
    }
    const VersionNumber found(version ? version->Text() : std::wstring());
    if (found.IsGreaterThan(best)) best = found;
  }
  return best.IsGreaterThan(VersionNumber()) ? best.ToString() : L"Not Installed";
}

bool IsNetFrameworkRequired(const std::wstring& installedVersion, DisplayDetector& detector) {
  if (!VersionNumber(installedVersion).IsLessThan(VersionNumber(L"4.5.0"))) return false;
  detector.WriteLog(L".NET is required \r\n");
  return true;
}

}  // namespace quillo
