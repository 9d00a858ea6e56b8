#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillo {

// How a key is opened; an open that the process has no right to fails.
enum class KeyAccess { kRead, kEnumerateSubKeys, kAllAccess };

// Registry value types the program meets.
enum RegistryType : uint32_t { kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7 };

struct RegistryValue {
  uint32_t type = kRegSz;
  std::vector<uint8_t> data;  // as stored: strings are UTF-16 LE with their terminator

  static RegistryValue String(const std::wstring& text);
  static RegistryValue Dword(uint32_t value);
  // The data read as a UTF-16 LE string, up to its first NUL.
  std::wstring Text() const;
};

// Entries found by index: an index whose name did not fit the name buffer is empty.
using RegistryNames = std::vector<std::optional<std::wstring>>;

// HKEY_LOCAL_MACHINE in its 32-bit view, the view this 32-bit program has.
// Paths are relative to HKLM, with backslashes. Every call opens and closes
// the key itself.
class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // Subkey names by index, as many as the key reports; empty when the key
  // cannot be opened with `access`.
  virtual std::optional<RegistryNames> SubkeyNames(const std::wstring& path, KeyAccess access,
                                                   size_t nameBufferChars) = 0;
  // Value names by index, as SubkeyNames.
  virtual std::optional<RegistryNames> ValueNames(const std::wstring& path, KeyAccess access,
                                                  size_t nameBufferChars) = 0;
  // Empty when the key cannot be opened, the value is missing or its data
  // is larger than maxBytes.
  virtual std::optional<RegistryValue> ReadValue(const std::wstring& path, const std::wstring& name,
                                                 KeyAccess access, size_t maxBytes) = 0;
};

}  // namespace quillo
