#include "detect/system.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fakes/fake_ports.h"

namespace quillo {
namespace {

// Puts a 48-character brand text into the three brand leaves.
void SetBrand(fakes::FakeSystemInfo& system, uint32_t highestLeaf, const char* brand) {
  char text[48] = {};
  std::memcpy(text, brand, std::min<size_t>(std::strlen(brand), sizeof text));
  system.cpuid[0x80000000] = CpuidRegisters{highestLeaf, 0, 0, 0};
  for (uint32_t i = 0; i < 3; ++i) {
    uint32_t words[4];
    std::memcpy(words, text + i * 16, sizeof words);
    system.cpuid[0x80000002 + i] = CpuidRegisters{words[0], words[1], words[2], words[3]};
  }
}

TEST(ProcessorBrandTest, ReadsTheBrandLeavesAsTheyStand) {
  struct Case {
    uint32_t highestLeaf;
    const char* brand;
    const wchar_t* expected;
    bool result;
  };
  const Case cases[] = {
      {0x80000008, "Velmora Core V7-4410 @ 3.20GHz", L"Velmora Core V7-4410 @ 3.20GHz", true},
      // Blanks the processor puts in stay.
      {0x80000004, "       Velmora Core V5 CPU", L"       Velmora Core V5 CPU", true},
      // Only two brand leaves: the first 32 characters.
      {0x80000003, "0123456789abcdef0123456789ABCDEF-and-more", L"0123456789abcdef0123456789ABCDEF", false},
      {0x7FFFFFFF, "never read", L"", false},
  };
  for (const Case& c : cases) {
    fakes::FakeSystemInfo system;
    SetBrand(system, c.highestLeaf, c.brand);
    std::wstring brand = L"previous";
    EXPECT_EQ(GetProcessorBrand(system, brand), c.result) << c.brand;
    EXPECT_EQ(brand, c.expected) << c.brand;
  }
}

TEST(ProcessorBrandTest, TrimsOnlyLeadingBlanks) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"   Velmora Core ", L"Velmora Core "}, {L"\tVelmora", L"\tVelmora"}, {L"    ", L""}, {L"", L""},
      {L"Velmora", L"Velmora"},
  };
  for (const auto& [text, expected] : cases) {
    std::wstring trimmed = text;
    TrimLeadingBlanks(trimmed);
    EXPECT_EQ(trimmed, expected) << testing::PrintToString(std::wstring(text));
  }
}

TEST(OperatingSystemTest, GatesFollowTheVersion) {
  struct Case {
    std::optional<WindowsVersion> version;
    bool olderThan2000, xp, vista, sevenOrLater;
  };
  const Case cases[] = {
      {WindowsVersion{4, 0, 1381}, true, false, false, false},
      {WindowsVersion{5, 0, 2195}, false, false, false, false},
      {WindowsVersion{5, 1, 2600}, false, true, false, false},
      {WindowsVersion{5, 2, 3790}, false, false, false, false},
      {WindowsVersion{6, 0, 6002}, false, false, true, false},
      {WindowsVersion{6, 1, 7601}, false, false, false, true},
      {WindowsVersion{6, 2, 9200}, false, false, false, true},
      {WindowsVersion{6, 3, 9600}, false, false, false, true},
      {WindowsVersion{7, 0, 0}, false, false, false, true},
      {WindowsVersion{10, 0, 19045}, false, false, false, true},
      {std::nullopt, false, false, false, false},
  };
  for (const Case& c : cases) {
    fakes::FakeSystemInfo system;
    system.version = c.version;
    const std::string label =
        c.version ? std::to_string(c.version->major) + "." + std::to_string(c.version->minor) : "failed query";
    EXPECT_EQ(IsOlderThanWindows2000(system), c.olderThan2000) << label;
    EXPECT_EQ(IsWindowsXP(system), c.xp) << label;
    EXPECT_EQ(IsWindowsVista(system), c.vista) << label;
    EXPECT_EQ(IsWindows7OrLater(system), c.sevenOrLater) << label;
  }
}

TEST(OperatingSystemTest, VersionRecordCarriesTheBitnessAndFailsWithoutAQuery) {
  fakes::FakeSystemInfo system;
  system.version = WindowsVersion{6, 3, 9600};
  system.wow64 = false;
  OsVersionInfo info;
  ASSERT_TRUE(GetOsVersionInfo(system, info));
  EXPECT_EQ(info.major, 6u);
  EXPECT_EQ(info.minor, 3u);
  EXPECT_EQ(info.build, 9600u);
  EXPECT_FALSE(info.is64BitSystem);

  system.version = std::nullopt;
  OsVersionInfo untouched{1, 2, 3, true};
  EXPECT_FALSE(GetOsVersionInfo(system, untouched));
  EXPECT_EQ(untouched.major, 1u);
  EXPECT_TRUE(untouched.is64BitSystem);
}

TEST(OperatingSystemTest, NamesWindowsByVersionAndBitness) {
  struct Case {
    uint32_t major, minor;
    bool is64;
    OsNames expected;
  };
  const Case cases[] = {
      {6, 1, false, {L"Windows 7 32-bit", L"Windows 7 - 32 Bit", L"Windows7", L"32"}},
      {6, 1, true, {L"Windows 7 64-bit", L"Windows 7 - 64 Bit", L"Windows7", L"64"}},
      {6, 2, true, {L"Windows 8 64-bit", L"Windows 8 - 64 Bit", L"Windows8", L"64"}},
      {6, 3, true, {L"Windows 8.1 64-bit", L"Windows 8.1 - 64 Bit", L"Windows8.1", L"64"}},
      {6, 3, false, {L"Windows 8.1 32-bit", L"Windows 8.1 - 32 Bit", L"Windows8.1", L"32"}},
      {10, 0, true, {L"Windows 10 64-bit", L"Windows 10 - 64 Bit", L"Windows10", L"64"}},
      // Any other version leaves every name as it was.
      {6, 0, true, {L"kept", L"kept", L"kept", L"kept"}},
      {6, 4, true, {L"kept", L"kept", L"kept", L"kept"}},
      {10, 1, true, {L"kept", L"kept", L"kept", L"kept"}},
      {11, 0, true, {L"kept", L"kept", L"kept", L"kept"}},
  };
  for (const Case& c : cases) {
    OsNames names{L"kept", L"kept", L"kept", L"kept"};
    GetOsNames(OsVersionInfo{c.major, c.minor, 0, c.is64}, names);
    const std::string label = std::to_string(c.major) + "." + std::to_string(c.minor) + (c.is64 ? " 64" : " 32");
    EXPECT_EQ(names.displayName, c.expected.displayName) << label;
    EXPECT_EQ(names.catalogueName, c.expected.catalogueName) << label;
    EXPECT_EQ(names.shortName, c.expected.shortName) << label;
    EXPECT_EQ(names.bitnessText, c.expected.bitnessText) << label;
  }
}

}  // namespace
}  // namespace quillo
