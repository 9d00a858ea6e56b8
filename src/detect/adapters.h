#pragma once

#include <string>
#include <vector>

#include "app/run_log.h"
#include "ports/display_devices.h"
#include "ports/registry.h"

namespace quillo {

// One display adapter; the IDs are the hexadecimal texts of its hardware ID
// as the system reports them.
struct AdapterInfo {
  std::wstring deviceId;
  std::wstring subsystemId;
  std::wstring vendorId;
  std::wstring subsystemVendorId;
  std::wstring revisionId;
  std::wstring description;
  friend bool operator==(const AdapterInfo&, const AdapterInfo&) = default;
};

// Fills the five ID fields of `adapter` from a hardware ID such as
// PCI\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00. A field whose marker is
// missing (or stands at the very start) is left as it was.
void ParseHardwareId(const std::wstring& hardwareId, AdapterInfo& adapter);

// Which rule chose the primary adapter.
enum class PrimaryRule {
  kNone,      // no adapter of the vendor
  kOnly,      // the only adapter of the vendor
  kRegistry,  // the adapter whose device instance carries ParentIdPrefix
  kFallback,  // none does: the last adapter of the vendor
};

// Finds the display adapters, splits them into the vendor's and the others,
// and carries the run-log operations of the window that owns it.
class DisplayDetector {
 public:
  DisplayDetector(DisplayDevicePort& devices, RegistryPort& registry, RunLog& log)
      : devices_(devices), registry_(registry), log_(log) {}

  // True when at least one adapter record of either kind was produced; only
  // then are the outputs replaced.
  bool DetectAdapters(std::vector<AdapterInfo>& vendorAdapters, std::vector<AdapterInfo>& otherAdapters,
                      std::wstring& otherDescription, std::vector<std::wstring>& hardwareIds);

  // Writes the device and revision IDs of the primary adapter of the vendor.
  PrimaryRule SelectPrimaryAdapter(const std::vector<AdapterInfo>& vendorAdapters,
                                   const std::vector<std::wstring>& hardwareIds, std::wstring& deviceId,
                                   std::wstring& revisionId);

  // The description of the last present display device whose first hardware
  // ID contains `searchText`; `description` is left as it was when none does.
  void GetAdapterDescription(const std::wstring& searchText, std::wstring& description);

  bool CreateLog() { return log_.Create(); }
  void WriteLog(const std::wstring& message) { log_.Write(message); }

 private:
  bool HasParentIdPrefix(const std::wstring& hardwareId);

  DisplayDevicePort& devices_;
  RegistryPort& registry_;
  RunLog& log_;
  std::vector<AdapterInfo> vendorAdapters_;
  std::vector<AdapterInfo> otherAdapters_;
  std::vector<std::wstring> hardwareIds_;
};

// True for the maker's two PCI vendor IDs.
bool IsVendorId(const std::wstring& vendorId);

}  // namespace quillo
