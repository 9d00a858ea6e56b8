#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/xmlreader.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/libxml2/libxml2_ports.h"
#include "ports/utf8.h"

namespace quillo::libxml2 {
namespace {

// XmlLite's result codes for the faults both readers recognise.
constexpr uint32_t kInputEnd = 0xC00CEE01;           // MX_E_INPUTEND
constexpr uint32_t kEncoding = 0xC00CEE02;           // MX_E_ENCODING
constexpr uint32_t kGreaterThan = 0xC00CEE23;        // WC_E_GREATERTHAN
constexpr uint32_t kQuote = 0xC00CEE24;              // WC_E_QUOTE
constexpr uint32_t kEqual = 0xC00CEE25;              // WC_E_EQUAL
constexpr uint32_t kLessThan = 0xC00CEE26;           // WC_E_LESSTHAN
constexpr uint32_t kHexDigit = 0xC00CEE27;           // WC_E_HEXDIGIT
constexpr uint32_t kDigit = 0xC00CEE28;              // WC_E_DIGIT
constexpr uint32_t kXmlCharacter = 0xC00CEE2B;       // WC_E_XMLCHARACTER
constexpr uint32_t kSyntax = 0xC00CEE2D;             // WC_E_SYNTAX
constexpr uint32_t kCDataSection = 0xC00CEE2E;       // WC_E_CDSECT
constexpr uint32_t kComment = 0xC00CEE2F;            // WC_E_COMMENT
constexpr uint32_t kName = 0xC00CEE39;               // WC_E_NAME
constexpr uint32_t kElementMatch = 0xC00CEE3B;       // WC_E_ELEMENTMATCH
constexpr uint32_t kUniqueAttribute = 0xC00CEE3C;    // WC_E_UNIQUEATTRIBUTE
constexpr uint32_t kLeadingXml = 0xC00CEE3E;         // WC_E_LEADINGXML
constexpr uint32_t kXmlDeclaration = 0xC00CEE40;     // WC_E_XMLDECL
constexpr uint32_t kEncodingName = 0xC00CEE41;       // WC_E_ENCNAME
constexpr uint32_t kUndeclaredEntity = 0xC00CEE47;   // WC_E_UNDECLAREDENTITY
constexpr uint32_t kProcessingInstruction = 0xC00CEE4A;  // WC_E_PI
constexpr uint32_t kDtdProhibited = 0xC00CEE4F;      // WC_E_DTDPROHIBITED
constexpr uint32_t kUndeclaredPrefix = 0xC00CEE65;   // NC_E_UNDECLAREDPREFIX
constexpr uint32_t kFailed = 0x80004005;             // E_FAIL: the input itself could not be read

int32_t Code(uint32_t code) { return static_cast<int32_t>(code); }

int32_t XmlLiteCode(const xmlError& error) {
  if (error.domain == XML_FROM_NAMESPACE) return Code(kUndeclaredPrefix);
  switch (error.code) {
    case XML_ERR_DOCUMENT_END: {
      // Raised both for an input that ends inside the document and for
      // content after its end; only the parser's state tells them apart.
      const auto* parser = static_cast<const xmlParserCtxt*>(error.ctxt);
      const bool afterRoot = parser != nullptr && parser->instate == XML_PARSER_EPILOG;
      return Code(afterRoot ? kSyntax : kInputEnd);
    }
    case XML_ERR_DOCUMENT_EMPTY:
      return Code(kSyntax);
    case XML_ERR_TAG_NAME_MISMATCH:
    case XML_ERR_LTSLASH_REQUIRED:
      return Code(kElementMatch);
    case XML_ERR_LT_IN_ATTRIBUTE:
    case XML_ERR_LT_REQUIRED:
      return Code(kLessThan);
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
      return Code(kQuote);
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
    case XML_ERR_EQUAL_REQUIRED:
      return Code(kEqual);
    case XML_ERR_ATTRIBUTE_REDEFINED:
      return Code(kUniqueAttribute);
    case XML_ERR_GT_REQUIRED:
      return Code(kGreaterThan);
    case XML_ERR_INVALID_HEX_CHARREF:
      return Code(kHexDigit);
    case XML_ERR_INVALID_DEC_CHARREF:
      return Code(kDigit);
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_CHARREF:
      return Code(kXmlCharacter);
    case XML_ERR_INVALID_ENCODING:
    case XML_ERR_UNKNOWN_ENCODING:
    case XML_ERR_UNSUPPORTED_ENCODING:
      return Code(kEncoding);
    case XML_ERR_ENCODING_NAME:
      return Code(kEncodingName);
    case XML_ERR_NAME_REQUIRED:
    case XML_ERR_NAME_TOO_LONG:
      return Code(kName);
    case XML_ERR_COMMENT_NOT_FINISHED:
    case XML_ERR_HYPHEN_IN_COMMENT:
      return Code(kComment);
    case XML_ERR_CDATA_NOT_FINISHED:
    case XML_ERR_MISPLACED_CDATA_END:
      return Code(kCDataSection);
    case XML_ERR_PI_NOT_STARTED:
    case XML_ERR_PI_NOT_FINISHED:
      return Code(kProcessingInstruction);
    case XML_ERR_RESERVED_XML_NAME:
      return Code(kLeadingXml);
    case XML_ERR_XMLDECL_NOT_STARTED:
    case XML_ERR_XMLDECL_NOT_FINISHED:
    case XML_ERR_VERSION_MISSING:
    case XML_ERR_STANDALONE_VALUE:
      return Code(kXmlDeclaration);
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
      return Code(kUndeclaredEntity);
    default:
      return Code(kSyntax);
  }
}

// Faults of the XML declaration itself: XmlLite reports them instead of the
// declaration node.
bool IsDeclarationFault(int libxmlCode) {
  switch (libxmlCode) {
    case XML_ERR_XMLDECL_NOT_STARTED:
    case XML_ERR_XMLDECL_NOT_FINISHED:
    case XML_ERR_VERSION_MISSING:
    case XML_ERR_STANDALONE_VALUE:
    case XML_ERR_ENCODING_NAME:
    case XML_ERR_UNKNOWN_ENCODING:
    case XML_ERR_UNSUPPORTED_ENCODING:
      return true;
    default:
      return false;
  }
}

std::wstring Wide(const xmlChar* text) {
  std::wstring out;
  if (text == nullptr) return out;
  int left = xmlStrlen(text);
  while (left > 0) {
    int length = left;
    const int c = xmlGetUTF8Char(text, &length);
    if (c < 0 || length <= 0) break;  // libxml2 hands out valid UTF-8 only
    out += static_cast<wchar_t>(c);
    text += length;
    left -= length;
  }
  return out;
}

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

// XmlLite reports the XML declaration as a node whose attributes are its
// pseudo-attributes; libxml2 consumes it silently. Looks at the start of the
// file (after a byte-order mark, in UTF-8 or UTF-16) for "<?xml" and, when
// it is there, returns true with the pseudo-attributes as written.
bool ReadDeclaration(int fd, Attributes& attributes) {
  unsigned char bytes[512];
  const ssize_t got = pread(fd, bytes, sizeof bytes, 0);
  if (got <= 0) return false;
  size_t at = 0;
  size_t step = 1;   // bytes per character
  size_t low = 0;    // where a UTF-16 character's low byte lies within it
  const auto size = static_cast<size_t>(got);
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    at = 3;
  } else if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    at = 2, step = 2, low = 0;
  } else if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    at = 2, step = 2, low = 1;
  } else if (size >= 4 && bytes[0] == '<' && bytes[1] == 0 && bytes[2] == '?' && bytes[3] == 0) {
    step = 2, low = 0;
  } else if (size >= 4 && bytes[0] == 0 && bytes[1] == '<' && bytes[2] == 0 && bytes[3] == '?') {
    step = 2, low = 1;
  }
  std::string text;  // the declaration's ASCII, as far as it goes
  for (size_t i = at; i + step <= size; i += step) {
    if (step == 2 && bytes[i + 1 - low] != 0) break;
    const char c = static_cast<char>(bytes[i + low]);
    text += c;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "?>") == 0) break;
  }
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  if (text.size() < 6 || text.compare(0, 5, "<?xml") != 0 || !blank(text[5])) return false;

  size_t i = 5;
  for (;;) {
    while (i < text.size() && blank(text[i])) ++i;
    const size_t nameStart = i;
    while (i < text.size() && !blank(text[i]) && text[i] != '=' && text[i] != '?') ++i;
    if (i == nameStart) break;
    const std::string name = text.substr(nameStart, i - nameStart);
    while (i < text.size() && blank(text[i])) ++i;
    if (i >= text.size() || text[i] != '=') break;
    ++i;
    while (i < text.size() && blank(text[i])) ++i;
    if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) break;
    const char quote = text[i++];
    const size_t end = text.find(quote, i);
    if (end == std::string::npos) break;
    attributes.emplace_back(std::wstring(name.begin(), name.end()),
                            std::wstring(text.begin() + static_cast<std::ptrdiff_t>(i),
                                         text.begin() + static_cast<std::ptrdiff_t>(end)));
    i = end + 1;
  }
  return true;
}

XmlNodeType NodeType(int libxmlType) {
  switch (libxmlType) {
    case XML_READER_TYPE_ELEMENT:
      return XmlNodeType::kElement;
    case XML_READER_TYPE_ATTRIBUTE:
      return XmlNodeType::kAttribute;
    case XML_READER_TYPE_TEXT:
      return XmlNodeType::kText;
    case XML_READER_TYPE_CDATA:
      return XmlNodeType::kCData;
    case XML_READER_TYPE_PROCESSING_INSTRUCTION:
      return XmlNodeType::kProcessingInstruction;
    case XML_READER_TYPE_COMMENT:
      return XmlNodeType::kComment;
    case XML_READER_TYPE_DOCUMENT_TYPE:
      return XmlNodeType::kDocumentType;
    case XML_READER_TYPE_WHITESPACE:
    case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
      return XmlNodeType::kWhitespace;
    case XML_READER_TYPE_END_ELEMENT:
      return XmlNodeType::kEndElement;
    default:
      return XmlNodeType::kNone;
  }
}

// A node the caller stands on that libxml2 did not hand out: the XML
// declaration, or a text held back at a fault (see Advance).
struct SyntheticNode {
  XmlNodeType type = XmlNodeType::kNone;
  std::wstring localName;
  std::wstring value;
  Attributes attributes;
};

// A pull reader over one file with XmlLite's behaviour where the passes
// depend on it.
//
// libxml2's reader parses ahead of the node it hands out and, once the
// parser meets a fault, fails at once: nodes parsed before the fault but not
// yet handed out are lost. XmlLite hands out every node before the fault.
// So the input is read in large pieces until a fault shows, and then read
// again from the start, the nodes already handed out skipped, with the part
// near the fault fed one byte at a time: the parser then meets the fault
// only when the reader asks for the node after the last good one.
class LibXmlReader final : public XmlReader {
 public:
  explicit LibXmlReader(int fd) : fd_(fd) { hasDeclaration_ = ReadDeclaration(fd_, declaration_); }
  ~LibXmlReader() override {
    if (reader_ != nullptr) xmlFreeTextReader(reader_);
    close(fd_);
  }
  LibXmlReader(const LibXmlReader&) = delete;
  LibXmlReader& operator=(const LibXmlReader&) = delete;

  bool Start() { return Restart(std::numeric_limits<size_t>::max()); }

  int32_t Read(XmlNodeType* nodeType) override {
    *nodeType = XmlNodeType::kNone;
    if (error_ != 0) return error_;
    Reposition();
    synthetic_.reset();
    attribute_ = kNoAttribute;

    int32_t result = kXmlOk;
    if (!started_) {
      started_ = true;
      if (hasDeclaration_) {
        result = Advance();
        if (result < 0 && IsDeclarationFault(libxmlCode_)) return result;
        stashed_ = result;
        haveStash_ = true;
        synthetic_ = SyntheticNode{XmlNodeType::kXmlDeclaration, L"xml", L"", declaration_};
        *nodeType = XmlNodeType::kXmlDeclaration;
        return kXmlOk;
      }
    }
    if (haveStash_) {
      haveStash_ = false;
      result = stashed_;
    } else {
      result = Advance();
    }
    if (result == kHeldBack) {
      synthetic_ = std::move(heldBack_);
      *nodeType = synthetic_->type;
      return kXmlOk;
    }
    if (result != kXmlOk) return result;
    *nodeType = NodeType(xmlTextReaderNodeType(reader_));
    return kXmlOk;
  }

  int32_t MoveToFirstAttribute() override {
    Reposition();
    if (synthetic_) {
      if (synthetic_->attributes.empty()) return kXmlNoMore;
      attribute_ = 0;
      return kXmlOk;
    }
    return Moved(xmlTextReaderMoveToFirstAttribute(reader_));
  }

  int32_t MoveToNextAttribute() override {
    Reposition();
    if (synthetic_) {
      const size_t next = attribute_ == kNoAttribute ? 0 : attribute_ + 1;
      if (next >= synthetic_->attributes.size()) return kXmlNoMore;
      attribute_ = next;
      return kXmlOk;
    }
    return Moved(xmlTextReaderMoveToNextAttribute(reader_));
  }

  bool IsDefault() override { return !synthetic_ && xmlTextReaderIsDefault(reader_) == 1; }
  bool IsEmptyElement() override { return !synthetic_ && xmlTextReaderIsEmptyElement(reader_) == 1; }

  int32_t GetPrefix(std::wstring* prefix) override {
    *prefix = synthetic_ ? std::wstring() : Wide(xmlTextReaderConstPrefix(reader_));
    return kXmlOk;
  }

  int32_t GetLocalName(std::wstring* localName) override {
    if (synthetic_) {
      *localName = OnSyntheticAttribute() ? synthetic_->attributes[attribute_].first : synthetic_->localName;
      return kXmlOk;
    }
    switch (xmlTextReaderNodeType(reader_)) {
      case XML_READER_TYPE_ELEMENT:
      case XML_READER_TYPE_END_ELEMENT:
      case XML_READER_TYPE_ATTRIBUTE:
      case XML_READER_TYPE_PROCESSING_INSTRUCTION:
      case XML_READER_TYPE_DOCUMENT_TYPE:
        *localName = Wide(xmlTextReaderConstLocalName(reader_));
        break;
      default:
        localName->clear();  // "#text" and the like are libxml2's own names
    }
    return kXmlOk;
  }

  int32_t GetValue(std::wstring* value) override {
    LoadValue();
    *value = value_.substr(valueOffset_);
    return kXmlOk;
  }

  int32_t ReadValueChunk(wchar_t* buffer, uint32_t maxChars, uint32_t* charsRead) override {
    LoadValue();
    const size_t count = std::min<size_t>(maxChars, value_.size() - valueOffset_);
    std::copy_n(value_.data() + valueOffset_, count, buffer);
    valueOffset_ += count;
    *charsRead = static_cast<uint32_t>(count);
    return count == 0 && valueOffset_ == value_.size() ? kXmlNoMore : kXmlOk;
  }

 private:
  static constexpr size_t kNoAttribute = SIZE_MAX;
  // Advance's answer when a text comes out before the fault that follows it.
  static constexpr int32_t kHeldBack = 2;

  static int Input(void* context, char* buffer, int length) {
    auto* self = static_cast<LibXmlReader*>(context);
    size_t want = static_cast<size_t>(length);
    if (self->handedOut_ >= self->slowFrom_) {
      want = std::min<size_t>(want, 1);
    } else {
      want = std::min(want, self->slowFrom_ - self->handedOut_);
    }
    const ssize_t got = read(self->fd_, buffer, want);
    if (got < 0) return -1;
    self->handedOut_ += static_cast<size_t>(got);
    return static_cast<int>(got);
  }
  static int CloseInput(void*) { return 0; }  // the reader object closes the file

  static void OnError(void* context, xmlErrorPtr error) {
    auto* self = static_cast<LibXmlReader*>(context);
    if (error == nullptr || error->level < XML_ERR_ERROR || self->fault_ != 0) return;
    self->fault_ = XmlLiteCode(*error);
    self->libxmlCode_ = error->code;
  }

  bool Restart(size_t slowFrom) {
    if (reader_ != nullptr) xmlFreeTextReader(reader_);
    reader_ = nullptr;
    if (lseek(fd_, 0, SEEK_SET) != 0) return false;
    handedOut_ = 0;
    slowFrom_ = slowFrom;
    fault_ = 0;
    reader_ = xmlReaderForIO(&Input, &CloseInput, this, nullptr, nullptr, XML_PARSE_NONET);
    if (reader_ == nullptr) return false;
    xmlTextReaderSetStructuredErrorHandler(reader_, &OnError, this);
    return true;
  }

  // The next node from libxml2: kXmlOk, kXmlNoMore, kHeldBack, or an error
  // that stays.
  int32_t Advance() {
    if (deferredFault_ != 0) return Fail(deferredFault_);
    for (;;) {
      const int got = xmlTextReaderRead(reader_);
      if (fault_ == 0 && got == 1) {
        ++handedOutNodes_;
        lastNode_ = xmlTextReaderCurrentNode(reader_);
        lastType_ = xmlTextReaderNodeType(reader_);
        if (lastType_ == XML_READER_TYPE_DOCUMENT_TYPE) return Fail(Code(kDtdProhibited));
        return kXmlOk;
      }
      if (fault_ == 0 && got == 0) return kXmlNoMore;
      if (!replayed_) {
        replayed_ = true;
        if (Replay()) continue;
      }
      const int32_t fault = fault_ != 0 ? fault_ : Code(kFailed);
      if (HoldBackText()) {
        deferredFault_ = fault;
        return kHeldBack;
      }
      return Fail(fault);
    }
  }

  // libxml2 keeps a text back until it knows the text is complete, which
  // takes the markup after it: a fault in that markup loses the text, which
  // XmlLite hands out before the fault. Finds such a text: the one the
  // reader moved to, or the first child of the element handed out last.
  bool HoldBackText() {
    const xmlNode* node = xmlTextReaderCurrentNode(reader_);
    if (node == lastNode_ && lastType_ == XML_READER_TYPE_ELEMENT && node != nullptr) node = node->children;
    else if (node == lastNode_) node = nullptr;
    if (node == nullptr || (node->type != XML_TEXT_NODE && node->type != XML_CDATA_SECTION_NODE)) return false;
    SyntheticNode text;
    if (node->type == XML_CDATA_SECTION_NODE) {
      text.type = XmlNodeType::kCData;
    } else {
      text.type = xmlIsBlankNode(node) ? XmlNodeType::kWhitespace : XmlNodeType::kText;
    }
    text.value = Wide(node->content);
    heldBack_ = std::move(text);
    return true;
  }

  // Reads the input again up to the nodes already handed out, now feeding
  // the last stretch before the fault byte by byte.
  bool Replay() {
    // Well beyond what the parser reads ahead of the node it works on.
    constexpr size_t kMargin = 64 * 1024;
    const size_t faultNear = handedOut_;
    if (!Restart(std::max<size_t>(faultNear > kMargin ? faultNear - kMargin : 0, 4))) return false;
    for (size_t skipped = 0; skipped < handedOutNodes_; ++skipped) {
      if (xmlTextReaderRead(reader_) != 1 || fault_ != 0) return false;
    }
    lastNode_ = xmlTextReaderCurrentNode(reader_);
    return true;
  }

  int32_t Fail(int32_t code) {
    error_ = code;
    return code;
  }

  int32_t Moved(int result) {
    if (result == 1) return kXmlOk;
    if (result == 0) return kXmlNoMore;
    return Code(kFailed);
  }

  bool OnSyntheticAttribute() const { return synthetic_ && attribute_ < synthetic_->attributes.size(); }

  // The reader moved: the value to hand out is the new position's.
  void Reposition() {
    valueLoaded_ = false;
    value_.clear();
    valueOffset_ = 0;
  }

  void LoadValue() {
    if (valueLoaded_) return;
    valueLoaded_ = true;
    if (synthetic_) {
      value_ = OnSyntheticAttribute() ? synthetic_->attributes[attribute_].second : synthetic_->value;
    } else if (reader_ != nullptr) {
      value_ = Wide(xmlTextReaderConstValue(reader_));
    }
  }

  int fd_;
  xmlTextReaderPtr reader_ = nullptr;
  size_t handedOut_ = 0;        // input bytes given to libxml2
  size_t slowFrom_ = SIZE_MAX;  // from here on one byte at a time
  size_t handedOutNodes_ = 0;   // nodes of libxml2's handed to the caller
  const xmlNode* lastNode_ = nullptr;  // the last of them, and its kind
  int lastType_ = 0;
  bool replayed_ = false;
  int32_t fault_ = 0;           // the first fault libxml2 reported, as XmlLite's code
  int libxmlCode_ = 0;
  int32_t deferredFault_ = 0;   // the fault behind a held-back text
  int32_t error_ = 0;           // once set, every Read returns it

  bool hasDeclaration_ = false;
  Attributes declaration_;
  bool started_ = false;
  int32_t stashed_ = kXmlOk;  // libxml2's first result, held while the declaration is out
  bool haveStash_ = false;
  std::optional<SyntheticNode> heldBack_;
  std::optional<SyntheticNode> synthetic_;
  size_t attribute_ = kNoAttribute;

  std::wstring value_;
  size_t valueOffset_ = 0;
  bool valueLoaded_ = false;
};

}  // namespace

XmlOpenResult XmlReaders::Open(const std::wstring& path, const XmlOpenOptions&) {
  xmlInitParser();
  XmlOpenResult result;
  const int fd = open(Utf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result.status = XmlOpenResult::Status::kFileNotOpened;
    return result;
  }
  auto reader = std::make_unique<LibXmlReader>(fd);
  if (!reader->Start()) {
    result.status = XmlOpenResult::Status::kInputNotSet;
    result.error = static_cast<int32_t>(kFailed);
    return result;
  }
  result.status = XmlOpenResult::Status::kOpened;
  result.reader = std::move(reader);
  return result;
}

}  // namespace quillo::libxml2
