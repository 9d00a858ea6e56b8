#pragma once

#include <cstdint>
#include <string>

#include "ports/signature.h"

namespace quillo {

// The result recorded for a file whose signature is good but whose signer
// is not the vendor: the trust provider's "subject not trusted".
constexpr uint32_t kSignedByAnotherPublisher = 0x800B0004;

// Whether a downloaded package may be started, and the result code that says
// why not (0 when it may).
struct PackageVerdict {
  bool startable = false;
  uint32_t result = 0;
  friend bool operator==(const PackageVerdict&, const PackageVerdict&) = default;
};

// A package may be started only when its signature and chain are good and
// its signer is `publisher`, compared exactly.
PackageVerdict CheckPackageSignature(SignaturePort& signatures, const std::wstring& path,
                                     const std::wstring& publisher);

// The publisher this build's packages must be signed by.
const std::wstring& PackagePublisher();

}  // namespace quillo
