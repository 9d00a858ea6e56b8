// trust-ca FILE.der: adds a certificate authority to the machine's trusted
// root store. The Wine harness runs it in a test prefix, so that the
// program's HTTPS requests to the local vendor server are checked as usual
// and pass; nothing outside the prefix trusts the authority.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: trust-ca CERTIFICATE.der\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<BYTE> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    fwprintf(stderr, L"trust-ca: cannot read %ls\n", argv[1]);
    return 1;
  }
  if (der.empty()) {
    fwprintf(stderr, L"trust-ca: %ls is missing or empty\n", argv[1]);
    return 1;
  }
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  if (root == nullptr) {
    fwprintf(stderr, L"trust-ca: cannot open the machine's root store (error %lu)\n", GetLastError());
    return 1;
  }
  const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(),
                                                      static_cast<DWORD>(der.size()),
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(root, 0);
  if (!added) {
    fwprintf(stderr, L"trust-ca: %ls was not added to the root store (error 0x%08lx)\n", argv[1], error);
    return 1;
  }
  return 0;
}
