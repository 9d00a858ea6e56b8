#include "ranges.h"

#include <gtest/gtest.h>

namespace vendor_server {
namespace {

struct RangeCase {
  const char* header;
  uint64_t size;
  RangeAnswer expected;
};

TEST(RangesTest, AnswersOneByteRange) {
  const RangeCase cases[] = {
      // No header, or one that is not a single byte range: the whole body.
      {"", 1000, {200, 0, 1000, ""}},
      {"items=0-10", 1000, {200, 0, 1000, ""}},
      {"bytes=0-10,20-30", 1000, {200, 0, 1000, ""}},
      {"bytes=abc-", 1000, {200, 0, 1000, ""}},
      {"bytes=5", 1000, {200, 0, 1000, ""}},
      {"bytes=-", 1000, {200, 0, 1000, ""}},
      {"bytes=500-100", 1000, {200, 0, 1000, ""}},
      // A resume: from the local file's size up to the size itself.
      {"bytes=400-1000", 1000, {206, 400, 600, "bytes 400-999/1000"}},
      {"bytes=0-1000", 1000, {206, 0, 1000, "bytes 0-999/1000"}},
      {"bytes=999-1000", 1000, {206, 999, 1, "bytes 999-999/1000"}},
      {"bytes=400-99999999999999999999999", 1000, {206, 400, 600, "bytes 400-999/1000"}},
      // Plain ranges.
      {"bytes=400-", 1000, {206, 400, 600, "bytes 400-999/1000"}},
      {"bytes=400-499", 1000, {206, 400, 100, "bytes 400-499/1000"}},
      {"bytes=7-7", 1000, {206, 7, 1, "bytes 7-7/1000"}},
      {"Bytes = 400 - 499 ", 1000, {206, 400, 100, "bytes 400-499/1000"}},
      {"bytes=-100", 1000, {206, 900, 100, "bytes 900-999/1000"}},
      {"bytes=-5000", 1000, {206, 0, 1000, "bytes 0-999/1000"}},
      // Nothing left to send.
      {"bytes=1000-1000", 1000, {416, 0, 0, "bytes */1000"}},
      {"bytes=1000-", 1000, {416, 0, 0, "bytes */1000"}},
      {"bytes=1200-1000", 1000, {416, 0, 0, "bytes */1000"}},
      {"bytes=99999999999999999999999-", 1000, {416, 0, 0, "bytes */1000"}},
      {"bytes=-0", 1000, {416, 0, 0, "bytes */1000"}},
      {"bytes=0-0", 0, {416, 0, 0, "bytes */0"}},
      {"bytes=-10", 0, {416, 0, 0, "bytes */0"}},
      {"", 0, {200, 0, 0, ""}},
  };
  for (const RangeCase& c : cases) {
    EXPECT_EQ(AnswerRange(c.header, c.size), c.expected) << "'" << c.header << "' of " << c.size << " bytes";
  }
}

}  // namespace
}  // namespace vendor_server
