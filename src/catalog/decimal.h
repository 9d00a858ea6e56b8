#pragma once

#include <cstdint>
#include <string_view>

namespace quillo {

// A text read as a decimal integer the way the C runtime reads one: leading
// white space skipped, an optional sign, then digits up to the first
// non-digit; 0 when there are none. Values beyond the type's range saturate.
int32_t DecimalInt32(std::wstring_view text);
int64_t DecimalInt64(std::wstring_view text);

}  // namespace quillo
