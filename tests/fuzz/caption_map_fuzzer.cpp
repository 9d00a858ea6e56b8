// The caption pass over any document.

#include "catalog/xml_passes.h"
#include "fuzz_input.h"
#include "platform/libxml2/libxml2_ports.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quillo::fuzz::SilenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring path = quillo::fuzz::InputFile(std::string(reinterpret_cast<const char*>(data), size));
  quillo::libxml2::XmlReaders xml;
  quillo::CaptionWalk walk;
  quillo::CaptionMap captions;
  quillo::LoadCaptionMap(xml, walk, captions, path);
  return 0;
}
