#include "win32/vendor_server.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quillo::test {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    ADD_FAILURE() << name << " is not set: the network tests run through ctest, beside the vendor server";
    return {};
  }
  return value;
}

// The server runs outside Wine; its folders are reached through drive Z:.
std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string ReadAll(const std::string& unixPath) {
  std::ifstream in(WindowsPath(unixPath), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class Handle {
 public:
  explicit Handle(HINTERNET handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  operator HINTERNET() const { return handle_; }

 private:
  HINTERNET handle_;
};

}  // namespace

testing::AssertionResult VendorServer::SetFaults(const std::string& switches) {
  const std::string control = Environment("QUILLO_VENDOR_CONTROL");
  const size_t colon = control.rfind(':');
  if (colon == std::string::npos) return testing::AssertionFailure() << "QUILLO_VENDOR_CONTROL: '" << control << "'";
  const std::string host = control.substr(0, colon);
  const auto port = static_cast<INTERNET_PORT>(std::stoi(control.substr(colon + 1)));

  Handle internet(InternetOpenA("Quillo network tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  Handle connection(InternetConnectA(internet, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  Handle request(HttpOpenRequestA(connection, switches.empty() ? "DELETE" : "PUT", "/faults", nullptr, nullptr,
                                  nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (request == nullptr) return testing::AssertionFailure() << "no request to the control address " << control;
  std::string body = switches;
  if (!HttpSendRequestA(request, nullptr, 0, body.data(), static_cast<DWORD>(body.size()))) {
    return testing::AssertionFailure() << "the vendor server's control address " << control
                                       << " did not answer (error " << GetLastError() << ")";
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
  std::string answer;
  char piece[1024];
  for (DWORD got = 0; InternetReadFile(request, piece, sizeof piece, &got) && got > 0;) answer.append(piece, got);
  if (status != 200) return testing::AssertionFailure() << "fault switches refused (" << status << "): " << answer;
  return testing::AssertionSuccess();
}

std::string VendorServer::DataFile(const std::string& endpoint, const std::string& path) {
  return ReadAll(Environment("QUILLO_VENDOR_DATA") + "/" + endpoint + path);
}

std::vector<std::string> VendorServer::RequestLines(const std::string& endpoint) {
  std::istringstream log(ReadAll(Environment("QUILLO_VENDOR_OUT") + "/" + endpoint + ".log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

std::string VendorServer::RequestsLog() { return ReadAll(Environment("QUILLO_VENDOR_OUT") + "/requests.log"); }

}  // namespace quillo::test
