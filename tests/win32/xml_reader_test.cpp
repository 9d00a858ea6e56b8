#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

std::wstring WriteTempFile(const wchar_t* name, const std::string& content) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

struct Node {
  XmlNodeType type;
  std::wstring name;
  std::wstring value;
  friend bool operator==(const Node&, const Node&) = default;
};

std::ostream& operator<<(std::ostream& out, const Node& node) {
  return out << static_cast<int>(node.type) << ' ' << testing::PrintToString(node.name) << ' '
             << testing::PrintToString(node.value);
}

// Both byte sources: the program's own file stream and the shell's.
class XmlReaderSourceTest : public testing::TestWithParam<XmlOpenOptions> {};

TEST_P(XmlReaderSourceTest, ReportsNodesAttributesAndTheEndOfInput) {
  const std::wstring path = WriteTempFile(
      L"quillo-xml-test.xml",
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Root>\n  <Caption ID=\"IDS_OS\" Value=\"129\">Operating "
      "system</Caption>\n</Root>\n");
  XmlReaders readers;
  XmlOpenResult opened = readers.Open(path, GetParam());
  ASSERT_EQ(opened.status, XmlOpenResult::Status::kOpened);
  XmlReader& reader = *opened.reader;

  std::vector<Node> nodes;
  XmlNodeType type = XmlNodeType::kNone;
  int32_t result = kXmlOk;
  while ((result = reader.Read(&type)) == kXmlOk) {
    Node node{type, {}, {}};
    if (type == XmlNodeType::kElement) {
      reader.GetLocalName(&node.name);
      for (int32_t r = reader.MoveToFirstAttribute(); r == kXmlOk; r = reader.MoveToNextAttribute()) {
        std::wstring name, value;
        reader.GetLocalName(&name);
        reader.GetValue(&value);
        node.value += name + L"=" + value + L";";
      }
    } else if (type == XmlNodeType::kText) {
      reader.GetValue(&node.value);
    }
    if (type != XmlNodeType::kWhitespace && type != XmlNodeType::kXmlDeclaration) nodes.push_back(node);
  }
  EXPECT_EQ(result, kXmlNoMore);
  const std::vector<Node> expected = {
      {XmlNodeType::kElement, L"Root", L""},
      {XmlNodeType::kElement, L"Caption", L"ID=IDS_OS;Value=129;"},
      {XmlNodeType::kText, L"", L"Operating system"},
      {XmlNodeType::kEndElement, L"", L""},
      {XmlNodeType::kEndElement, L"", L""},
  };
  EXPECT_EQ(nodes, expected);
  opened.reader.reset();
  EXPECT_TRUE(DeleteFileW(path.c_str())) << "the reader let go of the file";
}

INSTANTIATE_TEST_SUITE_P(Sources, XmlReaderSourceTest,
                         testing::Values(XmlOpenOptions{XmlByteSource::kFileStream, false},
                                         XmlOpenOptions{XmlByteSource::kShellStream, true}));

TEST(XmlReaderTest, ReadsAValueInChunksUntilItIsExhausted) {
  const std::wstring path = WriteTempFile(L"quillo-xml-chunks.xml", "<a>Operating system</a>");
  XmlReaders readers;
  XmlOpenResult opened = readers.Open(path, XmlOpenOptions{});
  ASSERT_EQ(opened.status, XmlOpenResult::Status::kOpened);
  XmlNodeType type = XmlNodeType::kNone;
  do {
    ASSERT_EQ(opened.reader->Read(&type), kXmlOk);
  } while (type != XmlNodeType::kText);

  std::vector<std::wstring> pieces;
  wchar_t buffer[8] = {};
  uint32_t read = 0;
  while (opened.reader->ReadValueChunk(buffer, 7, &read) == kXmlOk && read > 0) pieces.emplace_back(buffer, read);
  const std::vector<std::wstring> expected = {L"Operati", L"ng syst", L"em"};
  EXPECT_EQ(pieces, expected);
  DeleteFileW(path.c_str());
}

TEST(XmlReaderTest, TellsAMissingFileFromABrokenDocument) {
  XmlReaders readers;
  for (XmlByteSource source : {XmlByteSource::kFileStream, XmlByteSource::kShellStream}) {
    EXPECT_EQ(readers.Open(L"C:\\no\\such\\file.xml", XmlOpenOptions{source, false}).status,
              XmlOpenResult::Status::kFileNotOpened);
  }

  // The last two end inside an element: some readers hand out the last node
  // again and again there, which must come out as an error, not as a hang.
  for (const char* broken : {"", "<Root><Caption></Root>", "<Root><a>", "<Root><a x=\"1\"/><b>"}) {
    const std::wstring path = WriteTempFile(L"quillo-xml-broken.xml", broken);
    XmlOpenResult opened = readers.Open(path, XmlOpenOptions{});
    ASSERT_EQ(opened.status, XmlOpenResult::Status::kOpened);
    XmlNodeType type = XmlNodeType::kNone;
    int32_t result = kXmlOk;
    int nodes = 0;
    while ((result = opened.reader->Read(&type)) == kXmlOk && ++nodes < 100) {
    }
    EXPECT_LT(result, 0) << "a broken document ends in an error, not the end of input: " << broken;
    EXPECT_LT(nodes, 100) << broken;
    opened.reader.reset();
    DeleteFileW(path.c_str());
  }
}

}  // namespace
}  // namespace quillo::win32
