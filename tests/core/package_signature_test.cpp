#include "download/package_signature.h"

#include <gtest/gtest.h>

#include "fakes/fake_signatures.h"

namespace quillo {
namespace {

TEST(PackageSignatureTest, StartsOnlyAGoodSignatureOfThePublisher) {
  const std::wstring publisher = L"Quillo Test Publisher";
  struct Case {
    const char* what;
    SignatureCheck check;
    std::wstring publisher;
    PackageVerdict verdict;
  };
  const Case cases[] = {
      {"good signature of the publisher", {0, publisher}, publisher, {true, 0}},
      {"good signature of another publisher", {0, L"Quillo Other Publisher"}, publisher,
       {false, kSignedByAnotherPublisher}},
      {"the publisher's name in other letter case", {0, L"quillo test publisher"}, publisher,
       {false, kSignedByAnotherPublisher}},
      {"the publisher's name as a prefix", {0, publisher + L" Ltd"}, publisher, {false, kSignedByAnotherPublisher}},
      {"no signature", {0x800B0100, L""}, publisher, {false, 0x800B0100}},
      {"changed after signing", {0x80096010, L""}, publisher, {false, 0x80096010}},
      {"untrusted root", {0x800B0109, L""}, publisher, {false, 0x800B0109}},
      {"no publisher configured", {0, L""}, L"", {false, kSignedByAnotherPublisher}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakeSignatures signatures;
    signatures.checks[L"C:\\Temp\\package.exe"] = c.check;
    EXPECT_EQ(CheckPackageSignature(signatures, L"C:\\Temp\\package.exe", c.publisher), c.verdict);
    EXPECT_EQ(signatures.checked.size(), 1u);
  }
}

TEST(PackageSignatureTest, TestBuildsExpectTheTestPublisher) {
  EXPECT_EQ(PackagePublisher(), L"Quillo Test Publisher");
}

}  // namespace
}  // namespace quillo
