#include "notices/link_words.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(LinkWordTest, AWordIsALinkWhenItStartsWithThePlainWebSchemeInAnyCase) {
  const struct {
    const wchar_t* word;
    bool link;
  } cases[] = {
      {L"http://velmora.example/guide", true},
      {L"HTTP://VELMORA.EXAMPLE", true},
      {L"hTtP://", true},
      {L"http://", true},
      {L"https://velmora.example", false},
      {L"velmora.example/guide", false},
      {L"www.velmora.example", false},
      {L"http:/", false},
      {L"http:", false},
      {L"xhttp://a", false},
      {L"", false},
      {L" http://a", false},
      {L"\thttp://a", false},
      {L"\rhttp://a", false},
      {L"\nhttp://a", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLinkWord(c.word), c.link) << testing::PrintToString(std::wstring(c.word));
  }
}

TEST(LinkSpanTest, FindsTheLinksAmongTheVisibleCharacters) {
  // The links start at 4, 24 and 54; the text is 62 characters long.
  const std::wstring text = L"See http://a.test/x and\tHTTP://b.test\r\nhttps://c.test http://d";
  const auto size = static_cast<int32_t>(text.size());
  EXPECT_EQ(FindLinkSpans(text, 0, size),
            (std::vector<LinkSpan>{{4, 15}, {24, 13}, {54, 8}}));
  // The last word reaches the end of the text: it ends there.
  EXPECT_EQ(FindLinkSpans(text, 0, size - 1).back(), (LinkSpan{54, 8}));
  // The last visible character is inside the last link: that link is not complete yet.
  EXPECT_EQ(FindLinkSpans(text, 0, 58), (std::vector<LinkSpan>{{4, 15}, {24, 13}}));
  // Starting in the middle of a link: its tail is a word of its own, and no link.
  EXPECT_EQ(FindLinkSpans(text, 6, size), (std::vector<LinkSpan>{{24, 13}, {54, 8}}));
  EXPECT_TRUE(FindLinkSpans(L"", 0, 0).empty());
  EXPECT_TRUE(FindLinkSpans(L"no links here", 0, 13).empty());
}

TEST(LinkSpanTest, TheLinkUnderACharacterIsItsWholeWord) {
  const std::wstring text = L"See http://a.test/x and http://b.test";
  const auto links = FindLinkSpans(text, 0, static_cast<int32_t>(text.size()));
  EXPECT_EQ(LinkAt(text, links, 4), L"http://a.test/x");
  EXPECT_EQ(LinkAt(text, links, 18), L"http://a.test/x");
  EXPECT_EQ(LinkAt(text, links, 19), L"") << "the blank after the link";
  EXPECT_EQ(LinkAt(text, links, 0), L"");
  EXPECT_EQ(LinkAt(text, links, 36), L"http://b.test");
  EXPECT_EQ(LinkAt(text, links, 37), L"");
  EXPECT_EQ(LinkAt(L"", links, 4), L"") << "spans of another text find nothing beyond its end";
}

}  // namespace
}  // namespace quillo
