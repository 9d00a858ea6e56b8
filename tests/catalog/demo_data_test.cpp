// The vendor server's demo data set, read as the program reads it: the
// feature catalogue gives the demo machine's adapter all five features and
// the three installers on the hosts the program fetches them from, whatever
// processor the machine has; the classic window's adapter gets a driver and
// no features; every driver catalogue names the demo package at the size
// the build serves it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/endpoints.h"
#include "catalog/features.h"
#include "catalog/xml_passes.h"
#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::FileIn;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::SetProcessorBrand;
using catalog_tests::StandardOutput;
using catalog_tests::TempFolder;

const wchar_t kDemoAdapter[] = L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00";     // tests/profiles/demo
const wchar_t kClassicAdapter[] = L"PCI\\VEN_1FA2&DEV_7A12&SUBSYS_30021FA2&REV_00";  // tests/profiles/no-features
const wchar_t kWindows10[] = L"Windows 10 - 64 Bit";
const char kFeatureCatalogue[] = "support/drivers/xml/compatible_features.xml";
const char* const kDriverCatalogues[] = {"support/drivers/xml/driver_09_us.xml",
                                         "support/drivers/xml/driver_09_us_test.xml",
                                         "local-test/drivers/xml/driver_09_us_local.xml"};

// A file of the vendor server's data set (the repository's folder, which the
// build names), by its path there.
std::wstring DataSetFile(const std::string& name) { return FileIn(QUILLO_VENDOR_DATA_SET, name); }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The machine as the program sees it: one adapter, a processor brand, and the
// data set's feature catalogue downloaded to its temporary folder.
class DemoMachine {
 public:
  DemoMachine(const wchar_t* hardwareId, const std::string& brand) {
    fake_.system.tempPath = temp_.WithSeparator();
    SetProcessorBrand(fake_.system, brand);
    DisplayDevice device;
    device.hasBusAddress = true;
    device.hardwareId = hardwareId;
    device.locationInformation = L"PCI bus 1, device 0, function 0";
    fake_.devices.devices->push_back(device);
    std::filesystem::copy_file(std::filesystem::path(DataSetFile(kFeatureCatalogue)),
                               temp_.path() / "CompatibleFeatures.xml");
  }
  FeatureOffers Load() {
    FeatureReader reader(xml_);
    return LoadFeatureOffers(reader, detector_, fake_.system, BuiltInEndpoints(), state_);
  }
  std::wstring temp() const { return temp_.WithSeparator(); }
  const RunState& state() const { return state_; }

 private:
  TempFolder temp_;
  fakes::FakePorts fake_;
  PlatformXmlReaders xml_;
  RunLog log_{fake_.system};
  DisplayDetector detector_{fake_.devices, fake_.registry, log_};
  RunState state_;
};

DriverRecord DriverRecordFor(const std::string& catalogue, const std::wstring& deviceId) {
  PlatformXmlReaders xml;
  CatalogueWalk walk;
  DriverRecord record;
  StandardOutput([&] { ParseDriverCatalogue(xml, walk, record, DataSetFile(catalogue), deviceId, L"00", kWindows10); });
  return record;
}

TEST(DemoDataSetTest, TheDemoMachineGetsEveryFeatureAndTheThreeInstallersWhateverItsProcessor) {
  const Endpoints& hosts = BuiltInEndpoints();
  // A processor of the vendor, the one an emulator reports, and none at all.
  for (const std::string brand : {"Velmora Core M7-8700 CPU @ 3.20GHz", "QEMU TCG CPU version 2.5+", ""}) {
    SCOPED_TRACE("processor brand \"" + brand + "\"");
    DemoMachine machine(kDemoAdapter, brand);
    const FeatureOffers offers = machine.Load();

    EXPECT_TRUE(offers.matched);
    EXPECT_EQ(offers.features, (CompatibleFeatures{{L"Velmora Clearframe", L"NA"},
                                                   {L"Velmora Rapidline", hosts.downloadServer + L"/features/VelmoraRLX.exe"},
                                                   {L"Velmora Wavehand", hosts.vendorWebSite + L"/VelmoraWavehand.exe"},
                                                   {L"Velmora Smilekey", hosts.vendorWebSite + L"/VelmoraSmilekey.exe"},
                                                   {L"Velmora Castwell", L"NA"}}))
        << testing::PrintToString(offers.features);
    const RunState& state = machine.state();
    EXPECT_EQ(state.featureCount, 5);
    EXPECT_TRUE(state.cfsAvailable && state.rplAvailable && state.wvhAvailable && state.smkAvailable &&
                state.cwlAvailable);
    // What the feature workers request, and where they put it.
    EXPECT_EQ(offers.rapidline.requestPath, L"/features/VelmoraRLX.exe");
    EXPECT_EQ(offers.rapidline.localPath, machine.temp() + L"VelmoraRLX.exe");
    EXPECT_EQ(offers.wavehand.requestPath, L"/VelmoraWavehand.exe");
    EXPECT_EQ(offers.wavehand.localPath, machine.temp() + L"VelmoraWavehand.exe");
    EXPECT_EQ(offers.smilekey.requestPath, L"/VelmoraSmilekey.exe");
    EXPECT_EQ(offers.smilekey.localPath, machine.temp() + L"VelmoraSmilekey.exe");
  }
}

// The adapter of the machine that keeps the classic window: a driver in every
// catalogue, no feature, whatever the processor.
TEST(DemoDataSetTest, TheClassicWindowsAdapterHasADriverAndNoFeature) {
  for (const std::string brand : {"Velmora Core M5-7200 CPU @ 2.50GHz", ""}) {
    SCOPED_TRACE("processor brand \"" + brand + "\"");
    DemoMachine machine(kClassicAdapter, brand);
    const FeatureOffers offers = machine.Load();
    EXPECT_FALSE(offers.matched);
    EXPECT_TRUE(offers.features.empty()) << testing::PrintToString(offers.features);
    EXPECT_EQ(machine.state().featureCount, 0);
  }
  for (const char* catalogue : kDriverCatalogues) {
    EXPECT_EQ(DriverRecordFor(catalogue, L"7A12")[L"label"], L"Velmora Prism Graphics") << catalogue;
  }
}

// The build pads the demo package to a size the driver catalogues must name
// (the window shows it and counts the download against it).
TEST(DemoDataSetTest, EveryDriverCatalogueNamesTheDemoPackageAtTheSizeTheBuildServes) {
  const std::string package = QUILLO_DEMO_PACKAGE;       // its path on the download server
  const std::string megabytes = QUILLO_DEMO_PACKAGE_MIB;  // its size
  for (const char* catalogue : kDriverCatalogues) {
    SCOPED_TRACE(catalogue);
    DriverRecord record = DriverRecordFor(catalogue, L"7A10");
    EXPECT_EQ(record[L"minimalsetup"], L"http://" + BuiltInEndpoints().downloadServer + L"/" + Wide(package));
    EXPECT_EQ(record[L"minimalsetupsize"], Wide(megabytes) + L" MB");
  }
}

}  // namespace
}  // namespace quillo
