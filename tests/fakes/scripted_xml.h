#pragma once

// A pull reader that plays back a document given as a list of nodes, with
// faults wherever a test puts them: for the reader failures a real document
// cannot produce.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ports/xml_reader.h"

namespace quillo::fakes {

struct ScriptedAttribute {
  std::wstring name;
  std::wstring value;
  bool isDefault = false;
  int32_t prefixFault = 0;  // nonzero: GetPrefix fails with it
  int32_t nameFault = 0;    // nonzero: GetLocalName fails with it
  int32_t valueFault = 0;   // nonzero: ReadValueChunk fails with it after the value's first piece
};

struct ScriptedNode {
  XmlNodeType type = XmlNodeType::kElement;
  std::wstring name;
  std::wstring value;
  std::vector<ScriptedAttribute> attributes;
  int32_t readFault = 0;  // nonzero: Read fails with it instead of reporting the node
};

class ScriptedXmlReader final : public XmlReader {
 public:
  explicit ScriptedXmlReader(std::vector<ScriptedNode> nodes) : nodes_(std::move(nodes)) {}

  int32_t Read(XmlNodeType* nodeType) override {
    if (++node_ >= nodes_.size()) return kXmlNoMore;
    attribute_ = kNone;
    offset_ = 0;
    if (nodes_[node_].readFault != 0) return nodes_[node_].readFault;
    *nodeType = nodes_[node_].type;
    return kXmlOk;
  }
  int32_t MoveToFirstAttribute() override { return MoveTo(0); }
  int32_t MoveToNextAttribute() override { return MoveTo(attribute_ == kNone ? 0 : attribute_ + 1); }
  bool IsDefault() override { return attribute_ != kNone && Attribute().isDefault; }
  bool IsEmptyElement() override { return false; }
  int32_t GetPrefix(std::wstring* prefix) override {
    prefix->clear();
    return attribute_ != kNone ? Attribute().prefixFault : kXmlOk;
  }
  int32_t GetLocalName(std::wstring* localName) override {
    if (attribute_ == kNone) {
      *localName = nodes_[node_].name;
      return kXmlOk;
    }
    if (Attribute().nameFault != 0) return Attribute().nameFault;
    *localName = Attribute().name;
    return kXmlOk;
  }
  int32_t GetValue(std::wstring* value) override {
    *value = Value().substr(offset_);
    return kXmlOk;
  }
  int32_t ReadValueChunk(wchar_t* buffer, uint32_t maxChars, uint32_t* charsRead) override {
    *charsRead = 0;
    if (attribute_ != kNone && Attribute().valueFault != 0 && offset_ > 0) return Attribute().valueFault;
    const std::wstring& value = Value();
    const size_t count = std::min<size_t>(maxChars, value.size() - offset_);
    std::copy_n(value.data() + offset_, count, buffer);
    offset_ += count;
    *charsRead = static_cast<uint32_t>(count);
    return count == 0 ? kXmlNoMore : kXmlOk;
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  int32_t MoveTo(size_t index) {
    if (index >= nodes_[node_].attributes.size()) return kXmlNoMore;
    attribute_ = index;
    offset_ = 0;
    return kXmlOk;
  }
  const ScriptedAttribute& Attribute() const { return nodes_[node_].attributes[attribute_]; }
  const std::wstring& Value() const { return attribute_ == kNone ? nodes_[node_].value : Attribute().value; }

  std::vector<ScriptedNode> nodes_;
  size_t node_ = kNone;
  size_t attribute_ = kNone;
  size_t offset_ = 0;
};

// Opens every path as the scripted document, or fails the way `status` says;
// remembers how each open was asked for.
class ScriptedXmlReaders final : public XmlReaderPort {
 public:
  std::vector<ScriptedNode> document;
  XmlOpenResult::Status status = XmlOpenResult::Status::kOpened;
  int32_t error = 0;
  std::vector<XmlOpenOptions> opens;

  XmlOpenResult Open(const std::wstring&, const XmlOpenOptions& options) override {
    opens.push_back(options);
    XmlOpenResult result;
    result.status = status;
    result.error = error;
    if (status == XmlOpenResult::Status::kOpened) result.reader = std::make_unique<ScriptedXmlReader>(document);
    return result;
  }
};

}  // namespace quillo::fakes
