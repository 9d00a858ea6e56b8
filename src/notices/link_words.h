#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillo {

// A link inside a text: its first character and its length.
struct LinkSpan {
  uint16_t start = 0;
  uint16_t length = 0;
  friend bool operator==(const LinkSpan&, const LinkSpan&) = default;
};

// Blank, tab, carriage return and line feed end a word.
bool IsWordSeparator(wchar_t c);

// A word is a link when it begins with "http://" in any case; an empty word
// and one that begins with a separator are not.
bool IsLinkWord(const std::wstring& word);

// The links among the characters first ... last (inclusive) of `text`. A word
// that runs on past `last` is not a link yet. `isLink` decides for each word.
template <class LinkTest>
std::vector<LinkSpan> FindLinkSpans(const std::wstring& text, int32_t first, int32_t last, LinkTest isLink) {
  std::vector<LinkSpan> links;
  const auto size = static_cast<int32_t>(text.size());
  if (first < 0) first = 0;
  std::wstring word;
  int32_t start = first;
  for (int32_t index = first; index <= last && index < size; ++index) {
    const wchar_t c = text[static_cast<size_t>(index)];
    int32_t end = index;
    if (!IsWordSeparator(c)) {
      word += c;
      if (index + 1 < size) continue;
      end = size;  // the text ends with this word
    }
    if (isLink(word)) {
      links.push_back(LinkSpan{static_cast<uint16_t>(start), static_cast<uint16_t>(end - start)});
    }
    word.clear();
    start = index + 1;
  }
  return links;
}

inline std::vector<LinkSpan> FindLinkSpans(const std::wstring& text, int32_t first, int32_t last) {
  return FindLinkSpans(text, first, last, [](const std::wstring& word) { return IsLinkWord(word); });
}

// The link whose span holds the character `index`; empty when none does.
std::wstring LinkAt(const std::wstring& text, const std::vector<LinkSpan>& links, int32_t index);

}  // namespace quillo
