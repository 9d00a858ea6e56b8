#include "catalog/xml_passes.h"

#include "catalog/decimal.h"
#include "catalog/diagnostics.h"

namespace quillo {
namespace {

constexpr uint32_t kCaptionKeyChars = 23;   // into a buffer of 24
constexpr uint32_t kCaptionTextChars = 511;  // into a buffer of 512

unsigned long Code(int32_t result) { return static_cast<uint32_t>(result); }

enum class NodeOutcome { kGoOn, kStop };

// The skeleton both passes share: open, read node by node, hand each node to
// `onNode`, and say why reading ended. The reader and its stream are released
// on every way out when `opened` goes.
template <typename OnNode>
void ReadNodes(XmlReaderPort& xml, const std::wstring& path, OnNode onNode) {
  XmlOpenResult opened = xml.Open(path, XmlOpenOptions{XmlByteSource::kFileStream, false});
  switch (opened.status) {
    case XmlOpenResult::Status::kOpened:
      break;
    case XmlOpenResult::Status::kReaderNotCreated:
      WriteXmlDiagnostic(L"Error creating xml reader, error is %08.8lx", Code(opened.error));
      return;
    case XmlOpenResult::Status::kInputNotSet:
      WriteXmlDiagnostic(L"Error setting input for reader, error is %08.8lx", Code(opened.error));
      return;
    case XmlOpenResult::Status::kFileNotOpened:
    case XmlOpenResult::Status::kPropertyNotSet:
      return;
  }
  XmlReader& reader = *opened.reader;
  for (;;) {
    XmlNodeType type = XmlNodeType::kNone;
    const int32_t result = reader.Read(&type);
    if (result == kXmlNoMore) {
      WriteXmlDiagnostic(L"\n");
      return;
    }
    if (result != kXmlOk) {
      WriteXmlDiagnostic(L"\nXmlLite Error: %08.8lx\n", Code(result));
      return;
    }
    if (onNode(reader, type) == NodeOutcome::kStop) return;
  }
}

// Reads the current node's value through a buffer of `maxChars` + 1
// characters, each piece overwriting the one before; what is left is the
// last piece, with its line feeds turned into full stops. Any result other
// than "done" or "no more" is a reader error, returned as it came.
int32_t ReadLastPiece(XmlReader& reader, wchar_t* buffer, uint32_t maxChars) {
  for (;;) {
    uint32_t read = 0;
    const int32_t result = reader.ReadValueChunk(buffer, maxChars, &read);
    if (result == kXmlNoMore || (result == kXmlOk && read == 0)) return kXmlNoMore;
    if (result != kXmlOk) return result;
    buffer[read] = L'\0';
    for (uint32_t i = 0; i < read; ++i) {
      if (buffer[i] == L'\n') buffer[i] = L'.';
    }
  }
}

int32_t CaptionAttributes(XmlReader& reader, CaptionWalk& walk) {
  int32_t result = reader.MoveToFirstAttribute();
  if (result == kXmlNoMore) return kXmlNoMore;
  if (result != kXmlOk) {
    WriteXmlDiagnostic(L"\nXmlLite Error: %08.8lx\n", Code(result));
    return result;
  }
  do {
    if (reader.IsDefault()) continue;
    std::wstring prefix;
    std::wstring name;
    result = reader.GetPrefix(&prefix);
    if (result < 0) {
      WriteXmlDiagnostic(L"Error, Method: GetPrefix, error is %08.8lx", Code(result));
      return result;
    }
    result = reader.GetLocalName(&name);
    if (result < 0) {
      WriteXmlDiagnostic(L"Error, Method: GetLocalName, error is %08.8lx", Code(result));
      return result;
    }
    if (name == L"Value" && !walk.pendingValue) walk.pendingValue = true;

    // An empty value leaves the buffer empty: its key is 0.
    wchar_t buffer[kCaptionKeyChars + 1] = {};
    result = ReadLastPiece(reader, buffer, kCaptionKeyChars);
    if (result != kXmlNoMore) {
      WriteXmlDiagnostic(L"\nXmlLite Error: %08.8lx\n", Code(result));
      return result;
    }
    // Every attribute from Value on sets the key; in the tables Value is the
    // last attribute of its element.
    if (walk.pendingValue) walk.captionKey = DecimalInt32(buffer);
  } while ((result = reader.MoveToNextAttribute()) == kXmlOk);
  return result;
}

}  // namespace

bool ParseDriverCatalogue(XmlReaderPort& xml, CatalogueWalk& walk, DriverRecord& record, const std::wstring& path,
                          const std::wstring& deviceId, const std::wstring& revisionId, const std::wstring& osType) {
  bool complete = false;
  ReadNodes(xml, path, [&](XmlReader& reader, XmlNodeType type) {
    if (type == XmlNodeType::kElement) {
      const int32_t result = WriteAttributes(reader, walk, record, deviceId, revisionId, osType);
      if (result < 0) {
        WriteXmlDiagnostic(L"Error, Method: WriteAttributes, error is %08.8lx", Code(result));
        return NodeOutcome::kStop;
      }
    }
    complete = walk.recordComplete;
    return complete ? NodeOutcome::kStop : NodeOutcome::kGoOn;
  });
  return complete;
}

bool LoadCaptionMap(XmlReaderPort& xml, CaptionWalk& walk, CaptionMap& captions, const std::wstring& path) {
  ReadNodes(xml, path, [&](XmlReader& reader, XmlNodeType type) {
    if (type == XmlNodeType::kElement) {
      const int32_t result = CaptionAttributes(reader, walk);
      if (result < 0) {
        WriteXmlDiagnostic(L"Error, Method: WriteAttributes, error is %08.8lx", Code(result));
        return NodeOutcome::kStop;
      }
    } else if (type == XmlNodeType::kText || type == XmlNodeType::kWhitespace) {
      wchar_t buffer[kCaptionTextChars + 1] = {};
      const int32_t result = ReadLastPiece(reader, buffer, kCaptionTextChars);
      if (result != kXmlNoMore) {
        WriteXmlDiagnostic(L"\nXmlLite Error: %08.8lx\n", Code(result));
        return NodeOutcome::kStop;
      }
      if (walk.pendingValue) {
        captions.emplace(walk.captionKey, buffer);
        walk.captionKey = 0;
        walk.pendingValue = false;
      }
    }
    return NodeOutcome::kGoOn;
  });
  return false;
}

}  // namespace quillo
