#include "ranges.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <optional>

namespace vendor_server {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Digits only; a number too large for 64 bits reads as the largest one,
// which is past the end of any body.
std::optional<uint64_t> Position(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) return std::numeric_limits<uint64_t>::max();
  if (error != std::errc()) return std::nullopt;
  return value;
}

// The unit is case-insensitive; blanks may stand around the "=".
std::optional<std::string_view> ByteRanges(std::string_view header) {
  constexpr std::string_view kUnit = "bytes";
  if (header.size() < kUnit.size()) return std::nullopt;
  for (size_t i = 0; i < kUnit.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(header[i])) != kUnit[i]) return std::nullopt;
  }
  const std::string_view rest = Trim(header.substr(kUnit.size()));
  if (rest.empty() || rest.front() != '=') return std::nullopt;
  return rest.substr(1);
}

RangeAnswer Whole(uint64_t size) { return {200, 0, size, {}}; }

RangeAnswer Unsatisfiable(uint64_t size) { return {416, 0, 0, "bytes */" + std::to_string(size)}; }

RangeAnswer Part(uint64_t first, uint64_t last, uint64_t size) {
  return {206, first, last - first + 1,
          "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size)};
}

}  // namespace

RangeAnswer AnswerRange(std::string_view range, uint64_t size) {
  const std::optional<std::string_view> ranges = ByteRanges(Trim(range));
  if (!ranges) return Whole(size);
  if (ranges->find(',') != std::string_view::npos) return Whole(size);
  const size_t dash = ranges->find('-');
  if (dash == std::string_view::npos) return Whole(size);
  const std::string_view firstText = Trim(ranges->substr(0, dash));
  const std::string_view lastText = Trim(ranges->substr(dash + 1));

  if (firstText.empty()) {  // the last N bytes
    const std::optional<uint64_t> suffix = Position(lastText);
    if (!suffix) return Whole(size);
    if (*suffix == 0 || size == 0) return Unsatisfiable(size);
    return Part(*suffix >= size ? 0 : size - *suffix, size - 1, size);
  }

  const std::optional<uint64_t> first = Position(firstText);
  if (!first) return Whole(size);
  std::optional<uint64_t> last;
  if (!lastText.empty()) {
    last = Position(lastText);
    if (!last) return Whole(size);
  }
  if (*first >= size) return Unsatisfiable(size);
  if (last && *last < *first) return Whole(size);
  return Part(*first, last && *last < size ? *last : size - 1, size);
}

}  // namespace vendor_server
