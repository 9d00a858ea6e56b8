#include "download/package_signature.h"

#include "app/endpoints_config.h"

namespace quillo {

PackageVerdict CheckPackageSignature(SignaturePort& signatures, const std::wstring& path,
                                     const std::wstring& publisher) {
  const SignatureCheck check = signatures.Check(path);
  if (check.result != 0) return {false, check.result};
  if (publisher.empty() || check.signer != publisher) return {false, kSignedByAnotherPublisher};
  return {true, 0};
}

const std::wstring& PackagePublisher() {
  static const std::wstring publisher = QUILLO_PUBLISHER;
  return publisher;
}

}  // namespace quillo
