// Version texts: the dotted version numbers of the installed software and
// the catalogue's driver versions with their tags, sizes and numbers. The
// input holds two texts separated by a line feed.

#include "app/version_number.h"
#include "catalog/decimal.h"
#include "catalog/driver_offer.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const size_t split = bytes.find('\n');
  const std::wstring first = quillo::fuzz::Widen(bytes.substr(0, split));
  const std::wstring second = quillo::fuzz::Widen(split == std::string::npos ? "" : bytes.substr(split + 1));

  const quillo::VersionNumber a(first);
  const quillo::VersionNumber b(second);
  a.ToString();
  a.IsLessThan(b);
  a.IsGreaterThan(b);

  quillo::SplitVersionText(first);
  quillo::SplitVersionComponents(first);
  quillo::VersionTagValue(first);
  quillo::SizeTextWithoutUnit(first);
  quillo::DecimalInt32(first);
  quillo::DecimalInt64(first);
  quillo::InstalledDriverVerdict(first, second, quillo::WindowKind::kMain);
  quillo::InstalledDriverVerdict(first, second, quillo::WindowKind::kClassic);
  return 0;
}
