#pragma once

#include <string>

namespace quillo {

// A dotted version of up to four parts, kept as text and compared part by
// part by numeric value ("10.0" is greater than "9.9").
class VersionNumber {
 public:
  enum Form { kInvalid = 0, kTwoParts = 1, kThreeParts = 2, kFourParts = 3, kWildcard = 4 };

  // 0.0.0.0
  VersionNumber() = default;
  // -1 in sub or revision means the part is absent.
  VersionNumber(const int& major, const int& minor, const int& sub, const int& revision);
  explicit VersionNumber(const std::wstring& text);

  std::wstring ToString() const;
  bool IsLessThan(const VersionNumber& other) const;
  bool IsGreaterThan(const VersionNumber& other) const;

  const std::wstring& major() const { return major_; }
  const std::wstring& minor() const { return minor_; }
  const std::wstring& sub() const { return sub_; }
  const std::wstring& revision() const { return revision_; }
  Form form() const { return form_; }

 private:
  // <0, 0 or >0 as this is below, equal to or above other; both valid, neither a wildcard.
  int Compare(const VersionNumber& other) const;
  void SetAll(const wchar_t* text);

  std::wstring major_ = L"0";
  std::wstring minor_ = L"0";
  std::wstring sub_ = L"0";
  std::wstring revision_ = L"0";
  Form form_ = kFourParts;
};

}  // namespace quillo
