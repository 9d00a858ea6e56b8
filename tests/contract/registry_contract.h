#pragma once

// What every RegistryPort does, checked on the fake natively and on the real
// registry under Wine, so that the core's tests hold on Windows too.
//
// A backend type supplies: CreateKey(path), SetString(path, name, text),
// SetDword(path, name, value) and port(). The layout is written through it
// before each test.

#include <gtest/gtest.h>

#include <set>

#include "ports/registry.h"

namespace quillo::contract {

inline const std::wstring kContractRoot = L"SOFTWARE\\QuilloContract";

template <typename Backend>
class RegistryContract : public testing::Test {
 protected:
  void SetUp() override {
    backend_.CreateKey(kContractRoot + L"\\Names\\beta");
    backend_.CreateKey(kContractRoot + L"\\Names\\Alpha");
    backend_.CreateKey(kContractRoot + L"\\Names\\Gamma-is-long");
    backend_.CreateKey(kContractRoot + L"\\Names\\delta");
    backend_.SetString(kContractRoot + L"\\Values", L"Zulu", L"first");
    backend_.SetString(kContractRoot + L"\\Values", L"Version", L"4.8.04084");
    backend_.SetDword(kContractRoot + L"\\Values", L"Release", 528040);
    // 259 characters and the terminator fill 520 bytes exactly; 260 do not.
    backend_.SetString(kContractRoot + L"\\Values", L"Fits", std::wstring(259, L'f'));
    backend_.SetString(kContractRoot + L"\\Values", L"TooLong", std::wstring(260, L't'));
  }
  RegistryPort& port() { return backend_.port(); }

  Backend backend_;
};

TYPED_TEST_SUITE_P(RegistryContract);

TYPED_TEST_P(RegistryContract, AMissingKeyGivesNothing) {
  RegistryPort& registry = this->port();
  const std::wstring missing = kContractRoot + L"\\Missing";
  EXPECT_FALSE(registry.SubkeyNames(missing, KeyAccess::kEnumerateSubKeys, 255));
  EXPECT_FALSE(registry.ValueNames(missing, KeyAccess::kRead, 16383));
  EXPECT_FALSE(registry.ReadValue(missing, L"Version", KeyAccess::kRead, 520));
}

TYPED_TEST_P(RegistryContract, SubkeysComeInNameOrderAndALongNameLeavesAGap) {
  const auto names = this->port().SubkeyNames(kContractRoot + L"\\Names", KeyAccess::kEnumerateSubKeys, 10);
  ASSERT_TRUE(names);
  ASSERT_EQ(names->size(), 4u);
  EXPECT_EQ((*names)[0], L"Alpha");
  EXPECT_EQ((*names)[1], L"beta");
  EXPECT_EQ((*names)[2], L"delta");
  EXPECT_FALSE((*names)[3]) << "\"Gamma-is-long\" does not fit a buffer of 10 characters";
}

// Windows lists values in the order they were set and Wine in name order;
// callers must not depend on either.
TYPED_TEST_P(RegistryContract, ListsEveryValueOnce) {
  const auto names = this->port().ValueNames(kContractRoot + L"\\Values", KeyAccess::kRead, 16383);
  ASSERT_TRUE(names);
  const std::multiset<std::optional<std::wstring>> found(names->begin(), names->end());
  const std::multiset<std::optional<std::wstring>> expected = {L"Zulu", L"Version", L"Release", L"Fits", L"TooLong"};
  EXPECT_EQ(found, expected);
}

TYPED_TEST_P(RegistryContract, ReadsValuesThatFitTheBuffer) {
  RegistryPort& registry = this->port();
  const std::wstring key = kContractRoot + L"\\Values";

  const auto version = registry.ReadValue(key, L"version", KeyAccess::kRead, 520);
  ASSERT_TRUE(version) << "value names compare without regard to case";
  EXPECT_EQ(version->type, kRegSz);
  EXPECT_EQ(version->Text(), L"4.8.04084");

  const auto release = registry.ReadValue(key, L"Release", KeyAccess::kAllAccess, 520);
  ASSERT_TRUE(release);
  EXPECT_EQ(release->type, kRegDword);
  EXPECT_EQ(release->data, RegistryValue::Dword(528040).data);

  const auto fits = registry.ReadValue(key, L"Fits", KeyAccess::kRead, 520);
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->Text(), std::wstring(259, L'f'));
  EXPECT_FALSE(registry.ReadValue(key, L"TooLong", KeyAccess::kRead, 520));
  EXPECT_FALSE(registry.ReadValue(key, L"Absent", KeyAccess::kRead, 520));
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, AMissingKeyGivesNothing,
                            SubkeysComeInNameOrderAndALongNameLeavesAGap, ListsEveryValueOnce,
                            ReadsValuesThatFitTheBuffer);

}  // namespace quillo::contract
