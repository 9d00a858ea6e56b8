#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

TEST(ResourcesTest, FindsABinaryResourceByNumberAndType) {
  Resources resources;
  const auto bytes = resources.Find(300, L"BINARY");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "resource bytes\n");
  EXPECT_FALSE(resources.Find(301, L"BINARY"));
  EXPECT_FALSE(resources.Find(300, L"OTHER"));
}

}  // namespace
}  // namespace quillo::win32
