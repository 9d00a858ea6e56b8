#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/endpoints.h"
#include "catalog/driver_catalogue.h"
#include "detect/adapters.h"
#include "detect/installed.h"
#include "detect/system.h"
#include "fakes/fake_ports.h"
#include "platform/win32/win32_ports.h"

namespace quillo {
namespace {

// What each machine profile the tests run on holds.
struct ProfileFacts {
  const char* profile;
  std::vector<std::wstring> vendorDeviceIds;
  PrimaryRule rule;
  const wchar_t* primaryDeviceId;
  const wchar_t* releaseVersion;
  const wchar_t* dotNet;
  bool wow64;
  OsNames names;
};

const OsNames kWindows10x64{L"Windows 10 64-bit", L"Windows 10 - 64 Bit", L"Windows10", L"64"};

const ProfileFacts kFacts[] = {
    {"demo", {L"7A10"}, PrimaryRule::kOnly, L"7A10", L"24.20.11.3", L"4.8.04084", true, kWindows10x64},
    {"dual", {L"7A10", L"0C30"}, PrimaryRule::kRegistry, L"0C30", L"24.20.11.3", L"4.0.0.0", true, kWindows10x64},
    {"win10-32", {L"7A10"}, PrimaryRule::kOnly, L"7A10", L"24.20.11.3", L"4.8.04084", false,
     {L"Windows 10 32-bit", L"Windows 10 - 32 Bit", L"Windows10", L"32"}},
    {"win7-32", {L"7A10"}, PrimaryRule::kOnly, L"7A10", L"24.20.11.3", L"4.8.04084", false,
     {L"Windows 7 32-bit", L"Windows 7 - 32 Bit", L"Windows7", L"32"}},
};

// The detection rules fed by the real device-setup and registry adapters,
// on the machine profile the test runs on.
class DetectionTest : public testing::Test {
 protected:
  std::string Profile() const {
    const char* name = std::getenv("QUILLO_PROFILE");
    return name ? name : "";
  }
  const ProfileFacts* Facts() const {
    for (const ProfileFacts& candidate : kFacts) {
      if (Profile() == candidate.profile) return &candidate;
    }
    return nullptr;
  }

  win32::DisplayDevices devices_;
  win32::Registry registry_;
  win32::SystemInfo system_;
  RunLog log_{system_};
  DisplayDetector detector_{devices_, registry_, log_};
};

TEST_F(DetectionTest, FindsTheProfilesAdaptersDriverAndFramework) {
  const ProfileFacts* facts = Facts();
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

TEST_F(DetectionTest, NamesTheProfilesWindowsAndItsBitness) {
  const ProfileFacts* facts = Facts();
  ASSERT_NE(facts, nullptr) << "no facts for profile '" << Profile() << "'";
  EXPECT_EQ(Is64BitWindows(system_), facts->wow64);
  OsVersionInfo info;
  ASSERT_TRUE(GetOsVersionInfo(system_, info));
  OsNames names;
  GetOsNames(info, names);
  EXPECT_EQ(names.displayName, facts->names.displayName);
  EXPECT_EQ(names.catalogueName, facts->names.catalogueName);
  EXPECT_EQ(names.shortName, facts->names.shortName);
  EXPECT_EQ(names.bitnessText, facts->names.bitnessText);
}

// The catalogue source key as the program reads it: under Wow6432Node on a
// 64-bit system, outside it on a 32-bit one (the 32-bit profiles hold a
// decoy there that would choose the local catalogue).
TEST_F(DetectionTest, ReadsTheCatalogueSourceKeyOfTheSystemsView) {
  fakes::FakeNetwork network;
  fakes::FakeShell shell;
  fakes::FakeResources resources;
  fakes::FakeXmlReaders xml;
  const Endpoints endpoints = BuiltInEndpoints();
  const std::wstring production = L"http://" + endpoints.supportServer + L"/drivers/xml/driver_09_us.xml";
  network.files[production] = "<catalogue/>";
  CatalogueSource source;
  EXPECT_TRUE(DownloadDriverCatalogue({devices_, registry_, system_, network, shell, resources, xml}, endpoints, log_,
                                      source));
  EXPECT_EQ(source.catalogueType, L"Production");
  EXPECT_FALSE(source.localServerMode);
  ASSERT_EQ(network.downloads.size(), 1u);
  EXPECT_EQ(network.downloads[0].first, production);
  DeleteFileW(source.catalogueFilePath.c_str());
}


}  // namespace
}  // namespace quillo
