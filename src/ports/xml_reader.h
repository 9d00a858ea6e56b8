#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quillo {

// Node kinds, numbered as the pull reader reports them.
enum class XmlNodeType : int32_t {
  kNone = 0,
  kElement = 1,
  kAttribute = 2,
  kText = 3,
  kCData = 4,
  kProcessingInstruction = 7,
  kComment = 8,
  kDocumentType = 10,
  kWhitespace = 13,
  kEndElement = 15,
  kXmlDeclaration = 17,
};

// Reader results: 0 done, 1 nothing (more) there, which is not an error; any
// other value is an error code (a negative 32-bit result code).
inline constexpr int32_t kXmlOk = 0;
inline constexpr int32_t kXmlNoMore = 1;

// A forward-only pull reader over one document.
class XmlReader {
 public:
  virtual ~XmlReader() = default;
  virtual int32_t Read(XmlNodeType* nodeType) = 0;
  virtual int32_t MoveToFirstAttribute() = 0;
  virtual int32_t MoveToNextAttribute() = 0;
  // True for an attribute supplied by a schema default.
  virtual bool IsDefault() = 0;
  virtual bool IsEmptyElement() = 0;
  virtual int32_t GetPrefix(std::wstring* prefix) = 0;
  virtual int32_t GetLocalName(std::wstring* localName) = 0;
  virtual int32_t GetValue(std::wstring* value) = 0;
  // Reads the current node's value in pieces of at most maxChars characters;
  // 1 with 0 characters once the value is exhausted.
  virtual int32_t ReadValueChunk(wchar_t* buffer, uint32_t maxChars, uint32_t* charsRead) = 0;
};

// Where the reader's bytes come from. On Windows the driver catalogue and the
// caption tables are read through the program's own stream over a file
// handle, the feature catalogue through the shell's stream on the file; other
// platforms read the file the same way for both.
enum class XmlByteSource { kFileStream, kShellStream };

struct XmlOpenOptions {
  XmlByteSource source = XmlByteSource::kFileStream;
  // Sets the reader's DTD processing to "prohibit". XmlLite prohibits a DTD
  // unless told otherwise, so a document with one is refused either way.
  bool prohibitDtd = false;
};

struct XmlOpenResult {
  enum class Status { kOpened, kFileNotOpened, kReaderNotCreated, kPropertyNotSet, kInputNotSet };
  Status status = Status::kFileNotOpened;
  int32_t error = 0;  // result code of the failed step
  std::unique_ptr<XmlReader> reader;
};

class XmlReaderPort {
 public:
  virtual ~XmlReaderPort() = default;
  // Opens the file read-only (read sharing) and sets it as the reader's input.
  virtual XmlOpenResult Open(const std::wstring& path, const XmlOpenOptions& options) = 0;
};

}  // namespace quillo
