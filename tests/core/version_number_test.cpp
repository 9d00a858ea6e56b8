#include "app/version_number.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

struct ParseCase {
  const wchar_t* text;
  VersionNumber::Form form;
  const wchar_t* readBack;
};

TEST(VersionNumberTest, ParsesTextIntoPartsAndForm) {
  const ParseCase cases[] = {
      {L"4.5.0", VersionNumber::kThreeParts, L"4.5.0"},
      {L"4.8.04084", VersionNumber::kThreeParts, L"4.8.04084"},
      {L"4.5", VersionNumber::kTwoParts, L"4.5"},
      {L"4.5.0.0", VersionNumber::kFourParts, L"4.5.0.0"},
      {L"..4..5..", VersionNumber::kTwoParts, L"4.5"},
      {L"*", VersionNumber::kWildcard, L"*.*.*.*"},
      {L"Not Installed", VersionNumber::kInvalid, L"x.x"},
      {L"", VersionNumber::kInvalid, L"x.x"},
      {L"4", VersionNumber::kInvalid, L"x.x"},
      {L"4.5.0.0.1", VersionNumber::kInvalid, L"x.x"},
      {L" 4.5", VersionNumber::kInvalid, L"x.x"},
      {L"4.5b", VersionNumber::kInvalid, L"x.x"},
      {L"-1.0", VersionNumber::kInvalid, L"x.x"},
      {L"4.+5", VersionNumber::kInvalid, L"x.x"},
      {L"*.*", VersionNumber::kInvalid, L"x.x"},
  };
  for (const ParseCase& c : cases) {
    const VersionNumber version(c.text);
    EXPECT_EQ(version.form(), c.form) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(version.ToString(), c.readBack) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(VersionNumberTest, MissingPartsReadAsZeroAndInvalidPartsAsX) {
  const VersionNumber threeParts(L"4.5.0");
  EXPECT_EQ(threeParts.revision(), L"0");
  const VersionNumber twoParts(L"4.5");
  EXPECT_EQ(twoParts.sub(), L"0");
  EXPECT_EQ(twoParts.revision(), L"0");
  const VersionNumber invalid(L"4.5b");
  EXPECT_EQ(invalid.major() + invalid.minor() + invalid.sub() + invalid.revision(), L"xxxx");
  const VersionNumber wildcard(L"*");
  EXPECT_EQ(wildcard.major() + wildcard.minor() + wildcard.sub() + wildcard.revision(), L"****");
}

TEST(VersionNumberTest, DefaultIsZeroInFourParts) {
  const VersionNumber zero;
  EXPECT_EQ(zero.form(), VersionNumber::kFourParts);
  EXPECT_EQ(zero.ToString(), L"0.0.0.0");
  EXPECT_TRUE(zero.IsLessThan(VersionNumber(L"0.0.0.1")));
  EXPECT_TRUE(zero.IsLessThan(VersionNumber(L"4.5")));
  EXPECT_FALSE(zero.IsLessThan(VersionNumber(L"0.0")));
}

TEST(VersionNumberTest, BuildsFromIntegersWithAbsentParts) {
  struct Case {
    int major, minor, sub, revision;
    VersionNumber::Form form;
    const wchar_t* text;
  };
  const Case cases[] = {
      {4, 5, -1, -1, VersionNumber::kTwoParts, L"4.5"},
      {4, 5, -1, 7, VersionNumber::kTwoParts, L"4.5"},  // revision ignored without sub
      {4, 5, 0, -1, VersionNumber::kThreeParts, L"4.5.0"},
      {10, 0, 19045, 1, VersionNumber::kFourParts, L"10.0.19045.1"},
      {-2, 5, 0, 0, VersionNumber::kFourParts, L"-2.5.0.0"},
  };
  for (const Case& c : cases) {
    const VersionNumber version(c.major, c.minor, c.sub, c.revision);
    EXPECT_EQ(version.form(), c.form) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(version.ToString(), c.text);
  }
  const VersionNumber twoParts(4, 5, -1, -1);
  EXPECT_EQ(twoParts.sub(), L"");
  EXPECT_EQ(twoParts.revision(), L"");
}

enum class Order { kLess, kEqual, kGreater, kBoth, kNeither };

struct CompareCase {
  const wchar_t* left;
  const wchar_t* right;
  Order order;
};

TEST(VersionNumberTest, ComparesPartByPartByNumericValue) {
  const CompareCase cases[] = {
      {L"4.6.01055", L"4.5.0", Order::kGreater},
      {L"4.0.30319", L"4.5.0", Order::kLess},
      {L"10.0", L"9.9", Order::kGreater},
      {L"4.5", L"4.5.0.0", Order::kEqual},
      {L"4.5.0", L"4.5", Order::kEqual},
      {L"4.8.04084", L"4.8.4084", Order::kEqual},
      {L"4.5.0.1", L"4.5.0", Order::kGreater},
      {L"4.10", L"4.9.9.9", Order::kGreater},
      {L"4.0.0.0", L"4.5.0", Order::kLess},
      // The wildcard is both below and above anything, even an invalid value.
      {L"*", L"4.5.0", Order::kBoth},
      {L"4.5.0", L"*", Order::kBoth},
      {L"*", L"*", Order::kBoth},
      {L"*", L"Not Installed", Order::kBoth},
      // An invalid value is neither below nor above anything else.
      {L"Not Installed", L"4.5.0", Order::kNeither},
      {L"4.5.0", L"4.5b", Order::kNeither},
      {L"x", L"x", Order::kNeither},
  };
  for (const CompareCase& c : cases) {
    const VersionNumber left(c.left);
    const VersionNumber right(c.right);
    const bool less = left.IsLessThan(right);
    const bool greater = left.IsGreaterThan(right);
    const std::string label = testing::PrintToString(std::wstring(c.left)) + " vs " +
                              testing::PrintToString(std::wstring(c.right));
    switch (c.order) {
      case Order::kLess:
        EXPECT_TRUE(less && !greater) << label;
        break;
      case Order::kGreater:
        EXPECT_TRUE(!less && greater) << label;
        break;
      case Order::kBoth:
        EXPECT_TRUE(less && greater) << label;
        break;
      case Order::kEqual:
      case Order::kNeither:
        EXPECT_TRUE(!less && !greater) << label;
        break;
    }
  }
}

TEST(VersionNumberTest, IntegerValueEqualsTheSameVersionWritten) {
  const VersionNumber fromIntegers(4, 5, -1, -1);  // parts "4", "5", "", ""; empty reads as 0
  for (const wchar_t* text : {L"4.5", L"4.5.0.0"}) {
    const VersionNumber written(text);
    EXPECT_FALSE(fromIntegers.IsLessThan(written)) << testing::PrintToString(std::wstring(text));
    EXPECT_FALSE(fromIntegers.IsGreaterThan(written)) << testing::PrintToString(std::wstring(text));
  }
  EXPECT_TRUE(fromIntegers.IsLessThan(VersionNumber(L"4.5.0.1")));
}

TEST(VersionNumberTest, CopiesEveryPartAndTheForm) {
  VersionNumber target(L"1.2.3.4");
  const VersionNumber source(L"4.5");
  target = source;
  EXPECT_EQ(target.form(), VersionNumber::kTwoParts);
  EXPECT_EQ(target.ToString(), L"4.5");
  EXPECT_EQ(target.revision(), L"0");
}

}  // namespace
}  // namespace quillo
