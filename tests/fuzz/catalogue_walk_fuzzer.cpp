// The driver catalogue pass and its attribute walk over any document, for
// a few adapters and systems. The last byte picks them; the rest is the
// catalogue, so the fixture catalogues serve as seeds as they are.

#include <fuzzer/FuzzedDataProvider.h>

#include "catalog/xml_passes.h"
#include "fuzz_input.h"
#include "platform/libxml2/libxml2_ports.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quillo::fuzz::SilenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const wchar_t* const kDevices[] = {L"7A10", L"7B20", L"7A1", L""};
  static const wchar_t* const kRevisions[] = {L"00", L"02", L""};
  static const wchar_t* const kSystems[] = {L"Windows 10 - 64 Bit", L"Windows 7 - 64 Bit", L""};
  FuzzedDataProvider input(data, size);
  const unsigned choice = input.ConsumeIntegral<uint8_t>();
  const std::wstring path = quillo::fuzz::InputFile(input.ConsumeRemainingBytesAsString());

  quillo::libxml2::XmlReaders xml;
  quillo::CatalogueWalk walk;
  quillo::DriverRecord record;
  quillo::ParseDriverCatalogue(xml, walk, record, path, kDevices[choice % 4], kRevisions[choice / 4 % 3],
                               kSystems[choice / 12 % 3]);
  return 0;
}
