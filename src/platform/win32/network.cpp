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

  std::optional<size_t> Read(uint8_t* buffer, size_t size) override {
    if (!sent_) return std::nullopt;
    DWORD read = 0;
    if (!InternetReadFile(request_, buffer, static_cast<DWORD>(size), &read)) return std::nullopt;
    return read;
  }

 private:
  HINTERNET internet_;
  HINTERNET connection_;
  HINTERNET request_;
  bool narrow_;
  BOOL sent_ = FALSE;
};

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
  return URLDownloadToFileW(nullptr, url.c_str(), path.c_str(), 0, nullptr);
}

HttpOpenResult Network::OpenRequest(const HttpTarget& target) {
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  if (target.narrowCalls) {
    const std::string agent = Ascii(target.userAgent);
    internet = InternetOpenA(agent.empty() ? nullptr : agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return Failed(HttpStep::kOpen, {});
    connection = InternetConnectA(internet, Ascii(target.host).c_str(), target.port, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 1);
    if (connection == nullptr) return Failed(HttpStep::kConnect, {internet});
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
    connection = InternetConnectW(internet, target.host.c_str(), target.port, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr) return Failed(HttpStep::kConnect, {internet});
    std::vector<const wchar_t*> acceptList;
    for (const std::wstring& type : target.acceptTypes) acceptList.push_back(type.c_str());
    acceptList.push_back(nullptr);
    request = HttpOpenRequestW(connection, L"GET", target.path.c_str(), nullptr, OrNull(target.referrer),
                               target.acceptTypes.empty() ? nullptr : acceptList.data(), 0, 0);
  }
  if (request == nullptr) return Failed(HttpStep::kOpenRequest, {connection, internet});
  HttpOpenResult result;
  result.request = std::make_unique<WinInetRequest>(internet, connection, request, target.narrowCalls);
  return result;
}

}  // namespace quillo::win32
