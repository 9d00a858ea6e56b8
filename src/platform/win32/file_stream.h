#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>

namespace quillo::win32 {

// A read-only byte stream over one open file, for the XML reader. It owns the
// handle and closes it when the last reference goes. Only reading, seeking
// and the size are offered; the rest of the stream interface answers "not
// implemented".
class FileStream final : public IStream {
 public:
  // Opens an existing file for reading (others may read it too) and wraps it
  // in a stream holding one reference. On failure `*stream` is null and the
  // result is the system's error as a result code.
  static HRESULT OpenFile(const std::wstring& path, IStream** stream);

  explicit FileStream(HANDLE file) : file_(file) {}
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ISequentialStream
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* written) override;

  // IStream
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER distance, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* status, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

 private:
  ~FileStream();

  HANDLE file_;
  LONG references_ = 1;
};

}  // namespace quillo::win32
