#include <windows.h>
#include <wininet.h>
#include <urlmon.h>

#include <vector>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

class WinInetRequest final : public HttpRequest {
 public:
  WinInetRequest(HINTERNET internet, HINTERNET connection, HINTERNET request, bool narrow)
      : internet_(internet), connection_(connection), request_(request), narrow_(narrow) {}
  ~WinInetRequest() override {
    InternetCloseHandle(request_);
    InternetCloseHandle(connection_);
    InternetCloseHandle(internet_);
  }
  WinInetRequest(const WinInetRequest&) = delete;
  WinInetRequest& operator=(const WinInetRequest&) = delete;

  bool AddHeaders(const std::wstring& headers, HeaderMode mode) override {
    const DWORD modifier = mode == HeaderMode::kReplace ? HTTP_ADDREQ_FLAG_REPLACE : HTTP_ADDREQ_FLAG_ADD;
    if (narrow_) {
      const std::string narrowHeaders = Ascii(headers);
      return HttpAddRequestHeadersA(request_, narrowHeaders.c_str(), static_cast<DWORD>(narrowHeaders.size()),
                                    modifier) != FALSE;
    }
    return HttpAddRequestHeadersW(request_, headers.c_str(), static_cast<DWORD>(headers.size()), modifier) != FALSE;
  }

  uint32_t Send() override {
    sent_ = narrow_ ? HttpSendRequestA(request_, nullptr, 0, nullptr, 0)
                    : HttpSendRequestW(request_, nullptr, 0, nullptr, 0);
    return sent_ ? 0 : GetLastError();
  }

  // Without a response there is nothing to read, whatever the system's
  // queries would answer for the request.
  std::optional<uint32_t> StatusCode() override {
    if (!sent_) return std::nullopt;
    char buffer[10] = {};
    DWORD size = sizeof buffer;
    if (!HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE, buffer, &size, nullptr)) return std::nullopt;
    return static_cast<uint32_t>(strtoul(buffer, nullptr, 10));
  }

  std::optional<std::wstring> ContentLength(size_t bufferBytes) override {
    if (!sent_) return std::nullopt;
    std::vector<wchar_t> buffer(bufferBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(bufferBytes);
    if (!HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH, buffer.data(), &size, nullptr)) return std::nullopt;
    return std::wstring(buffer.data(), size / sizeof(wchar_t));
  }

  // InternetReadFile reports the end of a connection that drops within a
  // body of known length as the body's end; such a body is short, and its
  // last read fails.
  std::optional<size_t> Read(uint8_t* buffer, size_t size) override {
    if (!sent_) return std::nullopt;
    DWORD read = 0;
    if (!InternetReadFile(request_, buffer, static_cast<DWORD>(size), &read)) return std::nullopt;
    received_ += read;
    if (read == 0 && size > 0) {
      const std::optional<uint64_t> length = AnnouncedLength();
      if (length && received_ < *length) {
        SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
        return std::nullopt;
      }
    }
    return read;
  }

 private:
  std::optional<uint64_t> AnnouncedLength() {
    wchar_t text[32] = {};
    DWORD size = sizeof text - sizeof text[0];
    if (!HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
    wchar_t* end = nullptr;
    const uint64_t length = wcstoull(text, &end, 10);
    if (end == text || *end != L'\0') return std::nullopt;
    return length;
  }

  HINTERNET internet_;
  HINTERNET connection_;
  HINTERNET request_;
  bool narrow_;
  BOOL sent_ = FALSE;
  uint64_t received_ = 0;
};

// Watches a URL download for what URLDownloadToFileW leaves unsaid: the
// HTTP status of the answer (an error page is saved like any file) and a
// body that ended before its announced size.
class DownloadWatch final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  // The download's outcome, given what URLDownloadToFileW returned.
  HRESULT Outcome(HRESULT result) const {
    if (FAILED(result)) return result;
    if (status_ == HTTP_STATUS_NOT_FOUND || status_ == HTTP_STATUS_GONE) return INET_E_RESOURCE_NOT_FOUND;
    if (status_ != 0 && (status_ < 200 || status_ > 299)) return INET_E_DOWNLOAD_FAILURE;
    if (announced_ != 0 && received_ < announced_) return INET_E_DATA_NOT_AVAILABLE;
    return result;
  }

  // Lives on the caller's stack for the whole download.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IBindStatusCallback) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (iid == IID_IHttpNegotiate) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }

  STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG status, LPCWSTR) override {
    if (status == BINDSTATUS_DOWNLOADINGDATA || status == BINDSTATUS_ENDDOWNLOADDATA) {
      received_ = progress;
      announced_ = progressMax;
    }
    return S_OK;
  }
  STDMETHODIMP OnResponse(DWORD status, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) override {
    status_ = status;
    if (additionalHeaders != nullptr) *additionalHeaders = nullptr;
    return S_OK;
  }
  STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) *additionalHeaders = nullptr;
    return S_OK;
  }
  STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
  STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

 private:
  DWORD status_ = 0;
  ULONG received_ = 0;
  ULONG announced_ = 0;
};

// Bounds the stages of the exchanges of one request, on each of its own
// handles (the system takes some limits from one, some from another).
void LimitTime(HINTERNET internet, uint32_t timeoutMs) {
  if (timeoutMs == 0) return;
  DWORD value = timeoutMs;
  for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                             INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                             INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
    InternetSetOptionW(internet, option, &value, sizeof value);
  }
  DWORD retries = 1;
  InternetSetOptionW(internet, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
}

HttpOpenResult Failed(HttpStep step, std::initializer_list<HINTERNET> opened) {
  HttpOpenResult result;
  result.failedStep = step;
  result.error = GetLastError();
  for (HINTERNET handle : opened) InternetCloseHandle(handle);
  return result;
}

}  // namespace

bool Network::CheckConnection(const std::string& url) {
  return InternetCheckConnectionA(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

int32_t Network::DownloadToFile(const std::wstring& url, const std::wstring& path) {
  DownloadWatch watch;
  const HRESULT result = URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, &watch);
  const HRESULT outcome = watch.Outcome(result);
  // What is left in the file is an error page or a part: nothing to read as the download.
  if (SUCCEEDED(result) && FAILED(outcome)) DeleteFileW(path.c_str());
  return outcome;
}

HttpOpenResult Network::OpenRequest(const HttpTarget& target) {
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  if (target.narrowCalls) {
    const std::string agent = Ascii(target.userAgent);
    internet = InternetOpenA(agent.empty() ? nullptr : agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return Failed(HttpStep::kOpen, {});
    LimitTime(internet, target.timeoutMs);
    connection = InternetConnectA(internet, Ascii(target.host).c_str(), target.port, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 1);
    if (connection == nullptr) return Failed(HttpStep::kConnect, {internet});
    LimitTime(connection, target.timeoutMs);
    std::vector<std::string> accept;
    for (const std::wstring& type : target.acceptTypes) accept.push_back(Ascii(type));
    std::vector<const char*> acceptList;
    for (const std::string& type : accept) acceptList.push_back(type.c_str());
    acceptList.push_back(nullptr);
    const std::string referrer = Ascii(target.referrer);
    request = HttpOpenRequestA(connection, "GET", Ascii(target.path).c_str(), nullptr,
                               referrer.empty() ? nullptr : referrer.c_str(),
                               accept.empty() ? nullptr : acceptList.data(), 0, 1);
  } else {
    internet = InternetOpenW(OrNull(target.userAgent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return Failed(HttpStep::kOpen, {});
    LimitTime(internet, target.timeoutMs);
    connection = InternetConnectW(internet, target.host.c_str(), target.port, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr) return Failed(HttpStep::kConnect, {internet});
    LimitTime(connection, target.timeoutMs);
    std::vector<const wchar_t*> acceptList;
    for (const std::wstring& type : target.acceptTypes) acceptList.push_back(type.c_str());
    acceptList.push_back(nullptr);
    request = HttpOpenRequestW(connection, L"GET", target.path.c_str(), nullptr, OrNull(target.referrer),
                               target.acceptTypes.empty() ? nullptr : acceptList.data(), 0, 0);
  }
  if (request == nullptr) return Failed(HttpStep::kOpenRequest, {connection, internet});
  LimitTime(request, target.timeoutMs);
  HttpOpenResult result;
  result.request = std::make_unique<WinInetRequest>(internet, connection, request, target.narrowCalls);
  return result;
}

}  // namespace quillo::win32
