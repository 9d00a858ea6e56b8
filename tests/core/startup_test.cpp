#include "app/application.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_ports.h"

namespace quillo {
namespace {

using Kind = StartupDecision::Kind;

const Endpoints kEndpoints{L"web.test", L"support.test", L"download.test",
                           L"local.test", L"survey.test", L"collect.test"};
const std::wstring kCatalogueUrl = L"https://support.test/drivers/xml/compatible_features.xml";

DisplayDevice Adapter(const wchar_t* hardwareId) {
  DisplayDevice device;
  device.hasBusAddress = true;
  device.hardwareId = hardwareId;
  device.description = L"Graphics";
  device.locationInformation = L"PCI bus 1, device 0, function 0";
  return device;
}

const DisplayDevice kVendor = Adapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00");
const DisplayDevice kOther = Adapter(L"PCI\\VEN_10AB&DEV_0F00&SUBSYS_00011AB0&REV_A1");
const DisplayDevice kApple = Adapter(L"PCI\\VEN_10AB&DEV_0F00&SUBSYS_0001106B&REV_A1");

// One machine as the start-up checks see it.
struct Machine {
  std::vector<DisplayDevice> devices = {kVendor};
  std::optional<WindowsVersion> version = WindowsVersion{10, 0, 19045};
  bool anotherCopyRuns = false;
  bool online = true;
  bool catalogueServed = true;
};

struct DecisionCase {
  const char* situation;
  Machine machine;
  Kind expected;
};

Machine With(std::function<void(Machine&)> change) {
  Machine machine;
  change(machine);
  return machine;
}

// Fresh fakes, log and application object for one start of the program.
struct Rig {
  explicit Rig(const Machine& machine) {
    fake.devices.devices = machine.devices;
    fake.system.version = machine.version;
    if (machine.anotherCopyRuns) fake.shell.mutexes.insert(L"QuilloUtility");
    if (machine.online) fake.network.reachable.insert("http://web.test");
    if (machine.catalogueServed) fake.network.files[kCatalogueUrl] = "<features/>";
    fake.system.tempPath = std::wstring(temp.begin(), temp.end());
  }

  const std::string temp = testing::TempDir();
  fakes::FakePorts fake;
  RunLog log{fake.system};
  CQuilloUtilityApp app{fake.ports(), kEndpoints, log};
};

TEST(StartupTest, DecidesByTheFirstCheckThatFails) {
  const DecisionCase cases[] = {
      {"another copy runs", With([](Machine& m) { m.anotherCopyRuns = true; }), Kind::kEndSilently},
      {"an Apple-subsystem device", With([](Machine& m) { m.devices = {kVendor, kApple}; }), Kind::kAppleNotice},
      {"Apple comes before the adapter and system checks",
       With([](Machine& m) {
         m.devices = {kApple};
         m.version = WindowsVersion{5, 1, 2600};
         m.online = false;
       }),
       Kind::kAppleNotice},
      {"no adapter of the vendor", With([](Machine& m) { m.devices = {kOther}; }), Kind::kDefaultNotice},
      {"no adapters at all", With([](Machine& m) { m.devices = {}; }), Kind::kDefaultNotice},
      {"XP without the vendor's adapter: the adapter test first",
       With([](Machine& m) {
         m.devices = {kOther};
         m.version = WindowsVersion{5, 1, 2600};
       }),
       Kind::kDefaultNotice},
      {"Windows NT 4", With([](Machine& m) { m.version = WindowsVersion{4, 0, 1381}; }), Kind::kDefaultNotice},
      {"Windows 2000", With([](Machine& m) { m.version = WindowsVersion{5, 0, 2195}; }), Kind::kEndSilently},
      {"Windows XP", With([](Machine& m) { m.version = WindowsVersion{5, 1, 2600}; }), Kind::kDefaultNotice},
      {"Windows Server 2003", With([](Machine& m) { m.version = WindowsVersion{5, 2, 3790}; }), Kind::kEndSilently},
      {"Windows Vista", With([](Machine& m) { m.version = WindowsVersion{6, 0, 6002}; }), Kind::kDefaultNotice},
      {"a failed version query", With([](Machine& m) { m.version = std::nullopt; }), Kind::kEndSilently},
      {"no network", With([](Machine& m) { m.online = false; }), Kind::kConnectionNotice},
      {"no network on XP: the system check first",
       With([](Machine& m) {
         m.online = false;
         m.version = WindowsVersion{5, 1, 2600};
       }),
       Kind::kDefaultNotice},
      {"feature catalogue missing", With([](Machine& m) { m.catalogueServed = false; }), Kind::kConnectionNotice},
      {"Windows 7", With([](Machine& m) { m.version = WindowsVersion{6, 1, 7601}; }), Kind::kOpenMainWindow},
      {"Windows 8", With([](Machine& m) { m.version = WindowsVersion{6, 2, 9200}; }), Kind::kOpenMainWindow},
      {"Windows 8.1", With([](Machine& m) { m.version = WindowsVersion{6, 3, 9600}; }), Kind::kOpenMainWindow},
      {"Windows 10", Machine{}, Kind::kOpenMainWindow},
  };
  for (const DecisionCase& c : cases) {
    Rig rig(c.machine);
    const StartupDecision decision = rig.app.RunStartupChecks(StartFrom::kFirstCheck);
    EXPECT_EQ(decision.kind, c.expected)
        << c.situation << ": got " << testing::PrintToString(std::wstring(DecisionName(decision.kind)));
  }
}

TEST(StartupTest, OpeningTheMainWindowCarriesTheBrandAdaptersAndCatalogue) {
  Machine machine;
  machine.devices = {kOther, kVendor, Adapter(L"PCI\\VEN_1FB2&DEV_0C30&SUBSYS_0C301FB2&REV_02")};
  Rig rig(machine);
  rig.fake.system.cpuid[0x80000000] = CpuidRegisters{0x80000004, 0, 0, 0};
  rig.fake.system.cpuid[0x80000002] = CpuidRegisters{0x20202020, 0x6D6C6556, 0x0061726F, 0};  // "    Velmora"

  const StartupDecision decision = rig.app.RunStartupChecks(StartFrom::kFirstCheck);
  ASSERT_EQ(decision.kind, Kind::kOpenMainWindow);
  EXPECT_EQ(decision.processorBrand, L"    Velmora") << "the brand as the processor gives it";
  ASSERT_EQ(decision.vendorAdapters.size(), 2u);
  EXPECT_EQ(decision.vendorAdapters[0].deviceId, L"7A10");
  EXPECT_EQ(decision.vendorAdapters[1].deviceId, L"0C30");
  const std::wstring expectedPath = rig.fake.system.tempPath + L"CompatibleFeatures.xml";
  EXPECT_EQ(decision.featureCataloguePath, expectedPath);
  EXPECT_EQ(rig.app.featureCataloguePath(), expectedPath);
}

// After a failed Apple notice the checks run again from the adapter check:
// the mutex this copy already holds and the Apple device no longer count.
TEST(StartupTest, RunningAgainFromTheAdapterCheckSkipsTheMutexAndAppleChecks) {
  Machine machine;
  machine.devices = {kVendor, kApple};
  Rig rig(machine);
  ASSERT_EQ(rig.app.RunStartupChecks(StartFrom::kFirstCheck).kind, Kind::kAppleNotice);
  EXPECT_EQ(rig.app.RunStartupChecks(StartFrom::kVendorAdapterCheck).kind, Kind::kOpenMainWindow);

  Machine appleOnly;
  appleOnly.devices = {kApple};
  Rig other(appleOnly);
  other.app.RunStartupChecks(StartFrom::kFirstCheck);
  EXPECT_EQ(other.app.RunStartupChecks(StartFrom::kVendorAdapterCheck).kind, Kind::kDefaultNotice);
}

TEST(StartupTest, ProbesTheWebSiteThenFetchesTheCatalogueOverHttps) {
  Machine offline;
  offline.online = false;
  Rig withoutNetwork(offline);
  withoutNetwork.app.RunStartupChecks(StartFrom::kFirstCheck);
  EXPECT_EQ(withoutNetwork.fake.network.probes, std::vector<std::string>{"http://web.test"});
  EXPECT_TRUE(withoutNetwork.fake.network.downloads.empty()) << "no catalogue without a connection";

  Rig online{Machine{}};
  online.app.RunStartupChecks(StartFrom::kFirstCheck);
  ASSERT_EQ(online.fake.network.downloads.size(), 1u);
  EXPECT_EQ(online.fake.network.downloads[0].first, kCatalogueUrl);
  EXPECT_EQ(online.fake.network.downloads[0].second, online.fake.system.tempPath + L"CompatibleFeatures.xml");
}

}  // namespace
}  // namespace quillo
