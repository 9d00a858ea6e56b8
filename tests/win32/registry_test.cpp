#include <windows.h>

#include <gtest/gtest.h>

#include "contract/registry_contract.h"
#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// Writes the contract's layout into the real registry, in the 32-bit view the
// adapter reads, and removes it again.
struct Win32Backend {
  Win32Backend() { DeleteLayout(); }
  ~Win32Backend() { DeleteLayout(); }
  static void DeleteLayout() {
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &root) == ERROR_SUCCESS) {
      RegDeleteTreeW(root, L"QuilloContract");
      RegCloseKey(root);
    }
  }
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  static HKEY Create(const std::wstring& path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << testing::PrintToString(path);
    return key;
  }
  void CreateKey(const std::wstring& path) { RegCloseKey(Create(path)); }
  void Set(const std::wstring& path, const std::wstring& name, const RegistryValue& value) {
    HKEY key = Create(path);
    RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
  }
  void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    Set(path, name, RegistryValue::String(text));
  }
  void SetDword(const std::wstring& path, const std::wstring& name, uint32_t value) {
    Set(path, name, RegistryValue::Dword(value));
  }
  RegistryPort& port() { return registry; }

  Registry registry;
};

}  // namespace
}  // namespace quillo::win32

namespace quillo::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryContract, quillo::win32::Win32Backend);
}  // namespace quillo::contract

namespace quillo::win32 {
namespace {


// The demo profile's keys, read as the 32-bit program reads them.
TEST(RegistryTest, ReadsTheProfilesFrameworkAndCatalogueKeys) {
  Registry registry;
  const auto versions = registry.SubkeyNames(L"Software\\Microsoft\\NET Framework Setup\\NDP",
                                             KeyAccess::kEnumerateSubKeys, 260);
  ASSERT_TRUE(versions);
  const RegistryNames expected = {L"v2.0.50727", L"v3.5", L"v4"};
  EXPECT_EQ(*versions, expected);

  const auto client = registry.ReadValue(L"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client", L"Version",
                                         KeyAccess::kRead, 520);
  ASSERT_TRUE(client);
  EXPECT_EQ(client->Text(), L"4.8.04084");

  const std::wstring source = L"SOFTWARE\\Wow6432Node\\VelmoraQuillo";
  ASSERT_TRUE(registry.ReadValue(source, L"Production", KeyAccess::kAllAccess, 520));
  EXPECT_FALSE(registry.ReadValue(source, L"Local", KeyAccess::kAllAccess, 520));
}

}  // namespace
}  // namespace quillo::win32
