#include <windows.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {

std::optional<std::span<const uint8_t>> Resources::Find(int id, const std::wstring& type) {
  HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type.c_str());
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module_, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), SizeofResource(module_, found));
}

}  // namespace quillo::win32
