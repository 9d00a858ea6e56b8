// The notice's facts and texts, gathered through the fakes and the
// platform's own XML reader (the caption table is real UTF-16 XML).

#include "notices/error_notice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::CaptionTable;
using catalog_tests::FileBytes;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::SetProcessorBrand;
using catalog_tests::TempFolder;

const Endpoints kEndpoints{L"web.test", L"support.test", L"download.test",
                           L"local.test", L"survey.test", L"collect.test"};
const std::wstring kXpPage =
    L"http://support.test/en-us/download/desktop?os=Windows%20XP%20-%20Professional/Home&RenderOnServer=true";
const std::wstring kVista64Page = L"http://support.test/en-us/download/desktop?os=Windows%20Vista%20-%2064";
const std::wstring kVista32Page = L"http://support.test/en-us/download/desktop?os=Windows%20Vista%20-%2032";

const std::map<int, std::wstring> kEnglish = {
    {125, L"No supported hardware."}, {126, L"Unsupported system."}, {128, L"Graphics Hardware:"},
    {129, L"Operating System:"},      {130, L"Processor:"},          {138, L"Velmora Quillo"},
    {141, L"XP and Vista"},           {146, L"No connection"}};

DisplayDevice Device(const std::wstring& hardwareId, const std::wstring& description) {
  DisplayDevice device;
  device.hasBusAddress = true;
  device.hardwareId = hardwareId;
  device.description = description;
  device.locationInformation = L"PCI bus 1, device 0, function 0";
  return device;
}

const DisplayDevice kVendor =
    Device(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Velmora Prism 7A10 Graphics");
const DisplayDevice kSecondVendor =
    Device(L"PCI\\VEN_1FA2&DEV_7B22&SUBSYS_30021FA2&REV_01", L"Velmora Prism 7B22 Graphics");
const DisplayDevice kBasic =
    Device(L"PCI\\VEN_1FA2&DEV_7A10&SUBSYS_30001FA2&REV_00", L"Microsoft Basic Display Adapter");
const DisplayDevice kOther = Device(L"PCI\\VEN_10AB&DEV_0F00&SUBSYS_00011AB0&REV_A1", L"Other Maker Graphics");

// One machine, one notice request: fresh fakes and log each time.
struct Rig {
  Rig() {
    fake.system.tempPath = temp.WithSeparator();
    fake.resources.resources[{151, L"BINARY"}] = CaptionTable(kEnglish);
    SetProcessorBrand(fake.system, "   Velmora Core V5 2.4GHz ");
  }
  NoticeTexts Show(const NoticeRequest& request = {}) {
    const Ports ports{fake.devices, fake.registry, fake.system, fake.network, fake.shell, fake.resources, xml};
    return PrepareNotice(ports, log, kEndpoints, state, request);
  }
  std::string Log() { return FileBytes(std::filesystem::path(log.path())); }

  TempFolder temp;
  fakes::FakePorts fake;
  PlatformXmlReaders xml;
  RunLog log{fake.system};
  NoticeState state;
};

struct ModeCase {
  const char* mode;
  std::vector<DisplayDevice> devices;
  std::optional<WindowsVersion> version;
  bool wow64;
  NoticeRequest request;
  // Expected:
  std::wstring message;
  std::wstring graphics;
  std::wstring graphicsTip;
  std::wstring system;
  std::vector<std::wstring> pages;
  const char* logRecord;  // a record the log must hold
};

NoticeRequest Custom(const wchar_t* message, const wchar_t* graphics = L"") {
  NoticeRequest request;
  request.hasCustomMessage = true;
  request.customMessage = message;
  request.graphicsText = graphics;
  return request;
}

NoticeRequest Apple() {
  NoticeRequest request;
  request.appleHardwareMode = true;
  return request;
}

TEST(ErrorNoticeTest, ShowsTheFactsAndMessageOfEachMode) {
  const WindowsVersion win10{10, 0, 19045};
  const ModeCase cases[] = {
      {"no vendor adapter on Windows 10", {kOther}, win10, true, {},
       L"No supported hardware.", L"Other Maker Graphics", L"Other Maker Graphics", L"Windows 10 64-bit", {},
       "Error UI - No Velmora Card is present in the mahcine..\r\r\n \r\n"},
      {"no adapter at all: the graphics box stays empty", {}, win10, true, {},
       L"No supported hardware.", L"", L"", L"Windows 10 64-bit", {}, "Error UI - OS is Windows 10 64-bit\r\r\n \r\n"},
      {"no vendor adapter, custom message", {kOther}, win10, true, Custom(L"Lost the connection."),
       L"Lost the connection.", L"Other Maker Graphics", L"Other Maker Graphics", L"Windows 10 64-bit", {}, ""},
      {"one adapter on Vista 64-bit", {kVendor}, WindowsVersion{6, 0, 6002}, true, {},
       L"Unsupported system.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows Vista 64-bit", {kVista64Page},
       "Error UI - Velmora card is present. But, OS is not supported.Velmora Prism 7A10 Graphics\r\r\n \r\n"},
      {"one adapter on Vista 32-bit", {kVendor}, WindowsVersion{6, 0, 6002}, false, {},
       L"Unsupported system.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows Vista 32-bit", {kVista32Page}, "Error UI - OS is Windows Vista 32-bit\r\r\n \r\n"},
      {"Windows XP 32-bit", {kVendor}, WindowsVersion{5, 1, 2600}, false, {},
       L"Unsupported system.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows XP 32-bit", {kXpPage}, "Error UI - OS is Windows XP 32-bit\r\r\n \r\n"},
      {"Windows XP 64-bit", {kVendor}, WindowsVersion{5, 2, 3790}, true, {},
       L"Unsupported system.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows XP 64-bit", {kXpPage}, "Error UI - OS is Windows XP 64-bit\r\r\n \r\n"},
      {"Vista in Apple mode: no bitness, no page, the no-hardware text", {kOther}, WindowsVersion{6, 0, 6002}, true,
       Apple(), L"No supported hardware.", L"Other Maker Graphics", L"Other Maker Graphics", L"Windows Vista", {},
       "Error UI - OS is Windows Vista\r\r\n \r\n"},
      {"Apple mode replaces even a custom message", {kVendor}, win10, true,
       [] { NoticeRequest r = Custom(L"Custom"); r.appleHardwareMode = true; return r; }(),
       L"No supported hardware.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows 10 64-bit", {}, ""},
      {"one adapter named Microsoft", {kBasic}, win10, true, {},
       L"Unsupported system.", L"Kestra Chip", L"Kestra Chip", L"Windows 10 64-bit", {},
       "Error UI - Velmora card is present. But, OS is not supported.Microsoft Basic Display Adapter\r\r\n \r\n"},
      {"one adapter named Microsoft, a graphics text given", {kBasic}, win10, true, Custom(L"Custom", L"Given Chip"),
       L"Custom", L"Given Chip", L"Given Chip", L"Windows 10 64-bit", {}, ""},
      {"custom message on Windows 10", {kVendor}, win10, true, Custom(L"Can't reach the catalogue."),
       L"Can't reach the catalogue.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows 10 64-bit", {}, ""},
      {"Windows 8.1 32-bit", {kVendor}, WindowsVersion{6, 3, 9600}, false, {},
       L"Unsupported system.", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics",
       L"Windows 8.1 32-bit", {}, ""},
      {"custom message on an unlisted version is never shown", {kVendor}, WindowsVersion{6, 4, 9841}, true,
       Custom(L"Never shown"), L"", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics", L"", {},
       "Error UI - OS is \r\r\n \r\n"},
      {"unlisted version without vendor adapter keeps the no-hardware text", {kOther}, WindowsVersion{11, 0, 1},
       true, Custom(L"Never shown"), L"No supported hardware.", L"Other Maker Graphics", L"Other Maker Graphics",
       L"", {}, ""},
      {"failed version query: no system named, no page", {kVendor}, std::nullopt, true, {},
       L"", L"Velmora Prism 7A10 Graphics", L"Velmora Prism 7A10 Graphics", L"", {}, "Error UI - OS is \r\r\n \r\n"},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.mode);
    Rig rig;
    rig.fake.devices.devices = c.devices;
    rig.fake.system.version = c.version;
    rig.fake.system.wow64 = c.wow64;
    const NoticeTexts texts = rig.Show(c.request);
    EXPECT_EQ(texts.message, c.message);
    EXPECT_EQ(texts.graphics, c.graphics);
    EXPECT_EQ(texts.graphicsTip, c.graphicsTip);
    EXPECT_EQ(texts.system, c.system);
    EXPECT_EQ(texts.processor, L"Velmora Core V5 2.4GHz ") << "leading blanks only are stripped";
    EXPECT_EQ(texts.title, L"Velmora Quillo");
    EXPECT_EQ(texts.processorLabel, L"Processor:");
    EXPECT_EQ(texts.graphicsLabel, L"Graphics Hardware:");
    EXPECT_EQ(texts.systemLabel, L"Operating System:");
    EXPECT_EQ(rig.fake.shell.openedUrls, c.pages) << "a page opens once per showing, never in Apple mode";
    const std::string log = rig.Log();
    EXPECT_EQ(log.rfind("Log file created and initiating the pcrocess... \r\n", 0), 0u) << "the notice starts the log";
    EXPECT_NE(log.find(c.logRecord), std::string::npos) << log;
    const bool vendorPresent = std::any_of(c.devices.begin(), c.devices.end(), [](const DisplayDevice& d) {
      return d.hardwareId->find(L"VEN_1FA2") != std::wstring::npos;
    });
    EXPECT_EQ(rig.state.noVendorAdapterSeen, !vendorPresent);
  }
}

TEST(ErrorNoticeTest, TwoAdaptersShowTheOneTheRegistryMarks) {
  Rig rig;
  rig.fake.devices.devices = {kVendor, kSecondVendor};
  rig.fake.registry.SetString(
      L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1FA2&DEV_7B22&SUBSYS_30021FA2&REV_01\\4&1a2b3c&0&0008",
      L"ParentIdPrefix", L"5&1f3c9a2&0");
  NoticeTexts texts = rig.Show();
  EXPECT_EQ(texts.graphics, L"Velmora Prism 7B22 Graphics");
  EXPECT_EQ(texts.graphicsTip, L"Velmora Prism 7B22 Graphics");
  EXPECT_EQ(texts.message, L"Unsupported system.");
  EXPECT_EQ(rig.Log().find("Velmora card is present"), std::string::npos) << "no adapter record for two adapters";

  // None marked: no device ID, and no fallback to the last adapter.
  Rig unmarked;
  unmarked.fake.devices.devices = {kVendor, kSecondVendor};
  texts = unmarked.Show(Custom(L"Custom", L"Given Chip"));
  EXPECT_EQ(texts.graphics, L"Velmora Prism 7B22 Graphics") << "an empty device ID matches every device; the last wins";

  // The marked adapter runs on the basic driver: the caller's text, else the chip name.
  Rig basic;
  basic.fake.devices.devices = {kVendor, Device(L"PCI\\VEN_1FA2&DEV_7B22&SUBSYS_30021FA2&REV_01", L"Basic Display")};
  basic.fake.registry.SetString(
      L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1FA2&DEV_7B22&SUBSYS_30021FA2&REV_01\\4&1a2b3c&0&0008",
      L"ParentIdPrefix", L"5&1f3c9a2&0");
  texts = basic.Show();
  EXPECT_EQ(texts.graphics, L"Kestra Chip");
  EXPECT_EQ(texts.graphicsTip, L"Kestra Chip");
}

TEST(ErrorNoticeTest, ASecondShowingStartsAgainButKeepsTheNoAdapterFlag) {
  Rig rig;
  rig.fake.devices.devices = {kOther};
  rig.Show(Custom(L"First"));
  ASSERT_TRUE(rig.state.noVendorAdapterSeen);

  // The adapter is back: the flag stays, so the system step leaves the message alone.
  rig.fake.devices.devices = {kVendor};
  const NoticeTexts texts = rig.Show();
  EXPECT_EQ(texts.message, L"");
  EXPECT_EQ(texts.graphics, L"Velmora Prism 7A10 Graphics");
  EXPECT_EQ(texts.graphicsTip, L"") << "the flag chooses the other adapter's description, which is gone";
  const std::string log = rig.Log();
  EXPECT_EQ(log.find("No Velmora Card"), std::string::npos) << "the log was started again";
  EXPECT_NE(log.find("Velmora card is present"), std::string::npos);
}

TEST(ErrorNoticeTest, ReadsTheTableOfTheUsersLanguage) {
  Rig rig;
  rig.fake.devices.devices = {kOther};
  rig.fake.system.uiLanguage = 1031;
  rig.fake.resources.resources[{150, L"BINARY"}] =
      CaptionTable({{125, L"Keine unterst\u00fctzte Hardware."}, {128, L"Grafikhardware:"}, {138, L"Velmora Quillo"}});
  const NoticeTexts texts = rig.Show();
  EXPECT_EQ(texts.message, L"Keine unterst\u00fctzte Hardware.");
  EXPECT_EQ(texts.graphicsLabel, L"Grafikhardware:");
  EXPECT_EQ(texts.systemLabel, std::nullopt) << "a caption the table lacks keeps the template label";
  EXPECT_TRUE(std::filesystem::exists(rig.temp.path() / "QuilloDEU.xml")) << "the table file stays";

  // Without any table, every text the table would give is empty.
  Rig bare;
  bare.fake.resources.resources.clear();
  bare.fake.devices.devices = {kOther};
  const NoticeTexts empty = bare.Show();
  EXPECT_EQ(empty.message, L"");
  EXPECT_EQ(empty.title, L"");
  EXPECT_EQ(empty.processorLabel, std::nullopt);
}

}  // namespace
}  // namespace quillo
