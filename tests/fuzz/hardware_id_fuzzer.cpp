// Hardware IDs as the device-setup functions might report them.

#include "detect/adapters.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring hardwareId = quillo::fuzz::Widen(std::string(reinterpret_cast<const char*>(data), size));
  quillo::AdapterInfo adapter;
  quillo::ParseHardwareId(hardwareId, adapter);
  quillo::IsVendorId(adapter.vendorId);
  return 0;
}
