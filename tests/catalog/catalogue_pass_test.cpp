#include <gtest/gtest.h>

#include "catalog/xml_passes.h"
#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::Chunk;
using catalog_tests::Fixture;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::StandardOutput;

const wchar_t kWindows10[] = L"Windows 10 - 64 Bit";

// One reading of a fixture catalogue by a fresh window.
struct Reading {
  bool complete = false;
  DriverRecord record;
  std::string output;
};

Reading Read(const std::string& fixture, const std::wstring& deviceId, const std::wstring& revisionId,
             const std::wstring& osType) {
  PlatformXmlReaders xml;
  CatalogueWalk walk;
  Reading reading;
  reading.output = StandardOutput([&] {
    reading.complete = ParseDriverCatalogue(xml, walk, reading.record, Fixture(fixture), deviceId, revisionId, osType);
  });
  return reading;
}

std::string Print(const DriverRecord& record) { return testing::PrintToString(record); }

TEST(CataloguePassTest, StoresTheMatchingElementWithTheGroupsLabelAndStops) {
  const Reading reading = Read("record.xml", L"7A10", L"00", kWindows10);
  EXPECT_TRUE(reading.complete);
  const DriverRecord expected = {
      {L"type", L"Windows 10 - 64 Bit"},
      {L"internal", L"24.20.100.6286"},
      {L"beta", L"24.20.100.6300"},
      {L"file", L"http://download.test/drivers/win10_6286.exe"},
      {L"filesize", L"345 MB"},
      {L"label", L"Velmora Iris 600"},
  };
  EXPECT_EQ(reading.record, expected) << Print(reading.record);
  // Every piece of every value read is reported; the empty beta of the
  // Windows 7 driver has none. The pass ends with the record: no end line.
  EXPECT_EQ(reading.output,
            "attribute chunk size:16 >Velmora Iris 600<\n"
            "attribute chunk size:9 >7A10 7A12<\n"
            "attribute chunk size:2 >00<\n"
            "attribute chunk size:18 >Windows 7 - 64 Bit<\n"
            "attribute chunk size:12 >15.40.0.4849<\n"
            "attribute chunk size:42 >http://download.test/drivers/win7_4849.exe<\n"
            "attribute chunk size:6 >190 MB<\n"
            "attribute chunk size:19 >Windows 10 - 64 Bit<\n"
            "attribute chunk size:14 >24.20.100.6286<\n"
            "attribute chunk size:14 >24.20.100.6300<\n"
            "attribute chunk size:43 >http://download.test/drivers/win10_6286.exe<\n"
            "attribute chunk size:6 >345 MB<\n");
}

// Which record (named by its file) a machine gets from record.xml: the device
// group that lists the adapter, the driver for its system.
TEST(CataloguePassTest, ServesEachMachineFromTheFirstGroupListingItsDevice) {
  struct Case {
    const wchar_t* deviceId;
    const wchar_t* osType;
    bool complete;
    const wchar_t* file;   // empty: no record
    const wchar_t* label;
    const wchar_t* beta;
  };
  const Case cases[] = {
      {L"7A12", kWindows10, true, L"win10_6286.exe", L"Velmora Iris 600", L"24.20.100.6300"},
      {L"7A10", L"Windows 7 - 64 Bit", true, L"win7_4849.exe", L"Velmora Iris 600", L""},
      // The group lists the device but not the system: the next label ends the pass.
      {L"7A10", L"Windows 8.1 - 64 Bit", true, L"", L"", L""},
      // A later group; a record without beta gets an empty one.
      {L"7B20", kWindows10, true, L"win10_7000.exe", L"Velmora Iris 700", L""},
      {L"7C30", kWindows10, false, L"", L"", L""},
  };
  for (const Case& c : cases) {
    const Reading reading = Read("record.xml", c.deviceId, L"00", c.osType);
    const std::string situation = testing::PrintToString(std::wstring(c.deviceId)) + " on " +
                                  testing::PrintToString(std::wstring(c.osType)) + ": " + Print(reading.record);
    EXPECT_EQ(reading.complete, c.complete) << situation;
    if (std::wstring(c.file).empty()) {
      EXPECT_TRUE(reading.record.empty()) << situation;
      continue;
    }
    EXPECT_EQ(reading.record.at(L"file"), std::wstring(L"http://download.test/drivers/") + c.file) << situation;
    EXPECT_EQ(reading.record.at(L"label"), c.label) << situation;
    EXPECT_EQ(reading.record.at(L"beta"), c.beta) << situation;
    EXPECT_EQ(reading.record.at(L"type"), c.osType) << situation;
  }
}

TEST(CataloguePassTest, ACatalogueWithoutTheDeviceIsReadToItsEnd) {
  const Reading reading = Read("record.xml", L"7C30", L"00", kWindows10);
  EXPECT_FALSE(reading.complete);
  EXPECT_TRUE(reading.record.empty());
  // The last value of the document, then the end-of-document line.
  const std::string end = Chunk("410 MB") + "\n";
  ASSERT_GE(reading.output.size(), end.size());
  EXPECT_EQ(reading.output.substr(reading.output.size() - end.size()), end);
}

TEST(CataloguePassTest, NothingAfterTheRecordIsRead) {
  // The fixture breaks off into malformed XML after the record.
  const Reading reading = Read("stops_at_record.xml", L"7A10", L"00", kWindows10);
  EXPECT_TRUE(reading.complete);
  EXPECT_EQ(reading.record.at(L"file"), L"http://download.test/drivers/win10_6286.exe");
  EXPECT_EQ(reading.output.find("XmlLite Error"), std::string::npos) << reading.output;
  EXPECT_EQ(reading.output.find("later.exe"), std::string::npos) << reading.output;
}

// Which adapters a fixture serves: (fixture, device, revision) -> record or none.
TEST(CataloguePassTest, DeviceListsAndRevisionsDecideWhoIsServed) {
  struct Case {
    const char* fixture;
    const wchar_t* deviceId;
    const wchar_t* revisionId;
    bool served;
  };
  const Case cases[] = {
      // ids="7A12 7A10,7A14;7A16": every listed ID, whatever separates it.
      {"device_ids.xml", L"7A12", L"00", true},
      {"device_ids.xml", L"7A10", L"00", true},
      {"device_ids.xml", L"7A14", L"00", true},
      {"device_ids.xml", L"7A16", L"00", true},
      {"device_ids.xml", L"7A18", L"00", false},
      // "00" and an empty rid serve every revision.
      {"rid_00.xml", L"7A10", L"00", true},
      {"rid_00.xml", L"7A10", L"02", true},
      {"rid_empty.xml", L"7A10", L"02", true},
      // One revision serves only that revision.
      {"rid_one.xml", L"7A10", L"02", true},
      {"rid_one.xml", L"7A10", L"03", false},
      {"rid_one.xml", L"7A10", L"00", false},
      // Two revisions in one rid are compared whole: neither is served.
      {"rid_two.xml", L"7A10", L"02", false},
      {"rid_two.xml", L"7A10", L"03", false},
  };
  for (const Case& c : cases) {
    const Reading reading = Read(c.fixture, c.deviceId, c.revisionId, kWindows10);
    EXPECT_EQ(reading.complete, c.served) << c.fixture << " " << testing::PrintToString(std::wstring(c.deviceId))
                                          << " rev " << testing::PrintToString(std::wstring(c.revisionId));
    EXPECT_EQ(reading.record.count(L"label") == 1, c.served) << c.fixture << ": " << Print(reading.record);
  }
}

TEST(CataloguePassTest, TheSystemsTypeStringMustMatchExactly) {
  struct Case {
    const wchar_t* osType;
    const wchar_t* file;  // empty: no record
  };
  // The drivers, in order: 32-bit, lower case, two blanks, exact.
  const Case cases[] = {
      {kWindows10, L"exact.exe"},
      {L"Windows 10 - 32 Bit", L"win10_32bit.exe"},
      {L"Windows 8 - 64 Bit", L""},
  };
  for (const Case& c : cases) {
    const Reading reading = Read("os_values.xml", L"7A10", L"00", c.osType);
    const auto file = reading.record.find(L"file");
    const std::wstring stored = file == reading.record.end() ? L"" : file->second;
    EXPECT_EQ(stored, std::wstring(c.file).empty() ? L"" : L"http://download.test/drivers/" + std::wstring(c.file))
        << testing::PrintToString(std::wstring(c.osType));
  }
}

TEST(CataloguePassTest, ALabelAfterTheDevicesGroupEndsThePassWithoutARecord) {
  const Reading windows10 = Read("label_after_match.xml", L"7A10", L"00", kWindows10);
  EXPECT_TRUE(windows10.complete) << "the pass ends at the second label";
  EXPECT_TRUE(windows10.record.empty()) << Print(windows10.record);
  // The second group's label is not even read.
  EXPECT_EQ(windows10.output.find("Velmora Iris 700"), std::string::npos);

  const Reading windows7 = Read("label_after_match.xml", L"7A10", L"00", L"Windows 7 - 64 Bit");
  EXPECT_EQ(windows7.record.at(L"file"), L"http://download.test/drivers/win7_4849.exe");
}

TEST(CataloguePassTest, ValuesAreReadInPiecesOf255Characters) {
  const std::string file = "http://download.test/drivers/" + std::string(222, 'x') + ".exe";
  std::string name = "Velmora ";
  for (int i = 0; i < 29; ++i) name += "0123456789";
  name += "01";
  ASSERT_EQ(file.size(), 255u);
  ASSERT_EQ(name.size(), 300u);

  const Reading reading = Read("long_values.xml", L"7A10", L"00", kWindows10);
  ASSERT_TRUE(reading.complete);
  EXPECT_EQ(reading.record.at(L"file"), std::wstring(file.begin(), file.end()));
  EXPECT_EQ(reading.record.at(L"name"), std::wstring(name.begin(), name.end()));
  // 255 characters are one piece; 300 are 255 and 45.
  EXPECT_EQ(reading.output, Chunk("Velmora Iris 600") + Chunk("7A10") + Chunk("00") + Chunk("Windows 10 - 64 Bit") +
                                Chunk(file) + Chunk(name.substr(0, 255)) + Chunk(name.substr(255)));
}

TEST(CataloguePassTest, ABrokenDocumentEndsWithTheReadersErrorCode) {
  struct Case {
    const char* fixture;
    std::string output;
  };
  const Case cases[] = {
      {"empty.xml", "\nXmlLite Error: c00cee01\n"},
      // Ends right after a start tag: unexpected end of input.
      {"truncated.xml", Chunk("Velmora Iris 600") + Chunk("7A10") + Chunk("00") + "\nXmlLite Error: c00cee01\n"},
      // An end tag that closes the wrong element, before the driver.
      {"broken_before_record.xml",
       Chunk("Velmora Iris 600") + Chunk("7A10") + Chunk("00") + "\nXmlLite Error: c00cee3b\n"},
      // A DTD is refused before anything of it is used.
      {"doctype.xml", "\nXmlLite Error: c00cee4f\n"},
  };
  for (const Case& c : cases) {
    const Reading reading = Read(c.fixture, L"7A10", L"00", kWindows10);
    EXPECT_FALSE(reading.complete) << c.fixture;
    EXPECT_TRUE(reading.record.empty()) << c.fixture << ": " << Print(reading.record);
    EXPECT_EQ(reading.output, c.output) << c.fixture;
  }
}

TEST(CataloguePassTest, AMissingCatalogueEndsThePassSilently) {
  const Reading reading = Read("no_such_catalogue.xml", L"7A10", L"00", kWindows10);
  EXPECT_FALSE(reading.complete);
  EXPECT_TRUE(reading.record.empty());
  EXPECT_EQ(reading.output, "");
}

}  // namespace
}  // namespace quillo
