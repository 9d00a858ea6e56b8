#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

REGSAM Access(KeyAccess access) {
  // Always the 32-bit view: what this program sees as a 32-bit process,
  // whichever build of it runs.
  switch (access) {
    case KeyAccess::kRead:
      return KEY_READ | KEY_WOW64_32KEY;
    case KeyAccess::kEnumerateSubKeys:
      return KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_32KEY;
    case KeyAccess::kAllAccess:
      break;
  }
  return KEY_ALL_ACCESS | KEY_WOW64_32KEY;
}

class Key {
 public:
  Key(const std::wstring& path, KeyAccess access) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, Access(access), &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Enumerates by index until the system reports no more entries; an entry
// whose name does not fit the buffer is recorded as empty.
template <typename EnumFn>
RegistryNames Enumerate(size_t nameBufferChars, EnumFn enumerate) {
  RegistryNames names;
  std::wstring buffer(nameBufferChars, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(nameBufferChars);
    const LONG result = enumerate(index, buffer.data(), &length);
    if (result == ERROR_SUCCESS) {
      names.emplace_back(std::wstring(buffer.data(), length));
    } else if (result == ERROR_MORE_DATA) {
      names.emplace_back(std::nullopt);
    } else {
      break;
    }
  }
  return names;
}

}  // namespace

std::optional<RegistryNames> Registry::SubkeyNames(const std::wstring& path, KeyAccess access,
                                                   size_t nameBufferChars) {
  Key key(path, access);
  if (key.get() == nullptr) return std::nullopt;
  return Enumerate(nameBufferChars, [&](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::optional<RegistryNames> Registry::ValueNames(const std::wstring& path, KeyAccess access,
                                                  size_t nameBufferChars) {
  Key key(path, access);
  if (key.get() == nullptr) return std::nullopt;
  return Enumerate(nameBufferChars, [&](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(key.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::optional<RegistryValue> Registry::ReadValue(const std::wstring& path, const std::wstring& name,
                                                 KeyAccess access, size_t maxBytes) {
  Key key(path, access);
  if (key.get() == nullptr) return std::nullopt;
  RegistryValue value;
  value.data.resize(maxBytes);
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(maxBytes);
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.type = type;
  value.data.resize(size);
  return value;
}

}  // namespace quillo::win32
