#pragma once

// The XML reader port on Debian's libxml2, for the native builds: the same
// node kinds, the same "no more" versus "error" results and XmlLite's error
// codes for the faults both readers name.

#include "ports/xml_reader.h"

namespace quillo::libxml2 {

class XmlReaders final : public XmlReaderPort {
 public:
  // Both byte sources read the file directly; a DTD is always refused, as
  // XmlLite refuses one by default.
  XmlOpenResult Open(const std::wstring& path, const XmlOpenOptions& options) override;
};

}  // namespace quillo::libxml2
