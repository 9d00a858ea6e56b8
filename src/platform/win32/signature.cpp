#include <windows.h>
// After windows.h:
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// The signer the trust state describes: its certificate's subject name, and
// its chain's own verdict on the chain (0 when it ends at a trusted root).
struct Signer {
  std::wstring name;
  uint32_t chainResult = static_cast<uint32_t>(TRUST_E_NOSIGNATURE);
};

Signer SignerOf(HANDLE state) {
  Signer found;
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* certificate = signer != nullptr ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (certificate == nullptr || certificate->pCert == nullptr) return found;
  wchar_t name[256] = {};
  CertGetNameStringW(certificate->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, ARRAYSIZE(name));
  found.name = name;

  // The chain is judged again by the system's base chain policy: a provider
  // that let an untrusted root through must not decide alone.
  if (signer->pChainContext == nullptr) return found;
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_BASE, signer->pChainContext, &policy, &status)) {
    return found;
  }
  found.chainResult = status.dwError;
  return found;
}

}  // namespace

SignatureCheck Signature::Check(const std::wstring& path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();

  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  // The chain is checked up to a trusted root. Revocation lists are not
  // fetched: the check must not wait on the network, and a package is
  // checked right after it was downloaded from the vendor.
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const HWND noUserInterface = static_cast<HWND>(INVALID_HANDLE_VALUE);
  SignatureCheck check;
  check.result = static_cast<uint32_t>(WinVerifyTrust(noUserInterface, &action, &data));
  if (check.result == 0) {
    const Signer signer = SignerOf(data.hWVTStateData);
    check.result = signer.chainResult;
    if (check.result == 0) check.signer = signer.name;
  }

  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(noUserInterface, &action, &data);
  return check;
}

}  // namespace quillo::win32
