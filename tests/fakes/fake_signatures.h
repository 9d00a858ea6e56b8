#pragma once

#include <map>
#include <string>
#include <vector>

#include "ports/signature.h"

namespace quillo::fakes {

// Signature checks by file path; a file not listed gets `otherwise`: no
// signature, unless a test says every file is signed.
class FakeSignatures final : public SignaturePort {
 public:
  static constexpr uint32_t kNoSignature = 0x800B0100;
  static SignatureCheck SignedBy(const std::wstring& signer) { return SignatureCheck{0, signer}; }

  SignatureCheck Check(const std::wstring& path) override {
    checked.push_back(path);
    const auto found = checks.find(path);
    return found != checks.end() ? found->second : otherwise;
  }

  std::map<std::wstring, SignatureCheck> checks;
  SignatureCheck otherwise{kNoSignature, L""};
  std::vector<std::wstring> checked;  // every path asked about, in order
};

}  // namespace quillo::fakes
