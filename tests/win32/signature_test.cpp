// The signature check on the real trust provider, over copies of a small
// program signed at build time: by the test publisher, by another publisher
// (both certificates issued by the test authority this machine trusts), by
// a signer under an authority nobody trusts, not at all, changed after
// signing, and padded before signing as the demo package is.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "download/package_signature.h"
#include "platform/win32/win32_ports.h"
#include "win32/program_path.h"

namespace quillo {
namespace {

constexpr uint32_t kNoSignature = 0x800B0100;   // TRUST_E_NOSIGNATURE
constexpr uint32_t kBadDigest = 0x80096010;     // TRUST_E_BAD_DIGEST
constexpr uint32_t kUntrustedRoot = 0x800B0109;  // CERT_E_UNTRUSTEDROOT

class SignatureTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::WindowsPathFromEnvironment("QUILLO_SIGNING_DIR");
    ASSERT_FALSE(folder_.empty()) << "QUILLO_SIGNING_DIR names the signed copies";
  }
  std::wstring File(const wchar_t* name) const { return folder_ + L"\\" + name; }

  // A copy of a signed program with the byte at `offset` changed (a
  // negative offset counts from the end).
  std::wstring AlteredCopy(const wchar_t* name, long long offset) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"quillo-altered " + name;
    std::ifstream in(std::filesystem::path(File(name)), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const long long at = offset < 0 ? static_cast<long long>(bytes.size()) + offset : offset;
    EXPECT_TRUE(at >= 0 && at < static_cast<long long>(bytes.size())) << at;
    if (at >= 0 && at < static_cast<long long>(bytes.size())) {
      bytes[static_cast<size_t>(at)] = static_cast<char>(bytes[static_cast<size_t>(at)] ^ 0x01);
    }
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    return path;
  }

  std::wstring folder_;
  win32::Signature signatures_;
};

TEST_F(SignatureTest, TheTrustProviderNamesTheSignerOrWhatIsWrong) {
  // One byte of the first section's code, inside the signed digest.
  const std::wstring altered = AlteredCopy(L"signed.exe", 0x400);
  // One byte of the zero padding after the last section (2 MiB before the
  // signature's few KiB at the end): the digest covers it too.
  const std::wstring alteredPadding = AlteredCopy(L"padded.exe", -(1 << 20));
  struct Case {
    std::wstring file;
    uint32_t result;
    std::wstring signer;
    bool startable;
  };
  const Case cases[] = {
      {File(L"signed.exe"), 0, L"Quillo Test Publisher", true},
      {File(L"other-publisher.exe"), 0, L"Quillo Other Publisher", false},
      {File(L"unsigned.exe"), kNoSignature, L"", false},
      {altered, kBadDigest, L"", false},
      {File(L"padded.exe"), 0, L"Quillo Test Publisher", true},
      {alteredPadding, kBadDigest, L"", false},
      {File(L"untrusted.exe"), kUntrustedRoot, L"", false},
      {File(L"no such package.exe"), 0, L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.file));
    const SignatureCheck check = signatures_.Check(c.file);
    if (c.file.find(L"no such") == std::wstring::npos) {
      EXPECT_EQ(check.result, c.result) << std::hex << check.result;
      EXPECT_EQ(check.signer, c.signer);
    } else {
      EXPECT_NE(check.result, 0u) << "a missing file is never good";
    }
    EXPECT_EQ(CheckPackageSignature(signatures_, c.file, PackagePublisher()).startable, c.startable);
  }
  std::filesystem::remove(std::filesystem::path(altered));
  std::filesystem::remove(std::filesystem::path(alteredPadding));
}

// Run on a machine that does not trust the test authority: the test
// publisher's own signature is refused for its root.
using UntrustedMachineSignatureTest = SignatureTest;

TEST_F(UntrustedMachineSignatureTest, TheTestPublishersSignatureEndsAtAnUntrustedRoot) {
  const SignatureCheck check = signatures_.Check(File(L"signed.exe"));
  EXPECT_EQ(check.result, kUntrustedRoot) << std::hex << check.result;
  EXPECT_EQ(check.signer, L"");
  EXPECT_FALSE(CheckPackageSignature(signatures_, File(L"signed.exe"), PackagePublisher()).startable);
}

}  // namespace
}  // namespace quillo
