#include <gtest/gtest.h>

#include "catalog/driver_offer.h"
#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::FileBytes;
using catalog_tests::Fixture;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::StandardOutput;
using catalog_tests::TempFolder;

const wchar_t kWindows10[] = L"Windows 10 - 64 Bit";
const wchar_t kDriverKey[] = L"{4d36e968-e325-11ce-bfc1-08002be10318}\\0001";

DisplayDevice Adapter(const wchar_t* hardwareId, const wchar_t* description) {
  DisplayDevice device;
  device.hasBusAddress = true;
  device.hardwareId = hardwareId;
  device.description = description;
  device.locationInformation = L"PCI bus 1, device 0, function 0";
  device.driver = kDriverKey;
  return device;
}

// One window's catalogue steps on a machine with one adapter of the vendor
// and its driver installed.
class DriverSelectionTest : public testing::Test {
 protected:
  DriverSelectionTest() {
    fake_.system.tempPath = temp_.WithSeparator();
    SetAdapters({Adapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Velmora Iris 600")});
    InstallDriver(L"24.20.11.3");
    log_.Create();
    log_.Enable();
  }

  void SetAdapters(const std::vector<DisplayDevice>& devices) { fake_.devices.devices = devices; }
  void InstallDriver(const wchar_t* release) {
    fake_.registry.SetString(std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kDriverKey,
                             L"ReleaseVersion", release);
  }

  // Runs the steps as a window does, up to the package.
  DriverSelection& Select(const std::string& fixture, WindowKind window = WindowKind::kMain,
                          bool localServerMode = false) {
    selection_ = std::make_unique<DriverSelection>(window, ports(), endpoints_, state_, detector_);
    std::vector<AdapterInfo> vendor, other;
    std::wstring otherDescription;
    std::vector<std::wstring> hardwareIds;
    detector_.DetectAdapters(vendor, other, otherDescription, hardwareIds);
    selection_->ChooseDevice(vendor, hardwareIds);
    CatalogueWalk walk;
    output_ = StandardOutput([&] { found_ = selection_->ReadRecord(Fixture(fixture), kWindows10, walk); });
    if (found_) {
      current_ = selection_->CheckVersions();
      selection_->ChoosePackage(localServerMode);
    }
    return *selection_;
  }

  Ports ports() {
    return Ports{fake_.devices, fake_.registry, fake_.system, fake_.network, fake_.shell, fake_.resources, xml_};
  }
  std::string Records() {
    const std::string all = FileBytes(std::filesystem::path(log_.path()));
    return all.substr(all.find('\n') + 1);
  }
  std::string Temp() {
    const std::wstring temp = temp_.WithSeparator();
    return std::string(temp.begin(), temp.end());
  }

  TempFolder temp_;
  fakes::FakePorts fake_;
  PlatformXmlReaders xml_;
  RunLog log_{fake_.system};
  DisplayDetector detector_{fake_.devices, fake_.registry, log_};
  const Endpoints endpoints_{L"web.test", L"support.test", L"download.test", L"local.test", L"survey.test",
                             L"collect.test"};
  RunState state_;
  std::unique_ptr<DriverSelection> selection_;
  bool found_ = false;
  bool current_ = false;
  std::string output_;
};

TEST_F(DriverSelectionTest, OffersTheNewerDriverAndLogsEveryStep) {
  const DriverSelection& selection = Select("record.xml");
  ASSERT_TRUE(found_);
  EXPECT_FALSE(current_);
  EXPECT_TRUE(state_.recordFound);
  EXPECT_FALSE(state_.driverCurrent);
  const DriverOffer& offer = selection.offer();
  EXPECT_EQ(offer.label, L"Velmora Iris 600");
  EXPECT_EQ(offer.packagePath, L"drivers/win10_6286.exe");
  EXPECT_EQ(offer.packageFileName, L"win10_6286.exe");
  EXPECT_EQ(offer.localPackagePath, temp_.WithSeparator() + L"win10_6286.exe");
  EXPECT_EQ(offer.sizeText, L"345");
  EXPECT_EQ(offer.sizeMB, 345);
  EXPECT_EQ(offer.referrer, L"http://support.test");

  // Each record's text ends in CR LF, which text mode writes as CR CR LF,
  // and the record itself in " \r\n". A record entry the offer does not use
  // (type) leaves an empty record.
  EXPECT_EQ(Records(),
            "Primary Card is 7A10\r\r\nrevision id is 00\r\r\n \r\n"
            "beta is 24.20.100.6300\r\r\n \r\n"
            "file is http://download.test/drivers/win10_6286.exe\r\r\n \r\n"
            "filesize is 345 MB\r\r\n \r\n"
            "internal is 24.20.100.6286\r\r\n \r\n"
            "label is Velmora Iris 600\r\r\n \r\n"
            " \r\n"
            "Internal Version is 24.20.100.6286\r\r\n\r\r\n\r\r\n \r\n"
            "Beta Version is 24.20.100.6300\r\r\n\r\r\n\r\r\n \r\n"
            "Installed version is 24.20.11.3\r\r\n\r\r\n\r\r\n \r\n"
            "Version Check to be done as system has some installed driver.... \r\r\n \r\n"
            "Downloading the file to " + Temp() + "win10_6286.exe\r\r\n"
            "File to be downloaded from server is drivers/win10_6286.exe\r\r\n \r\n");
}

TEST_F(DriverSelectionTest, AnAdapterMissingFromTheCatalogueIsReported) {
  SetAdapters({Adapter(L"PCI\\VEN_1FA2&DEV_7C30&SUBSYS_30001FA2&REV_00", L"Velmora Iris 900")});
  Select("record.xml");
  EXPECT_FALSE(found_);
  EXPECT_FALSE(state_.recordFound);
  EXPECT_EQ(Records(),
            "Primary Card is 7C30\r\r\nrevision id is 00\r\r\n \r\n"
            "Display Card in the machine is not found in XML file and returning..\r\r\n \r\n");
}

TEST_F(DriverSelectionTest, ALabelEndingThePassBeforeTheRecordMeansNotFound) {
  Select("label_after_match.xml");
  EXPECT_FALSE(found_);
  EXPECT_TRUE(selection_->record().empty());
}

TEST_F(DriverSelectionTest, SeveralAdaptersWithoutAMarkedOneTakeTheLast) {
  SetAdapters({Adapter(L"PCI\\VEN_1FA2&DEV_7B20&SUBSYS_30001FA2&REV_00", L"Velmora Iris 700"),
               Adapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Velmora Iris 600")});
  Select("record.xml");
  EXPECT_EQ(selection_->deviceId(), L"7A10");
  const std::string first = "Primary Card(HWE) is 7A10\r\r\nrevision id is 00\r\r\n \r\n";
  EXPECT_EQ(Records().substr(0, first.size()), first);
}

TEST_F(DriverSelectionTest, AnInstalledDriverNotOlderIsCurrent) {
  InstallDriver(L"24.20.100.6286");
  Select("record.xml");
  EXPECT_TRUE(current_);
  EXPECT_TRUE(state_.driverCurrent);
  EXPECT_NE(Records().find("Installed Sub version is greater than Internal version. So, exiting..... \r\r\n \r\n"),
            std::string::npos);
  // The package is worked out all the same.
  EXPECT_EQ(selection_->offer().packageFileName, L"win10_6286.exe");
}

TEST_F(DriverSelectionTest, TheClassicWindowKeepsItsFlagsToItself) {
  InstallDriver(L"24.20.100.6286");
  const DriverSelection& selection = Select("minimalsetup.xml", WindowKind::kClassic);
  EXPECT_TRUE(current_);
  EXPECT_TRUE(selection.recordFound());
  EXPECT_TRUE(selection.minimalSetupOffered());
  EXPECT_FALSE(state_.recordFound || state_.minimalSetupOffered || state_.driverCurrent);
}

TEST_F(DriverSelectionTest, ARecordWithoutInternalIsAlwaysCurrent) {
  Select("no_internal.xml");
  EXPECT_TRUE(current_);
  const std::string records = Records();
  EXPECT_EQ(records.find("Internal Version is"), std::string::npos);
  EXPECT_NE(records.find("internal is \r\r\n \r\n"), std::string::npos) << "the carried, empty internal";
  EXPECT_NE(records.find("Beta Version is not available \r\r\n \r\n"), std::string::npos);
  EXPECT_NE(records.find("Installed Major version is greater"), std::string::npos);
}

TEST_F(DriverSelectionTest, OnlyTheBasicDisplayDriverMeansNoVersionCheck) {
  SetAdapters({Adapter(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Microsoft Basic Display Adapter")});
  InstallDriver(L"99.0.0.0");
  Select("record.xml");
  EXPECT_FALSE(current_);
  const std::string records = Records();
  EXPECT_NE(records.find("IsBasicDriverPresent - Baisc or vga driver is present \r\n"), std::string::npos);
  EXPECT_EQ(records.find("Version Check"), std::string::npos);
}

TEST_F(DriverSelectionTest, ChoosesThePackageAndWhereItGoes) {
  struct Case {
    const char* fixture;
    const wchar_t* device;  // hardware ID's device
    bool netFrameworkRequired;
    const wchar_t* packagePath;
    const wchar_t* packageFileName;
    const wchar_t* sizeText;
    int64_t sizeMB;
    bool minimalSetupOffered;
  };
  const Case cases[] = {
      {"record.xml", L"7A10", false, L"drivers/win10_6286.exe", L"win10_6286.exe", L"345", 345, false},
      // The minimal package, here from the server's secure address.
      {"minimalsetup.xml", L"7A10", false, L"drivers/minimal/setup_6286.exe", L"setup_6286.exe", L"12", 12, true},
      {"minimalsetup.xml", L"7A10", true, L"drivers/minimal/setup_6286.exe", L"setup_6286.exe", L"12", 12, true},
      // Named but empty: the full package, still unpacked as a minimal one.
      {"minimalsetup_empty.xml", L"7A10", false, L"drivers/win10_6286.exe", L"win10_6286.exe", L"345", 345, true},
      // dotnetfile comes after dotnet and wins; an old framework takes the full package.
      {"dotnet.xml", L"7A10", false, L"drivers/dotnet_6286.exe", L"dotnet_6286.exe", L"280", 280, false},
      {"dotnet.xml", L"7A10", true, L"drivers/win10_6286.exe", L"win10_6286.exe", L"345", 345, false},
      {"dotnet_other_host.xml", L"7A10", false, L"drivers/win10_6286.exe", L"win10_6286.exe", L"345", 345, false},
      // A package elsewhere is requested by its whole address.
      {"other_host.xml", L"7A10", false, L"http://mirror.test/drivers/win10_6286.exe", L"win10_6286.exe", L"345", 345,
       false},
      // Size texts of one, two, three and more characters, and one past 32 bits.
      {"sizes.xml", L"7A11", false, L"drivers/7A11.exe", L"7A11.exe", L"7", 7, false},
      {"sizes.xml", L"7A12", false, L"drivers/7A12.exe", L"7A12.exe", L"42", 42, false},
      {"sizes.xml", L"7A13", false, L"drivers/7A13.exe", L"7A13.exe", L"", 0, false},
      {"sizes.xml", L"7A14", false, L"drivers/7A14.exe", L"7A14.exe", L"345", 345, false},
      {"sizes.xml", L"7A15", false, L"drivers/7A15.exe", L"7A15.exe", L"12345678901234", 12345678901234LL, false},
  };
  for (const Case& c : cases) {
    RunState state;
    state.netFrameworkRequired = c.netFrameworkRequired;
    const std::wstring hardwareId = std::wstring(L"PCI\\VEN_1FA2&DEV_") + c.device + L"&SUBSYS_30001FA2&REV_00";
    SetAdapters({Adapter(hardwareId.c_str(), L"Velmora Iris")});
    DriverSelection selection(WindowKind::kMain, ports(), endpoints_, state, detector_);
    std::vector<AdapterInfo> vendor, other;
    std::wstring otherDescription;
    std::vector<std::wstring> hardwareIds;
    detector_.DetectAdapters(vendor, other, otherDescription, hardwareIds);
    selection.ChooseDevice(vendor, hardwareIds);
    CatalogueWalk walk;
    StandardOutput([&] { ASSERT_TRUE(selection.ReadRecord(Fixture(c.fixture), kWindows10, walk)); });
    selection.ChoosePackage(false);

    const DriverOffer& offer = selection.offer();
    const std::string situation = std::string(c.fixture) + " " + testing::PrintToString(std::wstring(c.device)) +
                                  (c.netFrameworkRequired ? " needing .NET" : "");
    EXPECT_EQ(offer.packagePath, c.packagePath) << situation;
    EXPECT_EQ(offer.packageFileName, c.packageFileName) << situation;
    EXPECT_EQ(offer.localPackagePath, temp_.WithSeparator() + c.packageFileName) << situation;
    EXPECT_EQ(offer.sizeText, c.sizeText) << situation;
    EXPECT_EQ(offer.sizeMB, c.sizeMB) << situation;
    EXPECT_EQ(selection.minimalSetupOffered(), c.minimalSetupOffered) << situation;
    EXPECT_EQ(state.minimalSetupOffered.load(), c.minimalSetupOffered) << situation;
  }
}

TEST_F(DriverSelectionTest, TheLocalTestServerGetsNoReferrer) {
  Select("record.xml", WindowKind::kMain, true);
  EXPECT_EQ(selection_->offer().referrer, L"");
}

}  // namespace
}  // namespace quillo
