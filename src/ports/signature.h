#pragma once

#include <cstdint>
#include <string>

namespace quillo {

// What the system's trust provider says about a file's Authenticode signature.
struct SignatureCheck {
  // 0 when the file carries a signature over exactly its bytes whose chain
  // ends at a trusted root; otherwise the provider's result code (no
  // signature, a changed file, an untrusted root, ...).
  uint32_t result = 0;
  // The signing certificate's subject name; empty unless `result` is 0.
  std::wstring signer;
};

class SignaturePort {
 public:
  virtual ~SignaturePort() = default;
  // Checks the signature of the file at `path`, without any user interface.
  virtual SignatureCheck Check(const std::wstring& path) = 0;
};

}  // namespace quillo
