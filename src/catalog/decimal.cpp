#include "catalog/decimal.h"

#include <limits>

namespace quillo {
namespace {

template <typename Int>
Int Decimal(std::wstring_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == L' ' || (text[at] >= L'\t' && text[at] <= L'\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
  // Accumulated towards the sign's side so that the most negative value fits.
  Int value = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    const Int digit = static_cast<Int>(text[at] - L'0');
    if (negative) {
      if (value < (std::numeric_limits<Int>::min() + digit) / 10) return std::numeric_limits<Int>::min();
      value = static_cast<Int>(value * 10 - digit);
    } else {
      if (value > (std::numeric_limits<Int>::max() - digit) / 10) return std::numeric_limits<Int>::max();
      value = static_cast<Int>(value * 10 + digit);
    }
  }
  return value;
}

}  // namespace

int32_t DecimalInt32(std::wstring_view text) { return Decimal<int32_t>(text); }
int64_t DecimalInt64(std::wstring_view text) { return Decimal<int64_t>(text); }

}  // namespace quillo
