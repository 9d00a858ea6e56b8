#include "detect/adapters.h"

namespace quillo {
namespace {

constexpr size_t kKeyNameChars = 255;
constexpr size_t kPropertyBytes = 520;

// The field that starts `offset` characters after `marker`, at most `length`
// characters long. Markers at position 0 do not count.
void Field(const std::wstring& text, const wchar_t* marker, size_t offset, size_t length, std::wstring& field) {
  const size_t at = text.find(marker);
  if (at == std::wstring::npos || at == 0) return;
  const size_t start = at + offset;
  if (start > text.size()) return;
  field = text.substr(start, length);
}

bool IsPciHardwareId(const std::optional<std::wstring>& hardwareId) {
  return hardwareId && !hardwareId->empty() && hardwareId->find(L"PCI\\VEN_") != std::wstring::npos;
}

}  // namespace

void ParseHardwareId(const std::wstring& hardwareId, AdapterInfo& adapter) {
  Field(hardwareId, L"DEV_", 4, 4, adapter.deviceId);
  Field(hardwareId, L"VEN_", 4, 4, adapter.vendorId);
  Field(hardwareId, L"SUBSYS_", 7, 4, adapter.subsystemId);
  Field(hardwareId, L"SUBSYS_", 11, 4, adapter.subsystemVendorId);
  Field(hardwareId, L"REV_", 4, 2, adapter.revisionId);
}

bool IsVendorId(const std::wstring& vendorId) { return vendorId == L"1FA2" || vendorId == L"1FB2"; }

bool DisplayDetector::DetectAdapters(std::vector<AdapterInfo>& vendorAdapters,
                                     std::vector<AdapterInfo>& otherAdapters, std::wstring& otherDescription,
                                     std::vector<std::wstring>& hardwareIds) {
  vendorAdapters_.clear();
  otherAdapters_.clear();
  hardwareIds_.clear();
  std::wstring lastOtherDescription;
  bool produced = false;

  const auto devices = devices_.PresentDisplayDevices();
  for (const DisplayDevice& device : devices.value_or(std::vector<DisplayDevice>{})) {
    // Software display devices have no bus address and are not reported.
    if (!device.hasBusAddress || !IsPciHardwareId(device.hardwareId)) continue;
    AdapterInfo adapter;
    ParseHardwareId(*device.hardwareId, adapter);
    if (device.description) adapter.description = *device.description;

    if (IsVendorId(adapter.vendorId)) {
      if (!device.locationInformation || device.locationInformation->empty()) continue;
      vendorAdapters_.push_back(adapter);
      hardwareIds_.push_back(*device.hardwareId);
    } else {
      if (device.description) lastOtherDescription = *device.description;
      otherAdapters_.push_back(adapter);
    }
    produced = true;
  }

  if (produced) {
    vendorAdapters = vendorAdapters_;
    otherAdapters = otherAdapters_;
    otherDescription = lastOtherDescription;
    hardwareIds = hardwareIds_;
  }
  return produced;
}

bool DisplayDetector::HasParentIdPrefix(const std::wstring& hardwareId) {
  const std::wstring key = L"SYSTEM\\CurrentControlSet\\Enum\\" + hardwareId;
  const auto instances = registry_.SubkeyNames(key, KeyAccess::kRead, kKeyNameChars);
  if (!instances) return false;
  for (const auto& instance : *instances) {
    if (!instance) continue;
    if (registry_.ReadValue(key + L"\\" + *instance, L"ParentIdPrefix", KeyAccess::kRead, kPropertyBytes)) {
      return true;
    }
  }
  return false;
}

PrimaryRule DisplayDetector::SelectPrimaryAdapter(const std::vector<AdapterInfo>& vendorAdapters,
                                                  const std::vector<std::wstring>& hardwareIds,
                                                  std::wstring& deviceId, std::wstring& revisionId) {
  if (vendorAdapters.empty()) return PrimaryRule::kNone;
  if (vendorAdapters.size() == 1) {
    deviceId = vendorAdapters.front().deviceId;
    revisionId = vendorAdapters.front().revisionId;
    return PrimaryRule::kOnly;
  }
  for (const std::wstring& hardwareId : hardwareIds) {
    if (!HasParentIdPrefix(hardwareId)) continue;
    if (hardwareId.find(L"PCI\\VEN_") == std::wstring::npos) break;
    AdapterInfo chosen;
    ParseHardwareId(hardwareId, chosen);
    deviceId = chosen.deviceId;
    revisionId = chosen.revisionId;
    return PrimaryRule::kRegistry;
  }
  deviceId = vendorAdapters.back().deviceId;
  revisionId = vendorAdapters.back().revisionId;
  return PrimaryRule::kFallback;
}

void DisplayDetector::GetAdapterDescription(const std::wstring& searchText, std::wstring& description) {
  const auto devices = devices_.PresentDisplayDevices();
  for (const DisplayDevice& device : devices.value_or(std::vector<DisplayDevice>{})) {
    if (device.hardwareId && device.hardwareId->find(searchText) != std::wstring::npos && device.description) {
      description = *device.description;
    }
  }
}

}  // namespace quillo
