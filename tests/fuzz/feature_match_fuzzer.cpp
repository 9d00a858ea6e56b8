// The feature match over any document, for a few adapters and processors,
// twice with one reader (its flags carry from one call to the next). The
// last byte picks them; the rest is the catalogue.

#include <fuzzer/FuzzedDataProvider.h>

#include "catalog/features.h"
#include "fuzz_input.h"
#include "platform/libxml2/libxml2_ports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const wchar_t* const kBrands[] = {L"Velmora Core M7-8700 CPU @ 3.20GHz", L"Velmora Core M3-6100", L""};
  static const wchar_t* const kDevices[] = {L"7A10", L"7B20", L""};
  static const wchar_t* const kRevisions[] = {L"00", L"02", L""};
  FuzzedDataProvider input(data, size);
  const unsigned choice = input.ConsumeIntegral<uint8_t>();
  const std::wstring path = quillo::fuzz::InputFile(input.ConsumeRemainingBytesAsString());

  quillo::libxml2::XmlReaders xml;
  quillo::FeatureReader reader(xml);
  quillo::CompatibleFeatures features;
  reader.MatchFeatures(features, path, kBrands[choice % 3], kDevices[choice / 3 % 3], kRevisions[choice / 9 % 3]);
  quillo::CompatibleFeatures again;
  reader.MatchFeatures(again, path, kBrands[choice % 3], kDevices[(choice / 27 + 1) % 3], kRevisions[0]);
  return 0;
}
