#include "notices/link_words.h"

#include <cwctype>

namespace quillo {

bool IsWordSeparator(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool IsLinkWord(const std::wstring& word) {
  if (word.empty() || IsWordSeparator(word[0])) return false;
  std::wstring prefix = word.substr(0, 7);
  for (wchar_t& c : prefix) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return prefix == L"http://";
}

std::wstring LinkAt(const std::wstring& text, const std::vector<LinkSpan>& links, int32_t index) {
  for (const LinkSpan& link : links) {
    if (link.start <= index && index < link.start + link.length) {
      if (link.start + link.length > text.size()) return std::wstring();
      return text.substr(link.start, link.length);
    }
  }
  return std::wstring();
}

}  // namespace quillo
