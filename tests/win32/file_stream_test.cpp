#include "platform/win32/file_stream.h"

#include <gtest/gtest.h>

#include <string>

namespace quillo::win32 {
namespace {

class FileStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"quillo-file-stream.bin";
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "0123456789", 10, &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(FileStream::OpenFile(path_, &stream_), S_OK);
    ASSERT_NE(stream_, nullptr);
  }
  void TearDown() override {
    while (stream_ != nullptr && stream_->Release() != 0) {
    }
    DeleteFileW(path_.c_str());
  }

  // Whether someone else could open the file for writing right now.
  bool WritableByOthers() {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

  std::string Read(ULONG size, HRESULT expected = S_OK) {
    std::string bytes(size, '\0');
    ULONG read = 12345;
    EXPECT_EQ(stream_->Read(bytes.data(), size, &read), expected);
    bytes.resize(read);
    return bytes;
  }

  ULONGLONG Seek(LONGLONG distance, DWORD origin, HRESULT expected = S_OK) {
    LARGE_INTEGER move;
    move.QuadPart = distance;
    ULARGE_INTEGER position;
    position.QuadPart = 999;
    EXPECT_EQ(stream_->Seek(move, origin, &position), expected) << "origin " << origin << " by " << distance;
    return position.QuadPart;
  }

  std::wstring path_;
  IStream* stream_ = nullptr;
};

TEST_F(FileStreamTest, AMissingFileGivesTheSystemsErrorAndNoStream) {
  IStream* missing = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(FileStream::OpenFile(L"C:\\no\\such\\file.xml", &missing), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(missing, nullptr);
}

TEST_F(FileStreamTest, AnswersForItsThreeInterfacesOnly) {
  EXPECT_EQ(stream_->QueryInterface(IID_IStream, nullptr), E_INVALIDARG);

  ULONG count = 1;
  for (REFIID iid : {IID_IUnknown, IID_IStream, IID_ISequentialStream}) {
    void* object = nullptr;
    EXPECT_EQ(stream_->QueryInterface(iid, &object), S_OK);
    EXPECT_EQ(object, static_cast<IStream*>(stream_));
    ++count;
  }
  EXPECT_EQ(stream_->AddRef(), count + 1) << "each answer took a reference";

  void* other = this;
  EXPECT_EQ(stream_->QueryInterface(IID_IStorage, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST_F(FileStreamTest, ReadsSeeksAndTellsTheSize) {
  EXPECT_EQ(Read(4), "0123");
  EXPECT_EQ(Seek(2, STREAM_SEEK_CUR), 6u);
  EXPECT_EQ(Read(10), "6789") << "a short read is not an error";
  EXPECT_EQ(Read(10), "") << "nor is one at the end";
  EXPECT_EQ(Seek(-3, STREAM_SEEK_END), 7u);
  EXPECT_EQ(Read(1), "7");
  EXPECT_EQ(Seek(1, STREAM_SEEK_SET), 1u);
  EXPECT_EQ(Read(2), "12");
  Seek(0, 3, STG_E_INVALIDFUNCTION);
  Seek(-1, STREAM_SEEK_SET, HRESULT_FROM_WIN32(ERROR_NEGATIVE_SEEK));

  STATSTG status = {};
  status.type = 77;
  status.grfMode = 0x1234;
  EXPECT_EQ(stream_->Stat(&status, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(status.cbSize.QuadPart, 10u);
  EXPECT_EQ(status.type, 77u) << "only the size is filled in";
  EXPECT_EQ(status.grfMode, 0x1234u);
}

TEST_F(FileStreamTest, WritingFailsWithTheSystemsError) {
  ULONG written = 12345;
  EXPECT_EQ(stream_->Write("x", 1, &written), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_EQ(written, 0u);
}

TEST_F(FileStreamTest, OffersNothingElse) {
  ULARGE_INTEGER size{};
  EXPECT_EQ(stream_->SetSize(size), E_NOTIMPL);
  EXPECT_EQ(stream_->CopyTo(nullptr, size, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(stream_->Commit(STGC_DEFAULT), E_NOTIMPL);
  EXPECT_EQ(stream_->Revert(), E_NOTIMPL);
  EXPECT_EQ(stream_->LockRegion(size, size, LOCK_WRITE), E_NOTIMPL);
  EXPECT_EQ(stream_->UnlockRegion(size, size, LOCK_WRITE), E_NOTIMPL);
  IStream* clone = nullptr;
  EXPECT_EQ(stream_->Clone(&clone), E_NOTIMPL);
}

TEST_F(FileStreamTest, OthersMayReadTheFileAndMayWriteItOnceTheLastReferenceIsGone) {
  HANDLE reader = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "read sharing";
  CloseHandle(reader);

  EXPECT_EQ(stream_->AddRef(), 2u);
  EXPECT_EQ(stream_->Release(), 1u);
  EXPECT_FALSE(WritableByOthers());
  EXPECT_EQ(stream_->Release(), 0u);
  stream_ = nullptr;
  EXPECT_TRUE(WritableByOthers()) << "the handle was closed";
}

}  // namespace
}  // namespace quillo::win32
