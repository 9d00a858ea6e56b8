#include "platform/win32/file_stream.h"

namespace quillo::win32 {
namespace {

// The last error as a result code, the way HRESULT_FROM_WIN32 forms it.
HRESULT LastError() {
  const DWORD error = GetLastError();
  return static_cast<HRESULT>(error) <= 0 ? static_cast<HRESULT>(error)
                                          : static_cast<HRESULT>((error & 0x0000FFFF) | 0x80070000);
}

}  // namespace

HRESULT FileStream::OpenFile(const std::wstring& path, IStream** stream) {
  *stream = nullptr;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  *stream = new FileStream(file);
  return S_OK;
}

FileStream::~FileStream() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

HRESULT FileStream::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) || IsEqualIID(iid, IID_ISequentialStream)) {
    *object = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG FileStream::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG FileStream::Release() {
  const LONG count = InterlockedDecrement(&references_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT FileStream::Read(void* buffer, ULONG size, ULONG* read) {
  DWORD done = 0;
  const BOOL ok = ReadFile(file_, buffer, size, &done, nullptr);
  if (read != nullptr) *read = done;
  return ok ? S_OK : LastError();
}

HRESULT FileStream::Write(const void* buffer, ULONG size, ULONG* written) {
  DWORD done = 0;
  const BOOL ok = WriteFile(file_, buffer, size, &done, nullptr);
  if (written != nullptr) *written = done;
  return ok ? S_OK : LastError();
}

HRESULT FileStream::Seek(LARGE_INTEGER distance, DWORD origin, ULARGE_INTEGER* position) {
  DWORD method = FILE_BEGIN;
  switch (origin) {
    case STREAM_SEEK_SET:
      method = FILE_BEGIN;
      break;
    case STREAM_SEEK_CUR:
      method = FILE_CURRENT;
      break;
    case STREAM_SEEK_END:
      method = FILE_END;
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  LARGE_INTEGER moved{};
  if (!SetFilePointerEx(file_, distance, &moved, method)) return LastError();
  if (position != nullptr) position->QuadPart = static_cast<ULONGLONG>(moved.QuadPart);
  return S_OK;
}

HRESULT FileStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }

HRESULT FileStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }

HRESULT FileStream::Commit(DWORD) { return E_NOTIMPL; }

HRESULT FileStream::Revert() { return E_NOTIMPL; }

HRESULT FileStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }

HRESULT FileStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }

HRESULT FileStream::Stat(STATSTG* status, DWORD) {
  // Callers ask only for the size; the other fields stay as they gave them.
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_, &size)) return LastError();
  status->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  return S_OK;
}

HRESULT FileStream::Clone(IStream**) { return E_NOTIMPL; }

}  // namespace quillo::win32
