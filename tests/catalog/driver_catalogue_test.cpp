#include <gtest/gtest.h>

#include <functional>

#include "catalog/driver_catalogue.h"
#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::FileBytes;
using catalog_tests::TempFolder;

const wchar_t kKey64[] = L"SOFTWARE\\Wow6432Node\\VelmoraQuillo";
const wchar_t kKey32[] = L"SOFTWARE\\VelmoraQuillo";
const wchar_t kProduction[] = L"http://support.test/drivers/xml/driver_09_us.xml";
const wchar_t kTest[] = L"http://support.test/drivers/xml/driver_09_us_test.xml";
const wchar_t kLocal[] = L"http://local.test/drivers/xml/driver_09_us_local.xml";

class DownloadDriverCatalogueTest : public testing::Test {
 protected:
  DownloadDriverCatalogueTest() {
    fake_.system.tempPath = temp_.WithSeparator();
    log_.Create();
    log_.Enable();
    for (const wchar_t* url : {kProduction, kTest, kLocal}) fake_.network.files[url] = "<catalogue/>";
  }

  // The log as written after its first line.
  std::string Records() {
    const std::string all = FileBytes(std::filesystem::path(log_.path()));
    return all.substr(all.find('\n') + 1);
  }

  TempFolder temp_;
  fakes::FakePorts fake_;
  RunLog log_{fake_.system};
  const Endpoints endpoints_{L"web.test", L"support.test", L"download.test", L"local.test", L"survey.test",
                             L"collect.test"};
};

TEST_F(DownloadDriverCatalogueTest, TheSourceKeysFirstReadableValueChoosesTheCatalogue) {
  struct Case {
    const char* situation;
    std::function<void(fakes::FakePorts&)> setUp;
    const wchar_t* url;
    const wchar_t* type;
    bool localServerMode;
  };
  const RegistryValue tooLarge{kRegBinary, std::vector<uint8_t>(521, 1)};
  const Case cases[] = {
      {"no key", [](fakes::FakePorts&) {}, kProduction, L"Production", false},
      {"key without values", [](fakes::FakePorts& f) { f.registry.AddKey(kKey64); }, kProduction, L"", false},
      {"Production", [](fakes::FakePorts& f) { f.registry.SetValue(kKey64, L"Production", RegistryValue::Dword(0)); },
       kProduction, L"Production", false},
      {"Production before Local",
       [](fakes::FakePorts& f) {
         f.registry.SetString(kKey64, L"Local", L"");
         f.registry.SetString(kKey64, L"Production", L"");
       },
       kProduction, L"Production", false},
      {"Local before Test",
       [](fakes::FakePorts& f) {
         f.registry.SetString(kKey64, L"Test", L"1");
         f.registry.SetString(kKey64, L"Local", L"1");
       },
       kLocal, L"Local", true},
      {"Test", [](fakes::FakePorts& f) { f.registry.SetString(kKey64, L"Test", L"whatever it says"); }, kTest,
       L"Test", false},
      {"a value over 520 bytes counts as absent",
       [&](fakes::FakePorts& f) {
         f.registry.SetValue(kKey64, L"Local", tooLarge);
         f.registry.SetString(kKey64, L"Test", L"");
       },
       kTest, L"Test", false},
      {"a key the program may not open fully",
       [](fakes::FakePorts& f) {
         f.registry.SetString(kKey64, L"Test", L"");
         f.registry.Deny(kKey64, KeyAccess::kAllAccess);
       },
       kProduction, L"Production", false},
      {"a 32-bit system reads the key outside Wow6432Node",
       [](fakes::FakePorts& f) {
         f.system.wow64 = false;
         f.registry.SetString(kKey64, L"Local", L"");
         f.registry.SetString(kKey32, L"Test", L"");
       },
       kTest, L"Test", false},
  };
  for (const Case& c : cases) {
    fakes::FakePorts fake;
    fake.system.tempPath = temp_.WithSeparator();
    fake.network.files = fake_.network.files;
    c.setUp(fake);
    CatalogueSource source;
    EXPECT_TRUE(DownloadDriverCatalogue(fake.ports(), endpoints_, log_, source)) << c.situation;
    ASSERT_EQ(fake.network.downloads.size(), 1u) << c.situation;
    EXPECT_EQ(fake.network.downloads[0].first, c.url) << c.situation;
    EXPECT_EQ(fake.network.downloads[0].second, temp_.WithSeparator() + L"result.xml") << c.situation;
    EXPECT_EQ(source.catalogueType, c.type) << c.situation;
    EXPECT_EQ(source.localServerMode, c.localServerMode) << c.situation;
  }
}

TEST_F(DownloadDriverCatalogueTest, LogsTheTypeAndWhereTheCatalogueWent) {
  CatalogueSource source;
  ASSERT_TRUE(DownloadDriverCatalogue(fake_.ports(), endpoints_, log_, source));
  EXPECT_EQ(FileBytes(temp_.path() / "result.xml"), "<catalogue/>");
  fake_.network.files.clear();
  EXPECT_FALSE(DownloadDriverCatalogue(fake_.ports(), endpoints_, log_, source));

  const std::string path = std::string(source.catalogueFilePath.begin(), source.catalogueFilePath.end());
  EXPECT_EQ(Records(),
            "XML type is Production\r\r\nDownloadXML - XML file is downloaded to " + path + "\r\r\n \r\n" +
                "XML type is Production\r\r\nDownloadXML - XML file downloaded failed " + path + "\r\r\n \r\n");
}

TEST_F(DownloadDriverCatalogueTest, LocalModeStaysOnceSet) {
  fake_.registry.SetString(kKey64, L"Local", L"");
  CatalogueSource source;
  DownloadDriverCatalogue(fake_.ports(), endpoints_, log_, source);
  fake_.registry.SetString(kKey64, L"Production", L"");
  DownloadDriverCatalogue(fake_.ports(), endpoints_, log_, source);
  EXPECT_EQ(source.catalogueType, L"Production");
  EXPECT_TRUE(source.localServerMode);
}

}  // namespace
}  // namespace quillo
