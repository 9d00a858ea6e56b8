#include "contract/registry_contract.h"
#include "fakes/fake_ports.h"

namespace quillo {
namespace {

struct FakeBackend {
  void CreateKey(const std::wstring& path) { registry.AddKey(path); }
  void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    registry.SetString(path, name, text);
  }
  void SetDword(const std::wstring& path, const std::wstring& name, uint32_t value) {
    registry.SetValue(path, name, RegistryValue::Dword(value));
  }
  RegistryPort& port() { return registry; }

  fakes::FakeRegistry registry;
};

}  // namespace
}  // namespace quillo

namespace quillo::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, quillo::FakeBackend);
}  // namespace quillo::contract

namespace quillo {
namespace {


TEST(FakeRegistryTest, ADeniedAccessFailsOnlyThatAccess) {
  fakes::FakeRegistry registry;
  const std::wstring key = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000";
  registry.SetString(key, L"ReleaseVersion", L"23.10.01.45");
  registry.Deny(key, KeyAccess::kAllAccess);
  EXPECT_FALSE(registry.ValueNames(key, KeyAccess::kAllAccess, 16383));
  ASSERT_TRUE(registry.ReadValue(key, L"ReleaseVersion", KeyAccess::kRead, 520));
}

}  // namespace
}  // namespace quillo
