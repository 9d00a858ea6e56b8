#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quillo {

class ResourcePort {
 public:
  virtual ~ResourcePort() = default;
  // The bytes of the program's resource `id` of the named `type` (such as
  // "BINARY"); empty when there is none. The bytes live as long as the program.
  virtual std::optional<std::span<const uint8_t>> Find(int id, const std::wstring& type) = 0;
};

}  // namespace quillo
