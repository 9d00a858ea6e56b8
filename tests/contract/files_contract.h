#pragma once

// What every FilePort does, checked on the fake natively and on the real
// files under Wine, so that the download worker's tests hold on Windows too.
//
// A backend type supplies: Path(name) (a file in its scratch folder),
// Read(path) (empty when there is no file),
// MakeLarge(path, size) (a file of `size` bytes whose content is never read)
// and port().

#include <gtest/gtest.h>

#include <string>

#include "ports/files.h"

namespace quillo::contract {

template <typename Backend>
class FilesContract : public testing::Test {
 protected:
  FilePort& port() { return backend_.port(); }
  bool Append(const std::wstring& path, FileOpen mode, const std::string& bytes) {
    std::unique_ptr<WritableFile> file = port().OpenForWriting(path, mode);
    if (!file) return false;
    return file->Append(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }

  Backend backend_;
};

TYPED_TEST_SUITE_P(FilesContract);

TYPED_TEST_P(FilesContract, AMissingFileHasNoSizeAndIsNotCreatedByOpeningAnExistingOne) {
  const std::wstring path = this->backend_.Path(L"missing.bin");
  EXPECT_FALSE(this->port().FileSize(path));
  EXPECT_FALSE(this->port().OpenForWriting(path, FileOpen::kExisting));
  EXPECT_FALSE(this->backend_.Read(path));
}

TYPED_TEST_P(FilesContract, WritingContinuesAtTheEndAndReplacingStartsEmpty) {
  const std::wstring path = this->backend_.Path(L"package.bin");
  ASSERT_TRUE(this->Append(path, FileOpen::kAlways, "first"));
  EXPECT_EQ(this->port().FileSize(path), 5u);
  ASSERT_TRUE(this->Append(path, FileOpen::kExisting, "-second"));
  ASSERT_TRUE(this->Append(path, FileOpen::kAlways, std::string("\0-third", 7)));
  EXPECT_EQ(this->backend_.Read(path), std::string("first-second\0-third", 19));
  EXPECT_EQ(this->port().FileSize(path), 19u);
  ASSERT_TRUE(this->Append(path, FileOpen::kReplace, "again"));
  EXPECT_EQ(this->backend_.Read(path), "again");
  ASSERT_TRUE(this->Append(path, FileOpen::kReplace, ""));
  EXPECT_EQ(this->port().FileSize(path), 0u) << "an empty file is there, with no bytes";
}

TYPED_TEST_P(FilesContract, SizesPast4GiBAreWhole) {
  const std::wstring path = this->backend_.Path(L"large.bin");
  const uint64_t size = (uint64_t{1} << 32) + 4321;
  this->backend_.MakeLarge(path, size);
  EXPECT_EQ(this->port().FileSize(path), size);
  ASSERT_TRUE(this->Append(path, FileOpen::kExisting, "0123456789"));
  EXPECT_EQ(this->port().FileSize(path), size + 10);
}

TYPED_TEST_P(FilesContract, ARemovedFileIsGoneAndAMissingOneCannotBeRemoved) {
  const std::wstring path = this->backend_.Path(L"rejected.bin");
  ASSERT_TRUE(this->Append(path, FileOpen::kAlways, "bytes"));
  EXPECT_TRUE(this->port().RemoveFile(path));
  EXPECT_FALSE(this->port().FileSize(path));
  EXPECT_FALSE(this->backend_.Read(path));
  EXPECT_FALSE(this->port().RemoveFile(path));
}

REGISTER_TYPED_TEST_SUITE_P(FilesContract, AMissingFileHasNoSizeAndIsNotCreatedByOpeningAnExistingOne,
                            WritingContinuesAtTheEndAndReplacingStartsEmpty, SizesPast4GiBAreWhole,
                            ARemovedFileIsGoneAndAMissingOneCannotBeRemoved);

}  // namespace quillo::contract
