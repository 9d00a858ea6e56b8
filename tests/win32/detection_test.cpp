#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "detect/adapters.h"
#include "detect/installed.h"
#include "detect/system.h"
#include "platform/win32/win32_ports.h"

namespace quillo {
namespace {

// The detection rules fed by the real device-setup and registry adapters,
// on the machine profile the test runs on.
class DetectionTest : public testing::Test {
 protected:
  std::string Profile() const {
    const char* name = std::getenv("QUILLO_PROFILE");
    return name ? name : "";
  }

  win32::DisplayDevices devices_;
  win32::Registry registry_;
  win32::SystemInfo system_;
  RunLog log_{system_};
  DisplayDetector detector_{devices_, registry_, log_};
};

struct ProfileFacts {
  const char* profile;
  std::vector<std::wstring> vendorDeviceIds;
  PrimaryRule rule;
  const wchar_t* primaryDeviceId;
  const wchar_t* releaseVersion;
  const wchar_t* dotNet;
};

const ProfileFacts kFacts[] = {
    {"demo", {L"7A10"}, PrimaryRule::kOnly, L"7A10", L"24.20.11.3", L"4.8.04084"},
    {"dual", {L"7A10", L"0C30"}, PrimaryRule::kRegistry, L"0C30", L"24.20.11.3", L"4.0.0.0"},
};

TEST_F(DetectionTest, FindsTheProfilesAdaptersDriverAndFramework) {
  const ProfileFacts* facts = nullptr;
  for (const ProfileFacts& candidate : kFacts) {
    if (Profile() == candidate.profile) facts = &candidate;
  }
  ASSERT_NE(facts, nullptr) << "no facts for profile '" << Profile() << "'";

  std::vector<AdapterInfo> vendor, other;
  std::wstring otherDescription;
  std::vector<std::wstring> hardwareIds;
  ASSERT_TRUE(detector_.DetectAdapters(vendor, other, otherDescription, hardwareIds));
  std::vector<std::wstring> deviceIds;
  for (const AdapterInfo& adapter : vendor) deviceIds.push_back(adapter.deviceId);
  EXPECT_EQ(deviceIds, facts->vendorDeviceIds);
  EXPECT_TRUE(other.empty()) << "Wine's own adapter has no bus address and is not reported";

  std::wstring deviceId, revisionId;
  EXPECT_EQ(detector_.SelectPrimaryAdapter(vendor, hardwareIds, deviceId, revisionId), facts->rule);
  EXPECT_EQ(deviceId, facts->primaryDeviceId);

  EXPECT_FALSE(IsBasicDriverPresent(devices_, detector_, deviceId));
  std::wstring driverKey, release;
  ASSERT_TRUE(GetDriverKey(devices_, driverKey, deviceId));
  ASSERT_TRUE(ReadReleaseVersion(registry_, driverKey, release));
  EXPECT_EQ(release, facts->releaseVersion);
  EXPECT_EQ(GetInstalledDotNetVersion(registry_), facts->dotNet);
}

TEST_F(DetectionTest, NamesTheProfilesWindows) {
  OsVersionInfo info;
  ASSERT_TRUE(GetOsVersionInfo(system_, info));
  OsNames names;
  GetOsNames(info, names);
  EXPECT_EQ(names.displayName, L"Windows 10 64-bit");
  EXPECT_EQ(names.catalogueName, L"Windows 10 - 64 Bit");
  EXPECT_EQ(names.shortName, L"Windows10");
  EXPECT_EQ(names.bitnessText, L"64");
}

}  // namespace
}  // namespace quillo
