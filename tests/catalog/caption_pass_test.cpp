#include <gtest/gtest.h>

#include "catalog/xml_passes.h"
#include "catalog_support.h"

namespace quillo {
namespace {

using catalog_tests::Fixture;
using catalog_tests::PlatformXmlReaders;
using catalog_tests::StandardOutput;

struct Loaded {
  CaptionMap captions;
  std::string output;
};

Loaded Load(const std::string& fixture) {
  PlatformXmlReaders xml;
  CaptionWalk walk;
  Loaded loaded;
  loaded.output = StandardOutput([&] { EXPECT_FALSE(LoadCaptionMap(xml, walk, loaded.captions, Fixture(fixture))); });
  return loaded;
}

TEST(CaptionPassTest, MapsEachValueNumberToTheFirstTextGivenForIt) {
  const Loaded loaded = Load("captions.xml");
  const CaptionMap expected = {
      // Value came before ID: the key is what ID reads as, which is nothing.
      {0, L"Keyed by the attribute read after Value"},
      {-3, L"Signed and spaced"},
      {129, L"Operating system"},
      {130, L"First line.second line"},
      // Read in pieces of 511: only the last piece stays.
      {131, L"and only this last piece of the caption stays"},
  };
  EXPECT_EQ(loaded.captions, expected) << testing::PrintToString(loaded.captions);
  EXPECT_EQ(loaded.output, "\n");
}

TEST(CaptionPassTest, ReadsTheUtf16TablesTheProgramCarries) {
  const Loaded loaded = Load("captions_utf16.xml");
  const CaptionMap expected = {
      {129, L"Syst\u00e8me d'exploitation"},
      {133, L"T\u00e9l\u00e9charger"},
  };
  EXPECT_EQ(loaded.captions, expected) << testing::PrintToString(loaded.captions);
}

TEST(CaptionPassTest, KeepsWhatItReadBeforeAFault) {
  const Loaded broken = Load("captions_broken.xml");
  // The fault is the tag that closes the third text, after it was stored.
  EXPECT_EQ(broken.captions,
            (CaptionMap{{129, L"Operating system"}, {133, L"Download"}, {134, L"Closed by the wrong tag"}}));
  EXPECT_EQ(broken.output, "\nXmlLite Error: c00cee3b\n");

  EXPECT_EQ(Load("empty.xml").output, "\nXmlLite Error: c00cee01\n");
  const Loaded missing = Load("no_such_table.xml");
  EXPECT_TRUE(missing.captions.empty());
  EXPECT_EQ(missing.output, "");
}

}  // namespace
}  // namespace quillo
