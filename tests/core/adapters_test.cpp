#include "detect/adapters.h"

#include <gtest/gtest.h>

#include "fakes/fake_ports.h"

namespace quillo {
namespace {

struct ParseCase {
  const wchar_t* hardwareId;
  AdapterInfo expected;
};

TEST(ParseHardwareIdTest, TakesEachFieldAfterItsMarker) {
  const ParseCase cases[] = {
      {L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", {L"7A10", L"3000", L"1FA2", L"1FA2", L"00", L""}},
      {L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2", {L"7A10", L"3000", L"1FA2", L"1FA2", L"", L""}},
      {L"PCI\\VEN_1FA2&DEV_7A10&CC_030000", {L"7A10", L"", L"1FA2", L"", L"", L""}},
      // Fields running past the end keep what is there; one starting beyond it stays empty.
      {L"PCI\\VEN_1FA2&DEV_7A", {L"7A", L"", L"1FA2", L"", L"", L""}},
      {L"PCI\\VEN_1FA2&SUBSYS_3000", {L"", L"3000", L"1FA2", L"", L"", L""}},
      {L"PCI\\VEN_1FA2&SUBSYS_300010", {L"", L"3000", L"1FA2", L"10", L"", L""}},
      {L"PCI\\VEN_1FA2&REV_0", {L"", L"", L"1FA2", L"", L"0", L""}},
      {L"PCI\\VEN_", {L"", L"", L"", L"", L"", L""}},
      // Markers are case-sensitive and do not count at the very start.
      {L"pci\\ven_1fa2&dev_7a10", {L"", L"", L"", L"", L"", L""}},
      {L"DEV_7A10&VEN_1FA2", {L"", L"", L"1FA2", L"", L"", L""}},
      {L"", {L"", L"", L"", L"", L"", L""}},
  };
  for (const ParseCase& c : cases) {
    AdapterInfo adapter;
    ParseHardwareId(c.hardwareId, adapter);
    EXPECT_EQ(adapter, c.expected) << testing::PrintToString(std::wstring(c.hardwareId));
  }
}

DisplayDevice Device(const wchar_t* hardwareId, const wchar_t* description, const wchar_t* location = L"PCI bus 1",
                     bool address = true) {
  DisplayDevice device;
  device.hasBusAddress = address;
  if (hardwareId) device.hardwareId = hardwareId;
  if (description) device.description = description;
  if (location) device.locationInformation = location;
  return device;
}

class DetectorTest : public testing::Test {
 protected:
  fakes::FakePorts fake_;
  RunLog log_{fake_.system};
  DisplayDetector detector_{fake_.devices, fake_.registry, log_};
};

TEST_F(DetectorTest, SplitsTheVendorsAdaptersFromTheOthers) {
  fake_.devices.devices = std::vector<DisplayDevice>{
      Device(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00", L"Wine Adapter", nullptr, false),
      Device(L"ROOT\\BasicDisplay", L"Basic Display"),
      Device(L"PCI\\VEN_10AB&DEV_0F00&SUBSYS_00011AB0&REV_A1", L"Other Graphics One"),
      Device(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Velmora Prism 7A10"),
      Device(L"PCI\\VEN_1FA2&DEV_7A20&SUBSYS_30001FA2&REV_01", L"No location", L""),
      Device(L"PCI\\VEN_10AB&DEV_0F01&SUBSYS_00011AB0&REV_A1", nullptr),
      Device(L"PCI\\VEN_1FB2&DEV_0C30&SUBSYS_0C301FB2&REV_02", nullptr),
      Device(L"PCI\\VEN_10AB&DEV_0F02&SUBSYS_00011AB0&REV_A1", L"Other Graphics Three"),
  };
  std::vector<AdapterInfo> vendor, other;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  ASSERT_TRUE(detector_.DetectAdapters(vendor, other, otherDescription, hardwareIds));

  const std::vector<AdapterInfo> expectedVendor = {
      {L"7A10", L"3000", L"1FA2", L"1FA2", L"00", L"Velmora Prism 7A10"},
      {L"0C30", L"0C30", L"1FB2", L"1FB2", L"02", L""},
  };
  EXPECT_EQ(vendor, expectedVendor);
  const std::vector<std::wstring> expectedIds = {L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00",
                                                 L"PCI\\VEN_1FB2&DEV_0C30&SUBSYS_0C301FB2&REV_02"};
  EXPECT_EQ(hardwareIds, expectedIds);
  ASSERT_EQ(other.size(), 3u);
  EXPECT_EQ(other[1].deviceId, L"0F01");
  EXPECT_EQ(otherDescription, L"Other Graphics Three");
}

TEST_F(DetectorTest, SoftwareDevicesOnlyLeaveTheOutputsAlone) {
  const std::vector<std::optional<std::vector<DisplayDevice>>> machines = {
      std::nullopt,  // the device set cannot be opened
      std::vector<DisplayDevice>{},
      std::vector<DisplayDevice>{Device(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00", L"Wine", nullptr, false),
                                 Device(L"ROOT\\BasicDisplay", L"Basic Display"),
                                 Device(nullptr, L"No hardware ID")},
  };
  for (const auto& machine : machines) {
    fake_.devices.devices = machine;
    std::vector<AdapterInfo> vendor{AdapterInfo{L"kept", L"", L"", L"", L"", L""}}, other;
    std::wstring otherDescription = L"kept";
    std::vector<std::wstring> hardwareIds{L"kept"};
    EXPECT_FALSE(detector_.DetectAdapters(vendor, other, otherDescription, hardwareIds));
    EXPECT_EQ(vendor.size(), 1u);
    EXPECT_EQ(otherDescription, L"kept");
    EXPECT_EQ(hardwareIds.size(), 1u);
  }
}

TEST_F(DetectorTest, AnotherVendorsAdapterAloneGivesAnEmptyVendorList) {
  fake_.devices.devices = std::vector<DisplayDevice>{Device(L"PCI\\VEN_10AB&DEV_0F00&SUBSYS_00011AB0&REV_A1", L"Other")};
  std::vector<AdapterInfo> vendor{AdapterInfo{L"stale", L"", L"", L"", L"", L""}}, other;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  EXPECT_TRUE(detector_.DetectAdapters(vendor, other, otherDescription, hardwareIds));
  EXPECT_TRUE(vendor.empty());
  EXPECT_EQ(otherDescription, L"Other");
}

struct PrimaryCase {
  const char* name;
  std::vector<std::wstring> hardwareIds;
  std::vector<std::wstring> withParentIdPrefix;  // hardware IDs whose instance carries it
  PrimaryRule rule;
  const wchar_t* deviceId;
  const wchar_t* revisionId;
};

TEST_F(DetectorTest, ChoosesThePrimaryAdapter) {
  const std::wstring discrete = L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00";
  const std::wstring integrated = L"PCI\\VEN_1FB2&DEV_0C30&SUBSYS_0C301FB2&REV_02";
  const PrimaryCase cases[] = {
      {"none", {}, {}, PrimaryRule::kNone, L"unset", L"unset"},
      {"only one", {discrete}, {}, PrimaryRule::kOnly, L"7A10", L"00"},
      {"two, neither marked: the last", {discrete, integrated}, {}, PrimaryRule::kFallback, L"0C30", L"02"},
      {"two, the second marked", {discrete, integrated}, {integrated}, PrimaryRule::kRegistry, L"0C30", L"02"},
      {"two, the first marked", {integrated, discrete}, {integrated}, PrimaryRule::kRegistry, L"0C30", L"02"},
      {"two, both marked: the first", {discrete, integrated}, {discrete, integrated}, PrimaryRule::kRegistry, L"7A10",
       L"00"},
      {"two with equal hardware IDs", {discrete, discrete}, {discrete}, PrimaryRule::kRegistry, L"7A10", L"00"},
  };
  for (const PrimaryCase& c : cases) {
    fakes::FakePorts fake;
    DisplayDetector detector(fake.devices, fake.registry, log_);
    std::vector<AdapterInfo> adapters;
    for (const std::wstring& id : c.hardwareIds) {
      AdapterInfo adapter;
      ParseHardwareId(id, adapter);
      adapters.push_back(adapter);
      const std::wstring key = L"SYSTEM\\CurrentControlSet\\Enum\\" + id;
      fake.registry.SetString(key + L"\\4&1a2b3c&0&0008", L"LocationInformation", L"PCI bus 1");
    }
    for (const std::wstring& id : c.withParentIdPrefix) {
      fake.registry.SetString(L"SYSTEM\\CurrentControlSet\\Enum\\" + id + L"\\4&1a2b3c&0&0008", L"ParentIdPrefix",
                              L"5&1f3c9a2&0");
    }
    std::wstring deviceId = L"unset", revisionId = L"unset";
    EXPECT_EQ(detector.SelectPrimaryAdapter(adapters, c.hardwareIds, deviceId, revisionId), c.rule) << c.name;
    EXPECT_EQ(deviceId, c.deviceId) << c.name;
    EXPECT_EQ(revisionId, c.revisionId) << c.name;
  }
}

TEST_F(DetectorTest, DescriptionComesFromTheLastDeviceWhoseHardwareIdContainsTheText) {
  fake_.devices.devices = std::vector<DisplayDevice>{
      Device(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Velmora Prism 7A10", nullptr, false),
      Device(L"PCI\\VEN_10AB&DEV_0F00&SUBSYS_7A1010AB&REV_A1", L"Other card whose subsystem has 7A10"),
      Device(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30011FA2&REV_00", nullptr),
  };
  std::wstring description = L"unset";
  detector_.GetAdapterDescription(L"7A10", description);
  EXPECT_EQ(description, L"Other card whose subsystem has 7A10");
  description = L"unset";
  detector_.GetAdapterDescription(L"9999", description);
  EXPECT_EQ(description, L"unset");
}

}  // namespace
}  // namespace quillo
