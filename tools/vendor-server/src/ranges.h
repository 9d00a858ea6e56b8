#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendor_server {

// How to answer a GET of a body of `size` bytes.
struct RangeAnswer {
  int status = 200;          // 200 (whole body), 206 (one range) or 416 (nothing to send)
  uint64_t offset = 0;       // first byte sent
  uint64_t length = 0;       // bytes sent
  std::string contentRange;  // the Content-Range value for 206 and 416; empty for 200

  bool operator==(const RangeAnswer&) const = default;
};

// Answers the Range header `range` (empty: none). One range of bytes is
// served; an end at or past the size reads as "to the end" (clients that
// resume a download ask up to the size itself), and a start at or past the
// end is answered 416. A header that is not one byte range is ignored, as
// HTTP allows: the whole body goes out.
RangeAnswer AnswerRange(std::string_view range, uint64_t size);

}  // namespace vendor_server
