#include <gtest/gtest.h>

#include "catalog/features.h"
#include "catalog/xml_passes.h"
#include "catalog_support.h"
#include "fakes/scripted_xml.h"

namespace quillo {
namespace {

using catalog_tests::Chunk;
using catalog_tests::StandardOutput;
using fakes::ScriptedAttribute;
using fakes::ScriptedNode;
using Status = XmlOpenResult::Status;

constexpr int32_t kUnexpected = static_cast<int32_t>(0x8000FFFF);
constexpr int32_t kBadCharacter = static_cast<int32_t>(0xC00CEE2B);
const wchar_t kWindows10[] = L"Windows 10 - 64 Bit";

// The reader failures a real document cannot produce, played back by a
// scripted reader.
class PassFaultsTest : public testing::Test {
 protected:
  std::string Catalogue(bool expected = false) {
    CatalogueWalk walk;
    return StandardOutput([&] {
      EXPECT_EQ(ParseDriverCatalogue(xml_, walk, record_, L"result.xml", L"7A10", L"00", kWindows10), expected);
    });
  }
  std::string Captions() {
    CaptionWalk walk;
    return StandardOutput([&] { LoadCaptionMap(xml_, walk, captions_, L"QLUHDRENU.xml"); });
  }

  // A device group for 7A10 whose driver element carries `driver`.
  void Group(std::vector<ScriptedAttribute> driver) {
    xml_.document = {
        ScriptedNode{XmlNodeType::kElement, L"product", L"", {{L"label", L"Velmora Iris 600"}}},
        ScriptedNode{XmlNodeType::kElement, L"devices", L"", {{L"ids", L"7A10"}, {L"rid", L"00"}}},
        ScriptedNode{XmlNodeType::kElement, L"driver", L"", std::move(driver)},
    };
  }

  fakes::ScriptedXmlReaders xml_;
  DriverRecord record_;
  CaptionMap captions_;
};

TEST_F(PassFaultsTest, AReaderThatCannotBeSetUpIsReportedByStep) {
  struct Case {
    Status status;
    int32_t error;
    std::string output;
  };
  const Case cases[] = {
      {Status::kFileNotOpened, static_cast<int32_t>(0x80070002), ""},
      {Status::kReaderNotCreated, static_cast<int32_t>(0x8007000E), "Error creating xml reader, error is 8007000e"},
      {Status::kInputNotSet, static_cast<int32_t>(0x80070057), "Error setting input for reader, error is 80070057"},
  };
  for (const Case& c : cases) {
    xml_.status = c.status;
    xml_.error = c.error;
    EXPECT_EQ(Catalogue(), c.output);
    EXPECT_EQ(Captions(), c.output);
    FeatureReader features(xml_);
    CompatibleFeatures found;
    EXPECT_EQ(features.MatchFeatures(found, L"CompatibleFeatures.xml", L"brand", L"7A10", L"00"), 0);
  }
}

TEST_F(PassFaultsTest, TheCataloguePassesReadTheirOwnStreamTheFeatureMatchTheShellsWithoutDtd) {
  Catalogue();
  Captions();
  FeatureReader features(xml_);
  CompatibleFeatures found;
  features.MatchFeatures(found, L"CompatibleFeatures.xml", L"brand", L"7A10", L"00");
  ASSERT_EQ(xml_.opens.size(), 3u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(xml_.opens[i].source, XmlByteSource::kFileStream);
    EXPECT_FALSE(xml_.opens[i].prohibitDtd) << "no reader property is set";
  }
  EXPECT_EQ(xml_.opens[2].source, XmlByteSource::kShellStream);
  EXPECT_TRUE(xml_.opens[2].prohibitDtd);
}

TEST_F(PassFaultsTest, TheCatalogueWalkReportsAFailingNameOrValue) {
  Group({{L"type", kWindows10}, {L"file", L"x", false, 0, kUnexpected}});
  EXPECT_EQ(Catalogue(), Chunk("Velmora Iris 600") + Chunk("7A10") + Chunk("00") + Chunk("Windows 10 - 64 Bit") +
                             "Error, Method: GetLocalName, error is 8000ffff"
                             "Error, Method: WriteAttributes, error is 8000ffff");
  EXPECT_EQ(record_, (DriverRecord{{L"type", kWindows10}})) << "what was stored stays";

  record_.clear();
  Group({{L"type", kWindows10}, {L"file", std::wstring(300, L'f'), false, 0, 0, kBadCharacter}});
  EXPECT_EQ(Catalogue(), Chunk("Velmora Iris 600") + Chunk("7A10") + Chunk("00") + Chunk("Windows 10 - 64 Bit") +
                             Chunk(std::string(255, 'f')) +
                             "\nXmlLite Error: c00cee2b\n"
                             "Error, Method: WriteAttributes, error is c00cee2b");

  xml_.document = {ScriptedNode{XmlNodeType::kElement, L"catalogue", L"", {}, kBadCharacter}};
  EXPECT_EQ(Catalogue(), "\nXmlLite Error: c00cee2b\n");
}

TEST_F(PassFaultsTest, LineFeedsInAttributeValuesBecomeFullStops) {
  Group({{L"type", kWindows10}, {L"file", L"first\nsecond"}});
  EXPECT_EQ(Catalogue(true), Chunk("Velmora Iris 600") + Chunk("7A10") + Chunk("00") + Chunk("Windows 10 - 64 Bit") +
                                 Chunk("first.second"));
  EXPECT_EQ(record_.at(L"file"), L"first.second");
}

TEST_F(PassFaultsTest, AttributesFromASchemaDefaultAreSkipped) {
  xml_.document = {
      ScriptedNode{XmlNodeType::kElement, L"product", L"", {{L"label", L"Velmora Iris 600"}}},
      ScriptedNode{XmlNodeType::kElement, L"devices", L"", {{L"ids", L"7A10", true}, {L"rid", L"00"}}},
      ScriptedNode{XmlNodeType::kElement, L"driver", L"", {{L"type", kWindows10}}},
  };
  Catalogue();
  EXPECT_TRUE(record_.empty()) << "the device list was a default";

  xml_.document = {ScriptedNode{XmlNodeType::kElement, L"Caption", L"", {{L"Value", L"7", true}}},
                   ScriptedNode{XmlNodeType::kText, L"", L"Not a caption", {}}};
  Captions();
  EXPECT_TRUE(captions_.empty());
}

TEST_F(PassFaultsTest, TheCaptionWalkReportsAFailingPrefixNameOrValue) {
  struct Case {
    ScriptedAttribute attribute;
    std::string output;
  };
  const Case cases[] = {
      {{L"Value", L"7", false, kUnexpected},
       "Error, Method: GetPrefix, error is 8000ffffError, Method: WriteAttributes, error is 8000ffff"},
      {{L"Value", L"7", false, 0, kUnexpected},
       "Error, Method: GetLocalName, error is 8000ffffError, Method: WriteAttributes, error is 8000ffff"},
      {{L"Value", std::wstring(30, L'7'), false, 0, 0, kBadCharacter},
       "\nXmlLite Error: c00cee2b\nError, Method: WriteAttributes, error is c00cee2b"},
  };
  for (const Case& c : cases) {
    xml_.document = {ScriptedNode{XmlNodeType::kElement, L"Caption", L"", {c.attribute}},
                     ScriptedNode{XmlNodeType::kText, L"", L"Not stored", {}}};
    EXPECT_EQ(Captions(), c.output);
    EXPECT_TRUE(captions_.empty());
  }
}

TEST_F(PassFaultsTest, AnEmptyValueKeysItsCaptionAsZero) {
  xml_.document = {ScriptedNode{XmlNodeType::kElement, L"Caption", L"", {{L"ID", L"IDS_EMPTY"}, {L"Value", L""}}},
                   ScriptedNode{XmlNodeType::kText, L"", L"Empty value", {}}};
  EXPECT_EQ(Captions(), "\n");
  EXPECT_EQ(captions_, (CaptionMap{{0, L"Empty value"}}));
}

}  // namespace
}  // namespace quillo
