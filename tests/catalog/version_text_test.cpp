#include <gtest/gtest.h>

#include "catalog/decimal.h"
#include "catalog/driver_offer.h"

namespace quillo {
namespace {

const wchar_t kMajor[] = L"Installed Major version is greater than Internal version. So, exiting..... ";
const wchar_t kMinor[] = L"Installed Minor version is greater than Internal version. So, exiting..... ";
const wchar_t kSub[] = L"Installed Sub version is greater than Internal version. So, exiting..... ";

TEST(VersionTextTest, SplitsTheVersionFromItsTwoTags) {
  struct Case {
    const wchar_t* text;
    VersionText split;
  };
  const Case cases[] = {
      {L"16.200.1035.1001-160303a-300154C", {L"16.200.1035.1001", L"160303a", L"300154C"}},
      {L"16.200.1035.1001-160303a-300154C-extra", {L"16.200.1035.1001", L"160303a", L"300154C"}},
      // Without a second dash there are no tags at all.
      {L"24.20.100.6286-160303a", {L"24.20.100.6286", L"", L""}},
      {L"24.20.100.6286", {L"24.20.100.6286", L"", L""}},
      // A dash at the very start, or right after another, does not count.
      {L"-160303a-300154C", {L"-160303a-300154C", L"", L""}},
      {L"24.20--160303a", {L"24.20", L"", L""}},
      {L"24.20-a--b", {L"24.20", L"a", L"-b"}},
      {L"", {L"", L"", L""}},
  };
  for (const Case& c : cases) {
    const VersionText split = SplitVersionText(c.text);
    EXPECT_EQ(split.version, c.split.version) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(split.secondTag, c.split.secondTag) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(split.thirdTag, c.split.thirdTag) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(VersionTextTest, TagsReadHexadecimalLettersAsTwoDigitNumbers) {
  EXPECT_EQ(VersionTagValue(L"160303a"), TagValue(16030310));
  EXPECT_EQ(VersionTagValue(L"300154C"), TagValue(30015412));
  EXPECT_EQ(VersionTagValue(L"x-1_2 3"), TagValue(123)) << "anything else is dropped";
  EXPECT_EQ(VersionTagValue(L"00f"), TagValue(15));
  EXPECT_EQ(VersionTagValue(L""), TagValue(0));
  EXPECT_EQ(VersionTagValue(L"ghz"), TagValue(0));
  // 32 bits would hold neither of these and call them equal.
  EXPECT_EQ(VersionTagValue(L"ffffffffff").digits(), "15151515151515151515");
  EXPECT_LT(VersionTagValue(L"99999999998"), VersionTagValue(L"99999999999"));
  EXPECT_GT(VersionTagValue(L"1000000000000000000000"), VersionTagValue(L"999999999999999999999"));
}

TEST(VersionTextTest, ReadsNumbersAsTheRuntimeDoesAndSaturates) {
  struct Case {
    const wchar_t* text;
    int32_t int32;
    int64_t int64;
  };
  const Case cases[] = {
      {L"345", 345, 345},
      {L" \t-42abc", -42, -42},
      {L"+7", 7, 7},
      {L"abc", 0, 0},
      {L"", 0, 0},
      {L"2147483647", 2147483647, 2147483647},
      {L"2147483648", 2147483647, 2147483648LL},
      {L"-2147483649", -2147483647 - 1, -2147483649LL},
      {L"12345678901234", 2147483647, 12345678901234LL},
      {L"99999999999999999999", 2147483647, 9223372036854775807LL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecimalInt32(c.text), c.int32) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(DecimalInt64(c.text), c.int64) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(VersionTextTest, SizeTextsLoseTheirLastThreeCharacters) {
  EXPECT_EQ(SizeTextWithoutUnit(L"345 MB"), L"345");
  EXPECT_EQ(SizeTextWithoutUnit(L"345"), L"");
  EXPECT_EQ(SizeTextWithoutUnit(L"42"), L"42");
  EXPECT_EQ(SizeTextWithoutUnit(L"7"), L"7");
  EXPECT_EQ(SizeTextWithoutUnit(L""), L"");
}

TEST(VersionTextTest, TheInstalledDriverIsCurrentUnlessTheOfferedOneIsNewer) {
  struct Case {
    const wchar_t* installed;
    const wchar_t* offered;
    const wchar_t* main;     // the main window's verdict line; empty: offered
    const wchar_t* classic;  // the classic window's
  };
  const Case cases[] = {
      {L"15.301.1201.0", L"16.200.1035.1001", L"", L""},
      {L"17.1.1.1", L"16.200.1035.1001", kMajor, kMajor},
      {L"16.300.1035.1001", L"16.200.1035.1001", kMinor, kMinor},
      {L"16.100.1035.1001", L"16.200.1035.1001", L"", L""},
      // The sub step's line differs between the two windows.
      {L"16.200.1036.1001", L"16.200.1035.1001", kMinor, kMajor},
      {L"16.200.1034.9999", L"16.200.1035.1001", L"", L""},
      // Minors 20 and 200 compare as 20 and 20, subs 1035 and 1035.1001 as
      // 1035 and 1035: the tags decide.
      {L"16.20.1035-160303b-300154C", L"16.200.1035.1001-160303a-300154C", kMinor, kMinor},
      {L"16.20.1035-160303a-300154D", L"16.200.1035.1001-160303a-300154C", kSub, kSub},
      {L"16.20.1035-160303a-300154B", L"16.200.1035.1001-160303a-300154C", L"", L""},
      // Identical versions, and equal numbers without tags: current.
      {L"16.200.1035.1001-160303a-300154C", L"16.200.1035.1001-160303a-300154C", kSub, kSub},
      {L"24.20.100.6286", L"24.20.100.6286", kSub, kSub},
      // Only one sub given: the other is not cut.
      {L"24.20", L"24.20.100.6286", L"", L""},
      // No installed version reads as all zeros.
      {L"", L"24.20.100.6286", L"", L""},
      {L"", L"0.0", kSub, kSub},
      // No offered version: whatever is installed is current.
      {L"24.20.11.3", L"", kMajor, kMajor},
      // Tags beyond 32 bits still compare by value.
      {L"16.200.1035-99999999998-1", L"16.200.1035-99999999999-1", L"", L""},
  };
  for (const Case& c : cases) {
    const std::string situation =
        testing::PrintToString(std::wstring(c.installed)) + " against " + testing::PrintToString(std::wstring(c.offered));
    EXPECT_EQ(InstalledDriverVerdict(c.installed, c.offered, WindowKind::kMain), c.main) << situation;
    EXPECT_EQ(InstalledDriverVerdict(c.installed, c.offered, WindowKind::kClassic), c.classic) << situation;
  }
}

}  // namespace
}  // namespace quillo
