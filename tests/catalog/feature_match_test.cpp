#include <gtest/gtest.h>

#include <filesystem>

#include "app/application.h"
#include "catalog/features.h"
#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::Fixture;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::SetProcessorBrand;
using catalog_tests::TempFolder;

const wchar_t kM7[] = L"Velmora Core M7-8700 CPU @ 3.20GHz";
const wchar_t kM3[] = L"Velmora Core M3-6100 CPU @ 2.30GHz";

const wchar_t kClearframe[] = L"Velmora Clearframe";
const wchar_t kRapidline[] = L"Velmora Rapidline";
const wchar_t kWavehand[] = L"Velmora Wavehand";
const wchar_t kSmilekey[] = L"Velmora Smilekey";
const wchar_t kCastwell[] = L"Velmora Castwell";

const wchar_t kRapidlineAt[] = L"download.test/features/rapidline/VelmoraRLX.exe";
const wchar_t kWavehandAt[] = L"web.test/features/wavehand/VelmoraWavehand.exe";
const wchar_t kSmilekeyAt[] = L"web.test/features/smilekey/VelmoraSmilekey.exe";

TEST(FeatureMatchTest, FindsThePlatformOfTheAdapterAndTheProcessor) {
  struct Case {
    const char* fixture;
    const wchar_t* brand;
    const wchar_t* deviceId;
    const wchar_t* revisionId;
    int32_t result;
    CompatibleFeatures features;
  };
  const Case cases[] = {
      {"features.xml", kM7, L"7A10", L"00", 0,
       {{kClearframe, L"NA"}, {kRapidline, kRapidlineAt}, {kWavehand, kWavehandAt}, {kSmilekey, kSmilekeyAt},
        {kCastwell, L"NA"}}},
      // Device and revision without the processor: its features, provisionally.
      {"features.xml", kM7, L"7B20", L"02", 0, {{kClearframe, L"NA"}}},
      // The processor's own platform replaces them; the read stops there.
      {"features_provisional.xml", kM7, L"7A10", L"00", 0, {{kWavehand, kWavehandAt}}},
      // Without it every platform of the device counts.
      {"features_provisional.xml", kM3, L"7A10", L"00", 0,
       {{kClearframe, L"NA"}, {kRapidline, kRapidlineAt}, {kWavehand, kWavehandAt}, {kSmilekey, kSmilekeyAt}}},
      // Two platforms without the processor: both, the first location of a name stays.
      {"features_two_platforms.xml", kM7, L"7A10", L"00", 0,
       {{kClearframe, L"NA"}, {kRapidline, L"download.test/features/first/VelmoraRLX.exe"}, {kCastwell, L"NA"}}},
      // A platform without RevisionID only fits an adapter without one.
      {"features_no_revision.xml", kM7, L"7A10", L"00", 1, {}},
      {"features_no_revision.xml", kM7, L"7A10", L"", 0, {{kClearframe, L"NA"}}},
      {"features.xml", kM7, L"7C30", L"00", 1, {}},
      {"features.xml", kM7, L"7A10", L"03", 1, {}},
  };
  PlatformXmlReaders xml;
  for (const Case& c : cases) {
    FeatureReader reader(xml);
    CompatibleFeatures features;
    const int32_t result = reader.MatchFeatures(features, Fixture(c.fixture), c.brand, c.deviceId, c.revisionId);
    const std::string situation = std::string(c.fixture) + " " + testing::PrintToString(std::wstring(c.deviceId)) +
                                  " rev " + testing::PrintToString(std::wstring(c.revisionId));
    EXPECT_EQ(result, c.result) << situation;
    EXPECT_EQ(features, c.features) << situation << ": " << testing::PrintToString(features);
  }
}

TEST(FeatureMatchTest, TheFlagsOfOneCallCarryIntoTheNext) {
  // After the processor's platform was found, the next call, for whatever
  // adapter, takes the features it meets first as that platform's and stops
  // at the first end tag.
  PlatformXmlReaders xml;
  FeatureReader reader(xml);
  CompatibleFeatures first;
  ASSERT_EQ(reader.MatchFeatures(first, Fixture("features.xml"), kM7, L"7A10", L"00"), 0);
  EXPECT_TRUE(reader.exactPlatform());
  CompatibleFeatures second;
  EXPECT_EQ(reader.MatchFeatures(second, Fixture("features.xml"), kM7, L"7C30", L"00"), 0);
  EXPECT_EQ(second, first) << testing::PrintToString(second);
}

TEST(FeatureMatchTest, AnUnreadableCatalogueYieldsNothing) {
  PlatformXmlReaders xml;
  FeatureReader reader(xml);
  CompatibleFeatures features;
  EXPECT_EQ(reader.MatchFeatures(features, Fixture("no_such_catalogue.xml"), kM7, L"7A10", L"00"), 0)
      << "a catalogue that cannot be opened answers 0";
  EXPECT_EQ(reader.MatchFeatures(features, Fixture("empty.xml"), kM7, L"7A10", L"00"),
            static_cast<int32_t>(0xC00CEE01))
      << "a broken one answers the reader's error";
  EXPECT_TRUE(features.empty());
}

// The main window's reading of the downloaded catalogue.
class FeatureOffersTest : public testing::Test {
 protected:
  FeatureOffersTest() {
    fake_.system.tempPath = temp_.WithSeparator();
    SetProcessorBrand(fake_.system, "Velmora Core M7-8700 CPU @ 3.20GHz");
  }

  void Serve(const std::string& fixture) {
    std::filesystem::copy_file(std::filesystem::path(Fixture(fixture)), temp_.path() / "CompatibleFeatures.xml");
  }
  void AddAdapter(const wchar_t* hardwareId) {
    DisplayDevice device;
    device.hasBusAddress = true;
    device.hardwareId = hardwareId;
    device.locationInformation = L"PCI bus 1, device 0, function 0";
    fake_.devices.devices->push_back(device);
  }
  FeatureOffers Load() {
    FeatureReader reader(xml_);
    return LoadFeatureOffers(reader, detector_, fake_.system, endpoints_, state_);
  }

  TempFolder temp_;
  fakes::FakePorts fake_;
  PlatformXmlReaders xml_;
  RunLog log_{fake_.system};
  DisplayDetector detector_{fake_.devices, fake_.registry, log_};
  const Endpoints endpoints_{L"web.test", L"support.test", L"download.test", L"local.test", L"survey.test",
                             L"collect.test"};
  RunState state_;
};

TEST_F(FeatureOffersTest, SetsTheFeatureFlagsAndWhereTheInstallersComeFrom) {
  Serve("features.xml");
  AddAdapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00");
  const FeatureOffers offers = Load();

  EXPECT_TRUE(offers.matched);
  EXPECT_EQ(state_.featureCount, 5);
  EXPECT_TRUE(state_.cfsAvailable && state_.rplAvailable && state_.wvhAvailable && state_.smkAvailable &&
              state_.cwlAvailable);
  const std::wstring temp = temp_.WithSeparator();
  // Feature 2 from the download server, by the path after the host.
  EXPECT_EQ(offers.rapidline.requestPath, L"/features/rapidline/VelmoraRLX.exe");
  EXPECT_EQ(offers.rapidline.localPath, temp + L"VelmoraRLX.exe");
  // Features 3 and 4 from the web site, by the last part of the path.
  EXPECT_EQ(offers.wavehand.requestPath, L"/VelmoraWavehand.exe");
  EXPECT_EQ(offers.wavehand.localPath, temp + L"VelmoraWavehand.exe");
  EXPECT_EQ(offers.smilekey.requestPath, L"/VelmoraSmilekey.exe");
  EXPECT_EQ(offers.smilekey.localPath, temp + L"VelmoraSmilekey.exe");
}

TEST_F(FeatureOffersTest, AFeatureWithoutADownloadIsStillAvailable) {
  // Rapidline and Wavehand at "NA", Smilekey on the download server instead
  // of the web site.
  Serve("features_na.xml");
  AddAdapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00");
  const FeatureOffers offers = Load();

  EXPECT_EQ(state_.featureCount, 3);
  EXPECT_TRUE(state_.rplAvailable && state_.wvhAvailable && state_.smkAvailable);
  EXPECT_FALSE(state_.cfsAvailable || state_.cwlAvailable);
  for (const FeatureInstaller* installer : {&offers.rapidline, &offers.wavehand, &offers.smilekey}) {
    EXPECT_TRUE(installer->requestPath.empty()) << testing::PrintToString(installer->location);
    EXPECT_TRUE(installer->localPath.empty()) << testing::PrintToString(installer->location);
  }
}

TEST_F(FeatureOffersTest, TheFirstAdapterWithFeaturesDecides) {
  Serve("features.xml");
  AddAdapter(L"PCI\\VEN_1FA2&DEV_7C30&SUBSYS_30001FA2&REV_00");
  AddAdapter(L"PCI\\VEN_1FB2&DEV_7B20&SUBSYS_30001FB2&REV_02");
  AddAdapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00");
  const FeatureOffers offers = Load();

  EXPECT_TRUE(offers.matched);
  EXPECT_EQ(offers.features, (CompatibleFeatures{{kClearframe, L"NA"}})) << "the second adapter's platform";
  EXPECT_EQ(state_.featureCount, 1);
}

TEST_F(FeatureOffersTest, NoFeaturesWithoutAMatchingAdapter) {
  Serve("features.xml");
  AddAdapter(L"PCI\\VEN_1FA2&DEV_7C30&SUBSYS_30001FA2&REV_00");
  const FeatureOffers offers = Load();

  EXPECT_FALSE(offers.matched);
  EXPECT_EQ(state_.featureCount, 0);
  EXPECT_FALSE(state_.cfsAvailable || state_.rplAvailable || state_.wvhAvailable || state_.smkAvailable ||
               state_.cwlAvailable);
}

}  // namespace
}  // namespace quillo

namespace quillo {
namespace {

AdapterInfo VendorAdapter(const wchar_t* device, const wchar_t* revision) {
  AdapterInfo adapter;
  adapter.deviceId = device;
  adapter.revisionId = revision;
  return adapter;
}

// Which window the launch opens: the vendor's adapters are matched in list
// order until one has features, and a catalogue that cannot be read stops
// the loop with whatever the map holds by then.
TEST(WindowLaunchTest, TheFirstAdapterWithFeaturesDecidesTheWindow) {
  struct Case {
    const char* name;
    std::string catalogue;  // the fixture's name; empty: no catalogue at all
    std::vector<AdapterInfo> adapters;
    MainWindowKind window;
    CompatibleFeatures features;
  };
  const Case cases[] = {
      {"only the second adapter has features: its features",
       "features.xml",
       {VendorAdapter(L"7C99", L"00"), VendorAdapter(L"7B20", L"02")},
       MainWindowKind::kSectioned,
       {{L"Velmora Clearframe", L"NA"}}},
      {"the first has them: the second is not matched",
       "features.xml",
       {VendorAdapter(L"7B20", L"02"), VendorAdapter(L"7A10", L"00")},
       MainWindowKind::kSectioned,
       {{L"Velmora Clearframe", L"NA"}}},
      {"no adapter has features", "features.xml", {VendorAdapter(L"7C99", L"00")}, MainWindowKind::kClassic, {}},
      {"no catalogue", "", {VendorAdapter(L"7A10", L"00")}, MainWindowKind::kClassic, {}},
      {"a catalogue that breaks off before any platform", "truncated.xml", {VendorAdapter(L"7A10", L"00")},
       MainWindowKind::kClassic, {}},
  };
  for (const Case& c : cases) {
    PlatformXmlReaders xml;
    FeatureReader reader(xml);
    StartupDecision decision;
    decision.kind = StartupDecision::Kind::kOpenMainWindow;
    decision.processorBrand = L"Velmora Core M5-7200 CPU";
    decision.vendorAdapters = c.adapters;
    decision.featureCataloguePath = c.catalogue.empty() ? std::wstring(L"missing-features.xml") : Fixture(c.catalogue);
    CompatibleFeatures features;
    EXPECT_EQ(ChooseMainWindow(reader, decision, features), c.window) << c.name;
    EXPECT_EQ(features, c.features) << c.name;
  }
}

}  // namespace
}  // namespace quillo
