#include "app/version_number.h"

#include <cwchar>
#include <vector>

namespace quillo {
namespace {

std::vector<std::wstring> SplitAtDots(const std::wstring& text) {
  std::vector<std::wstring> tokens;
  std::wstring current;
  for (wchar_t c : text) {
    if (c == L'.') {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

bool AllDigits(const std::wstring& token) {
  for (wchar_t c : token) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

// The runtime's text-to-double reading: leading blanks skipped, stops at the
// first character that cannot continue a number, empty text reads as 0.
double PartValue(const std::wstring& part) { return std::wcstod(part.c_str(), nullptr); }

}  // namespace

VersionNumber::VersionNumber(const int& major, const int& minor, const int& sub, const int& revision)
    : major_(std::to_wstring(major)), minor_(std::to_wstring(minor)) {
  if (sub == -1) {
    sub_.clear();
    revision_.clear();
    form_ = kTwoParts;
  } else if (revision == -1) {
    sub_ = std::to_wstring(sub);
    revision_.clear();
    form_ = kThreeParts;
  } else {
    sub_ = std::to_wstring(sub);
    revision_ = std::to_wstring(revision);
    form_ = kFourParts;
  }
}

VersionNumber::VersionNumber(const std::wstring& text) {
  SetAll(L"x");
  form_ = kInvalid;

  const std::vector<std::wstring> tokens = SplitAtDots(text);
  if (text == L"*") {
    SetAll(L"*");
    form_ = kWildcard;
  }
  switch (tokens.size()) {
    case 4:
      form_ = kFourParts;
      major_ = tokens[0], minor_ = tokens[1], sub_ = tokens[2], revision_ = tokens[3];
      break;
    case 3:
      form_ = kThreeParts;
      major_ = tokens[0], minor_ = tokens[1], sub_ = tokens[2], revision_ = L"0";
      break;
    case 2:
      form_ = kTwoParts;
      major_ = tokens[0], minor_ = tokens[1], sub_ = L"0", revision_ = L"0";
      break;
    default:
      break;
  }
  if (form_ >= kTwoParts && form_ <= kFourParts) {
    for (const std::wstring& token : tokens) {
      if (!AllDigits(token)) form_ = kInvalid;
    }
  }
  if (form_ == kInvalid) SetAll(L"x");
}

void VersionNumber::SetAll(const wchar_t* text) { major_ = minor_ = sub_ = revision_ = text; }

std::wstring VersionNumber::ToString() const {
  switch (form_) {
    case kInvalid:
    case kTwoParts:
      return major_ + L"." + minor_;
    case kThreeParts:
      return major_ + L"." + minor_ + L"." + sub_;
    case kFourParts:
    case kWildcard:
      break;
  }
  return major_ + L"." + minor_ + L"." + sub_ + L"." + revision_;
}

int VersionNumber::Compare(const VersionNumber& other) const {
  const std::wstring* mine[] = {&major_, &minor_, &sub_, &revision_};
  const std::wstring* theirs[] = {&other.major_, &other.minor_, &other.sub_, &other.revision_};
  for (int i = 0; i < 4; ++i) {
    const double a = PartValue(*mine[i]);
    const double b = PartValue(*theirs[i]);
    if (a < b) return -1;
    if (a > b) return 1;
  }
  return 0;
}

bool VersionNumber::IsLessThan(const VersionNumber& other) const {
  if (form_ == kWildcard || other.form_ == kWildcard) return true;
  if (form_ == kInvalid || other.form_ == kInvalid) return false;
  return Compare(other) < 0;
}

bool VersionNumber::IsGreaterThan(const VersionNumber& other) const {
  if (form_ == kWildcard || other.form_ == kWildcard) return true;
  if (form_ == kInvalid || other.form_ == kInvalid) return false;
  return Compare(other) > 0;
}

}  // namespace quillo
