#include "detect/installed.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/fake_ports.h"
#include "fakes/test_files.h"

namespace quillo {
namespace {

const std::wstring kNdp = L"Software\\Microsoft\\NET Framework Setup\\NDP";

class InstalledTest : public testing::Test {
 protected:
  fakes::FakePorts fake_;
  RunLog log_{fake_.system};
  DisplayDetector detector_{fake_.devices, fake_.registry, log_};
};

TEST_F(InstalledTest, BasicDriverIsFoundByItsLoweredDescription) {
  struct Case {
    const wchar_t* description;
    bool basic;
  };
  const Case cases[] = {
      {L"Microsoft Basic Display Adapter", true},
      {L"Standard VGA Graphics Adapter", true},
      {L"MICROSOFT BASICDISPLAY", true},
      {L"Velmora Prism 7A10 Graphics", false},
  };
  for (const Case& c : cases) {
    DisplayDevice device;
    device.hardwareId = L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00";
    device.description = c.description;
    fake_.devices.devices = std::vector<DisplayDevice>{device};
    EXPECT_EQ(IsBasicDriverPresent(fake_.devices, detector_, L"7A10"), c.basic)
        << testing::PrintToString(std::wstring(c.description));
  }
  // Only the device with the adapter's ID counts.
  EXPECT_FALSE(IsBasicDriverPresent(fake_.devices, detector_, L"0C30"));
}

TEST_F(InstalledTest, DriverKeyIsLoweredAndItsReleaseVersionRead) {
  DisplayDevice device;
  device.hardwareId = L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00";
  device.driver = L"{4D36E968-E325-11CE-BFC1-08002BE10318}\\0001";
  fake_.devices.devices = std::vector<DisplayDevice>{DisplayDevice{}, device};
  std::wstring key;
  ASSERT_TRUE(GetDriverKey(fake_.devices, key, L"7A10"));
  EXPECT_EQ(key, L"{4d36e968-e325-11ce-bfc1-08002be10318}\\0001");
  std::wstring unchanged = L"unchanged";
  EXPECT_FALSE(GetDriverKey(fake_.devices, unchanged, L"0C30"));
  EXPECT_EQ(unchanged, L"unchanged");

  const std::wstring classKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + key;
  std::wstring release;
  EXPECT_FALSE(ReadReleaseVersion(fake_.registry, key, release)) << "no class key";
  fake_.registry.AddKey(classKey);
  EXPECT_FALSE(ReadReleaseVersion(fake_.registry, key, release)) << "no values";
  fake_.registry.SetString(classKey, L"DriverDesc", L"Velmora Prism 7A10 Graphics");
  fake_.registry.SetString(classKey, L"ReleaseVersion", L"24.20.11.3");
  ASSERT_TRUE(ReadReleaseVersion(fake_.registry, key, release));
  EXPECT_EQ(release, L"24.20.11.3");

  // Without the right to open the key fully, nothing is found.
  fake_.registry.Deny(classKey, KeyAccess::kAllAccess);
  EXPECT_FALSE(ReadReleaseVersion(fake_.registry, key, release));
}

struct DotNetCase {
  const char* name;
  std::vector<std::pair<std::wstring, std::wstring>> versions;  // key under NDP, Version value
  const wchar_t* expected;
  bool required;
};

TEST_F(InstalledTest, FrameworkVersionIsTheHighestFound) {
  const DotNetCase cases[] = {
      {"2.0, 3.5 and 4 with Client and Full",
       {{L"v2.0.50727", L"2.0.50727.4927"}, {L"v3.5", L"3.5.30729.4926"}, {L"v4\\Client", L"4.8.04084"},
        {L"v4\\Full", L"4.8.09032"}},
       L"4.8.04084",
       false},
      {"only 4.0", {{L"v4.0\\Client", L"4.0.0.0"}}, L"4.0.0.0", true},
      {"upper-case V is skipped", {{L"V4\\Client", L"4.8.04084"}, {L"v3.5", L"3.5.30729.4926"}}, L"3.5.30729.4926",
       true},
      {"a key without any version", {{L"v4\\Client\\1033", L"4.8.04084"}}, L"Not Installed", false},
      {"nothing at all", {}, L"Not Installed", false},
  };
  for (const DotNetCase& c : cases) {
    fakes::FakePorts fake;
    fake.registry.AddKey(kNdp);
    for (const auto& [key, version] : c.versions) fake.registry.SetString(kNdp + L"\\" + key, L"Version", version);
    const std::wstring found = GetInstalledDotNetVersion(fake.registry);
    EXPECT_EQ(found, c.expected) << c.name;
    EXPECT_EQ(IsNetFrameworkRequired(found, detector_), c.required) << c.name;
  }
  fakes::FakeRegistry empty;
  EXPECT_EQ(GetInstalledDotNetVersion(empty), L"Not Installed") << "no framework key";
}

TEST_F(InstalledTest, FrameworkRequirementIsLogged) {
  const auto folder = std::filesystem::temp_directory_path() / "quillo-installed-test";
  std::filesystem::create_directories(folder);
  fake_.system.tempPath = folder.wstring() + L"/";
  ASSERT_TRUE(log_.Create());
  log_.Enable();
  EXPECT_TRUE(IsNetFrameworkRequired(L"4.0.30319", detector_));
  EXPECT_FALSE(IsNetFrameworkRequired(L"4.5", detector_));

  EXPECT_EQ(fakes::ReadBytes(log_.path()), "Log file created and initiating the pcrocess... \r\n.NET is required \r\r\n \r\n");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quillo
