#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillo {

// One HTTP GET: where it goes and how the request is opened.
struct HttpTarget {
  std::wstring host;
  uint16_t port = 80;
  std::wstring path;       // request path with its query
  std::wstring userAgent;  // empty: none
  std::wstring referrer;   // empty: none
  std::vector<std::wstring> acceptTypes;
  // The analytics exchange uses the system's narrow-character calls; the
  // texts are ASCII, so only the calls differ.
  bool narrowCalls = false;
  // Milliseconds each stage (connecting, sending, waiting for the answer and
  // for each read) may take on this request's connection before it fails
  // with a time-out; 0 keeps the system's own limits.
  uint32_t timeoutMs = 0;
};

// The step of opening a request that failed.
enum class HttpStep { kOpen, kConnect, kOpenRequest };

enum class HeaderMode { kAddIfNew, kReplace };

class HttpRequest {
 public:
  virtual ~HttpRequest() = default;
  // Adds request headers ("Name: value\r\n" lines) before Send.
  virtual bool AddHeaders(const std::wstring& headers, HeaderMode mode) = 0;
  // Sends the request; 0 on success, otherwise the system's error code.
  virtual uint32_t Send() = 0;
  // The response status code; empty when it cannot be read.
  virtual std::optional<uint32_t> StatusCode() = 0;
  // The Content-Length header as text, read into a buffer of bufferBytes;
  // empty when the response has none or it does not fit.
  virtual std::optional<std::wstring> ContentLength(size_t bufferBytes) = 0;
  // Reads the next bytes of the body: 0 at its end, empty when the read fails
  // (a dropped connection, for example).
  virtual std::optional<size_t> Read(uint8_t* buffer, size_t size) = 0;
};

struct HttpOpenResult {
  std::unique_ptr<HttpRequest> request;  // null when a step failed
  HttpStep failedStep = HttpStep::kOpen;
  uint32_t error = 0;  // the system's error code of the failed step
};

class NetworkPort {
 public:
  virtual ~NetworkPort() = default;
  // Probes the site at `url` by forcing a connection to it.
  virtual bool CheckConnection(const std::string& url) = 0;
  // Downloads `url` whole to the file at `path`, replacing it; 0 (S_OK) on
  // success, otherwise the failure's result code.
  virtual int32_t DownloadToFile(const std::wstring& url, const std::wstring& path) = 0;
  // Opens the internet handle, the connection and the GET request.
  virtual HttpOpenResult OpenRequest(const HttpTarget& target) = 0;
};

}  // namespace quillo
