#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// The demo profile is 64-bit Windows 10 in English. The test program carries
// the product's manifest, so the system reports 10.0 rather than 6.2.
TEST(SystemInfoTest, ReportsTheProfilesWindows) {
  SystemInfo info;
  const auto version = info.Version();
  ASSERT_TRUE(version);
  EXPECT_EQ(version->major, 10u);
  EXPECT_EQ(version->minor, 0u);
  EXPECT_TRUE(info.IsWow64());
  EXPECT_EQ(info.UserDefaultUiLanguage(), 0x0409);
}

TEST(SystemInfoTest, TempPathIsAnExistingFolderEndingInABackslash) {
  SystemInfo info;
  const std::wstring temp = info.TempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
  const DWORD attributes = GetFileAttributesW(temp.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SystemInfoTest, CpuidAnswersTheVendorLeaf) {
  SystemInfo info;
  const CpuidRegisters leaf0 = info.Cpuid(0);
  char vendor[13] = {};
  memcpy(vendor, &leaf0.ebx, 4);
  memcpy(vendor + 4, &leaf0.edx, 4);
  memcpy(vendor + 8, &leaf0.ecx, 4);
  EXPECT_EQ(strlen(vendor), 12u) << vendor;
}

TEST(SystemInfoTest, AnsiTextUsesTheCodePageAndItsDefaultCharacter) {
  SystemInfo info;
  ASSERT_EQ(GetACP(), 1252u) << "an English system uses the Western code page";
  EXPECT_EQ(info.ToAnsi(L"Gr\u00fc\u00dfe \u20ac"), "Gr\xfc\xdf" "e \x80");
  EXPECT_EQ(info.ToAnsi(L"a\u65e5b"), "a?b");
  EXPECT_EQ(info.ToAnsi(L""), "");
}

}  // namespace
}  // namespace quillo::win32
