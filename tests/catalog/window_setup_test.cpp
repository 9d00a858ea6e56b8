// The main windows' initialisation steps, through the fakes and the
// platform's own XML reader: what each window shows, the ways they end the
// process with the notice instead, and where the sectioned window differs
// (the driver already current, the framework requirement, the feature
// names and the features).

#include "app/window_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <map>

#include "catalog_support.h"
#include "i18n/tables.h"

namespace quillo {
namespace {

using catalog_tests::CaptionTable;
using catalog_tests::FileBytes;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::SetProcessorBrand;
using catalog_tests::StandardOutput;
using catalog_tests::TempFolder;

const Endpoints kEndpoints{L"web.test", L"support.test", L"download.test",
                           L"local.test", L"survey.test", L"collect.test"};
const wchar_t kCatalogue[] = L"http://support.test/drivers/xml/driver_09_us.xml";
const wchar_t kDriverKey[] = L"{4d36e968-e325-11ce-bfc1-08002be10318}\\0001";

const std::map<int, std::wstring> kEnglish = {
    {127, L"Driver is current"},  {128, L"Graphics Hardware:"}, {129, L"Operating System:"},
    {130, L"Processor:"},         {131, L"The best Driver for this device is:"},
    {137, L"Download Cancelled"}, {140, L"No chipset drivers here. Visit %s"},
    {142, L"%s are downloading to %s."}, {144, L"No driver for this hardware"},
    {146, L"No connection"},      {147, L"Download Complete"}, {148, L"Not verified"}};

const std::string kCatalogueXml = R"(<?xml version="1.0" encoding="utf-8"?>
<catalogue>
  <product label="Velmora Prism Graphics">
    <devices ids="7A10" rid="00">
      <driver type="Windows 10 - 64 Bit" internal="31.0.101.4502" file="http://download.test/drivers/full.exe" filesize="345 MB" minimalsetup="http://download.test/drivers/minimal/setup.exe" minimalsetupsize="12 MB"/>
    </devices>
  </product>
</catalogue>
)";

DisplayDevice Adapter(const wchar_t* description, const wchar_t* device = L"7A10") {
  DisplayDevice adapter;
  adapter.hasBusAddress = true;
  adapter.hardwareId = std::wstring(L"PCI\\VEN_1FA2&DEV_") + device + L"&SUBSYS_30001FA2&REV_00";
  adapter.description = description;
  adapter.locationInformation = L"PCI bus 1, device 0, function 0";
  adapter.driver = kDriverKey;
  return adapter;
}

// The window's files are real files of the test's folder.
class FolderFiles final : public FilePort {
 public:
  std::optional<uint64_t> FileSize(const std::wstring& path) override {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::path(path), error);
    if (error) return std::nullopt;
    return size;
  }
  std::unique_ptr<WritableFile> OpenForWriting(const std::wstring&, FileOpen) override { return nullptr; }
  bool RemoveFile(const std::wstring& path) override { return std::filesystem::remove(std::filesystem::path(path)); }
};

// The demo machine: one adapter of the vendor with an older driver, online.
class WindowSetupTest {
 protected:
  explicit WindowSetupTest(WindowKind window) : window_(window) {
    fake_.system.tempPath = temp_.WithSeparator();
    fake_.resources.resources[{151, L"BINARY"}] = CaptionTable(kEnglish);
    DemoMachine(kCatalogueXml);
    SetProcessorBrand(fake_.system, "   Velmora Core V5 2.4GHz ");
  }

  // The demo machine as it starts, with `catalogue` on the support server.
  void DemoMachine(const std::string& catalogue) {
    fake_.network.requests.clear();
    fake_.network.reachable = {"http://web.test"};
    fake_.network.files = {{kCatalogue, catalogue}};
    fake_.devices.devices = {Adapter(L"Velmora Prism 7A10 Graphics")};
    fake_.registry.SetString(std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kDriverKey,
                             L"ReleaseVersion", L"24.20.11.3");
  }

  // Both halves, as the window runs them; the notice that ends the process, if any.
  std::optional<NoticeExit> Initialise() {
    const Ports ports{fake_.devices, fake_.registry, fake_.system, fake_.network, fake_.shell, fake_.resources, xml_};
    setup_ = std::make_unique<WindowSetup>(window_, ports, files_, kEndpoints, log_, state_, usage_);
    std::optional<NoticeExit> exit;
    StandardOutput([&] {
      exit = setup_->LoadCaptionsAndProbe();
      if (!exit) exit = setup_->Prepare();
    });
    return exit;
  }
  size_t Hits() {
    return static_cast<size_t>(std::count_if(fake_.network.requests.begin(), fake_.network.requests.end(),
                                             [](const auto& r) { return r.target.host == L"collect.test"; }));
  }
  std::wstring ControlText(int id) {
    for (const auto& [control, text] : setup_->texts().controlTexts) {
      if (control == id) return text;
    }
    return L"(template)";
  }

  std::string Log() { return FileBytes(std::filesystem::path(log_.path())); }

  WindowKind window_;
  TempFolder temp_;
  fakes::FakePorts fake_;
  PlatformXmlReaders xml_;
  FolderFiles files_;
  RunLog log_{fake_.system};
  RunState state_;
  UsageReporter usage_{fake_.network, kEndpoints, log_};
  std::unique_ptr<WindowSetup> setup_;
};

class ClassicSetupTest : public WindowSetupTest, public testing::Test {
 protected:
  ClassicSetupTest() : WindowSetupTest(WindowKind::kClassic) {}
};

TEST_F(ClassicSetupTest, OffersTheDriverAndFillsTheWindow) {
  ASSERT_EQ(Initialise(), std::nullopt);
  const WindowTexts& texts = setup_->texts();
  EXPECT_EQ(texts.graphics, L"Velmora Prism 7A10 Graphics");
  EXPECT_EQ(texts.graphicsTip, L"Velmora Prism 7A10 Graphics");
  EXPECT_EQ(texts.processor, L"Velmora Core V5 2.4GHz ") << "leading blanks go, as the brand is shown";
  EXPECT_EQ(texts.driver, L"setup.exe") << "the minimal package is offered";
  EXPECT_EQ(texts.system, L"Windows 10 64-bit");
  EXPECT_EQ(texts.labelValue, L"Velmora Prism Graphics");
  EXPECT_EQ(ControlText(1056), L"The best Driver for this device is:");
  EXPECT_EQ(ControlText(1057), L"Operating System:");
  EXPECT_EQ(ControlText(1060),
            L"No chipset drivers here. Visit <a href=\"http://support.test/en-us/download/chipset?os=Windows\"> "
            L"Chipset Drivers</a>");
  std::wstring folder = temp_.WithSeparator();
  if (folder.back() == L'\\') folder.pop_back();  // the folder without its trailing backslash
  EXPECT_EQ(texts.targetLine, L"Velmora Halvard Software are downloading to " + folder + L".");
  EXPECT_EQ(texts.notVerified, L"Not verified");
  EXPECT_TRUE(setup_->minimalSetupOffered());
  EXPECT_EQ(setup_->offer().sizeMB, 12);

  EXPECT_EQ(Hits(), 1u) << "the app-launch hit";
  EXPECT_EQ(usage_.values().packageFileName, L"setup.exe");
  EXPECT_EQ(usage_.values().osShortName, L"Windows10");
  EXPECT_EQ(usage_.values().languageCode, L"ENU");
  EXPECT_FALSE(state_.driverCurrent) << "the classic window keeps its own flags";
  // The catalogue, the caption table and the feature catalogue are gone.
  for (const char* name : {"result.xml", "QuilloENU.xml", "CompatibleFeatures.xml"}) {
    EXPECT_FALSE(std::filesystem::exists(temp_.path() / name)) << name;
  }
  const std::string log = FileBytes(std::filesystem::path(log_.path()));
  EXPECT_NE(log.find("Primary Card is 7A10"), std::string::npos);
  EXPECT_NE(log.find("SendAppLaunchEvent - sending event params..."), std::string::npos);
}

TEST_F(ClassicSetupTest, TheFourWaysTheWindowEndsWithTheNotice) {
  struct Case {
    const char* situation;
    std::function<void(fakes::FakePorts&)> arrange;
    NoticeExit exit;
    size_t hits;
  };
  const Case cases[] = {
      {"no connection", [](fakes::FakePorts& f) { f.network.reachable.clear(); }, {L"No connection", L""}, 0},
      {"no catalogue", [](fakes::FakePorts& f) { f.network.files.clear(); }, {L"No connection", L""}, 0},
      {"no record for the adapter",
       [](fakes::FakePorts& f) { f.devices.devices = {Adapter(L"Velmora Prism 7B99", L"7B99")}; },
       {L"No driver for this hardware", L""}, 0},
      {"the installed driver is current",
       [](fakes::FakePorts& f) {
         f.registry.SetString(std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kDriverKey,
                                    L"ReleaseVersion", L"31.0.101.4502");
       },
       {L"Driver is current", L"Velmora Prism Graphics"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    // The demo machine again, then the case's difference.
    DemoMachine(kCatalogueXml);
    c.arrange(fake_);
    EXPECT_EQ(Initialise(), c.exit);
    EXPECT_EQ(Hits(), c.hits);
  }
}

TEST_F(ClassicSetupTest, WithTheBasicDisplayDriverTheBoxNamesTheProduct) {
  fake_.devices.devices = {Adapter(L"Microsoft Basic Display Adapter")};
  ASSERT_EQ(Initialise(), std::nullopt);
  EXPECT_EQ(setup_->texts().graphics, L"Velmora Prism Graphics") << "the catalogue's label";
  EXPECT_EQ(setup_->texts().graphicsTip, L"Velmora Prism Graphics");
}

// The sectioned window on the same machine, with its header table and the
// feature catalogue the start-up checks left in the temporary folder.
class SectionedSetupTest : public WindowSetupTest, public testing::Test {
 protected:
  SectionedSetupTest() : WindowSetupTest(WindowKind::kMain) {
    fake_.resources.resources[{HeaderTableFor(L"ENU").resource, L"BINARY"}] = CaptionTable(
        {{201, L"Clearframe"}, {202, L"Rapidline"}, {203, L"Wavehand"}, {204, L"Smilekey"}, {205, L"Castwell"},
         {206, L"Driver"}, {207, L"Features"}, {208, L"Learn about each feature"}});
    WriteFeatures(kFeaturesXml);
    // A dotnet package beside the full one: the framework decides between them.
    fake_.network.files[kCatalogue] = kDotnetCatalogueXml;
    SetDotNet(L"4.8.04084");
  }
  void WriteFeatures(const std::string& xml) {
    std::ofstream(temp_.path() / "CompatibleFeatures.xml", std::ios::binary) << xml;
  }
  void SetDotNet(const std::wstring& version) {
    fake_.registry.SetString(L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full", L"Version", version);
  }

  static constexpr char kFeaturesXml[] = R"(<?xml version="1.0" encoding="utf-8"?>
<platforms>
  <platform Part="Core V5" DeviceID="7A10" RevisionID="00">
    <features>
      <Feature Name="Velmora Clearframe" File="NA"/>
      <Feature Name="Velmora Rapidline" File="download.test/features/VelmoraRLX.exe"/>
      <Feature Name="Velmora Castwell" File="NA"/>
    </features>
  </platform>
</platforms>
)";
  static constexpr char kDotnetCatalogueXml[] = R"(<?xml version="1.0" encoding="utf-8"?>
<catalogue>
  <product label="Velmora Prism Graphics">
    <devices ids="7A10" rid="00">
      <driver type="Windows 10 - 64 Bit" internal="31.0.101.4502" file="http://download.test/drivers/full.exe" filesize="345 MB" dotnet="http://download.test/drivers/dotnet.exe" dotnetsize="290 MB"/>
    </devices>
  </product>
</catalogue>
)";
};

TEST_F(SectionedSetupTest, FillsTheDriverSectionAndListsTheFeatures) {
  ASSERT_EQ(Initialise(), std::nullopt);
  EXPECT_EQ(setup_->driverCurrentNotice(), std::nullopt);
  const WindowTexts& texts = setup_->texts();
  EXPECT_EQ(texts.graphics, L"Velmora Prism 7A10 Graphics");
  EXPECT_EQ(texts.graphicsTip, texts.graphics) << "the tooltip shows what the box shows";
  EXPECT_TRUE(state_.graphicsNameFromAdapter);
  EXPECT_EQ(texts.driver, L"dotnet.exe") << "the framework is there: the package that needs it";
  EXPECT_EQ(texts.system, L"Windows 10 64-bit");
  EXPECT_FALSE(state_.netFrameworkRequired);
  for (const auto& [control, text] : std::vector<std::pair<int, std::wstring>>{
           {1002, L"Graphics Hardware:"}, {1007, L"Operating System:"}, {1003, L"Processor:"},
           {1006, L"The best Driver for this device is:"}, {1018, L"Clearframe"}, {1021, L"Rapidline"},
           {1024, L"Wavehand"}, {1028, L"Smilekey"}, {1030, L"Castwell"}, {1001, L"Driver"}, {1017, L"Features"},
           {1023, L"Learn about each feature"}}) {
    EXPECT_EQ(ControlText(control), text) << control;
  }
  EXPECT_EQ(ControlText(1010),
            L"No chipset drivers here. Visit <a href=\"http://support.test/en-us/download/chipset?os=Windows\"> "
            L"Chipset Drivers</a>");
  EXPECT_EQ(ControlText(1060), L"(template)") << "no classic control is given a text";
  std::wstring folder = temp_.WithSeparator();
  if (folder.back() == L'\\') folder.pop_back();  // the folder without its trailing backslash
  EXPECT_EQ(texts.targetLine, L"Velmora Halvard Software, Features  are downloading to " + folder + L".");

  EXPECT_EQ(state_.featureCount, 3);
  EXPECT_TRUE(state_.cfsAvailable && state_.rplAvailable && state_.cwlAvailable);
  EXPECT_FALSE(state_.wvhAvailable || state_.smkAvailable);
  EXPECT_EQ(setup_->features().rapidline.localPath, temp_.WithSeparator() + L"VelmoraRLX.exe");
  for (const char* name : {"result.xml", "QuilloENU.xml", "CompatibleFeatures.xml"}) {
    EXPECT_FALSE(std::filesystem::exists(temp_.path() / name)) << name;
  }
  EXPECT_EQ(Hits(), 1u) << "the app-launch hit";
  EXPECT_EQ(Log().find(".NET is required"), std::string::npos);
}

TEST_F(SectionedSetupTest, TheWaysTheWindowEndsAndTheDriverCurrentOpening) {
  struct Case {
    const char* situation;
    std::function<void(fakes::FakePorts&)> arrange;
    std::optional<NoticeExit> exit;
    std::optional<NoticeExit> current;
  };
  const Case cases[] = {
      {"no connection", [](fakes::FakePorts& f) { f.network.reachable.clear(); }, NoticeExit{L"No connection", L""},
       std::nullopt},
      {"no catalogue", [](fakes::FakePorts& f) { f.network.files.clear(); }, NoticeExit{L"No connection", L""},
       std::nullopt},
      {"no record for the adapter",
       [](fakes::FakePorts& f) { f.devices.devices = {Adapter(L"Velmora Prism 7B99", L"7B99")}; },
       NoticeExit{L"No driver for this hardware", L""}, std::nullopt},
      {"the installed driver is current: the window opens all the same",
       [](fakes::FakePorts& f) {
         f.registry.SetString(std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kDriverKey,
                              L"ReleaseVersion", L"31.0.101.4502");
       },
       std::nullopt, NoticeExit{L"Driver is current", L"Velmora Prism Graphics"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    DemoMachine(kDotnetCatalogueXml);
    state_.driverCurrent = false;
    WriteFeatures(kFeaturesXml);
    c.arrange(fake_);
    EXPECT_EQ(Initialise(), c.exit);
    EXPECT_EQ(setup_->driverCurrentNotice(), c.current);
    EXPECT_EQ(state_.driverCurrent.load(), c.current.has_value());
    if (c.current) {
      EXPECT_EQ(setup_->texts().driver, L"dotnet.exe") << "the package is still shown";
      EXPECT_EQ(state_.featureCount, 3);
    }
    EXPECT_EQ(Log().find("Display Card in the machine is not found in XML file and returning..") != std::string::npos,
              c.exit && c.exit->message == L"No driver for this hardware");
  }
}

// Which adapter counts as the primary one, and the record that says so.
TEST_F(SectionedSetupTest, ThePrimaryAdapterRecord) {
  struct Case {
    const char* name;
    std::vector<DisplayDevice> adapters;
    bool integratedMarked;
    std::string record;
  };
  const Case cases[] = {
      {"one adapter", {Adapter(L"Velmora Prism 7A10 Graphics")}, false,
       "Primary Card is 7A10"},
      {"two, nothing named: the last", {Adapter(L"Velmora Integrated", L"0C30"), Adapter(L"Velmora Prism 7A10")},
       false, "Primary Card(HWE) is 7A10"},
      {"two, the registry names the second",
       {Adapter(L"Velmora Prism 7A10 Graphics"), Adapter(L"Velmora Integrated", L"0C30")}, true,
       "Primary Card is 0C30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake_.devices.devices = c.adapters;
    fake_.registry.SetString(std::wstring(L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1FA2&DEV_0C30&SUBSYS_30001FA2&REV_00") +
                                 L"\\4&1a2b3c&0&0008",
                             c.integratedMarked ? L"ParentIdPrefix" : L"LocationInformation", L"5&1f3c9a2&0");
    WriteFeatures(kFeaturesXml);
    Initialise();
    EXPECT_NE(Log().find(c.record), std::string::npos) << Log().substr(0, 400);
  }
}

// Below 4.5.0 the framework is required: the full package, and the record.
TEST_F(SectionedSetupTest, TheFrameworkRequirementOnBothSidesOf450) {
  struct Case {
    const wchar_t* installed;
    bool required;
    const wchar_t* package;
  };
  for (const Case& c : {Case{L"4.0.30319", true, L"full.exe"}, Case{L"4.5.0", false, L"dotnet.exe"},
                        Case{L"4.8.04084", false, L"dotnet.exe"}}) {
    SCOPED_TRACE(std::string(c.installed, c.installed + std::wcslen(c.installed)));
    state_.netFrameworkRequired = false;
    SetDotNet(c.installed);
    WriteFeatures(kFeaturesXml);
    ASSERT_EQ(Initialise(), std::nullopt);
    EXPECT_EQ(state_.netFrameworkRequired.load(), c.required);
    EXPECT_EQ(setup_->texts().driver, c.package);
    EXPECT_EQ(Log().find(".NET is required ") != std::string::npos, c.required);
  }
}

TEST(WindowTextsTest, LinkTargetLineAndPackageBox) {
  EXPECT_EQ(ChipsetLinkText(L"No placeholder", kEndpoints), L"") << "the template's text stays";
  EXPECT_EQ(ChipsetLinkText(L"%s and %s", kEndpoints),
            L"<a href=\"http://support.test/en-us/download/chipset?os=Windows\"> Chipset Drivers</a> and %s");
  EXPECT_EQ(TargetLineText(L"%s to %s.", L"Suite", L"C:\\Temp\\"), L"Suite to C:\\Temp.");
  EXPECT_EQ(TargetLineText(L"only %s", L"Suite", L"C:\\Temp\\"), L"only Suite");
  EXPECT_EQ(TargetLineText(L"none", L"Suite", L"C:\\Temp\\"), L"none");
  struct BoxCase {
    std::wstring path, box;
  };
  for (const BoxCase& c : {BoxCase{L"drivers/09/pkg.exe", L"pkg.exe"}, BoxCase{L"/pkg.exe", L""},
                           BoxCase{L"pkg.exe", L""}, BoxCase{L"", L""}, BoxCase{L"a/", L""}}) {
    EXPECT_EQ(PackageBoxText(c.path), c.box) << std::string(c.path.begin(), c.path.end());
  }
}

}  // namespace
}  // namespace quillo
