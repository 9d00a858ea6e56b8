#include "ports/registry.h"

namespace quillo {

RegistryValue RegistryValue::String(const std::wstring& text) {
  RegistryValue value;
  value.type = kRegSz;
  for (wchar_t c : text) {
    const auto unit = static_cast<uint16_t>(c);
    value.data.push_back(static_cast<uint8_t>(unit & 0xFF));
    value.data.push_back(static_cast<uint8_t>(unit >> 8));
  }
  value.data.push_back(0);
  value.data.push_back(0);
  return value;
}

RegistryValue RegistryValue::Dword(uint32_t number) {
  RegistryValue value;
  value.type = kRegDword;
  for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<uint8_t>(number >> shift));
  return value;
}

std::wstring RegistryValue::Text() const {
  std::wstring text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

}  // namespace quillo
