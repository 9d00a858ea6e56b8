#include "vendor_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace vendor_server {
namespace {
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

// Sends `request` as it is and reads the answer until the server closes the
// connection; empty when nothing could connect.
std::optional<std::string> Exchange(uint16_t port, const std::string& request) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  timeval timeout{10, 0};
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(sock);
    return std::nullopt;
  }
  send(sock, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = recv(sock, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(got));
  close(sock);
  return answer;
}

// A server on ports of its own with a small data folder.
class ServerTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/vendor-server-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    root_ = folder;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) package_.push_back(static_cast<char>(random()));
    WriteFile(root_ / "data/download/packages/driver.exe", package_);
    WriteFile(root_ / "data/download/empty.txt", "");
    WriteFile(root_ / "data/support/en-us/index.html", "<p>support</p>");
    WriteFile(root_ / "secret.txt", "outside the data folder");

    Options options;
    options.root = root_ / "data";
    options.out = root_ / "out";
    options.addresses = {{"download", "127.0.0.1", 0, false},
                         {"support", "127.0.0.1", 0, false},
                         {"analytics", "127.0.0.1", 0, false}};
    options.control = EndpointAddress{"control", "127.0.0.1", 0, false};
    server_ = std::make_unique<VendorServer>(options);
    std::string error;
    ASSERT_TRUE(server_->Start(error)) << error;
    std::istringstream addresses(server_->Addresses());
    for (std::string name, url; addresses >> name >> url;) ports_[name] = std::stoi(url.substr(url.rfind(':') + 1));
  }

  void TearDown() override {
    server_->Stop();
    fs::remove_all(root_);
  }

  uint16_t Port(const std::string& endpoint) { return static_cast<uint16_t>(ports_.at(endpoint)); }

  void SetFaults(const std::string& text) {
    httplib::Client control("127.0.0.1", Port("control"));
    const httplib::Result result = control.Put("/faults", text, "text/plain");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << result->body;
  }

  fs::path root_;
  std::string package_;
  std::unique_ptr<VendorServer> server_;
  std::map<std::string, int> ports_;
};

struct RawCase {
  const char* endpoint;
  std::string line;
  const char* statusLine;
};

TEST_F(ServerTest, LogsEveryRequestLineAsItArrived) {
  const RawCase cases[] = {
      // Blanks and bytes a parser would refuse or change.
      {"analytics", "GET /r/collect?v=1&t=event&ec=Quillo Utility&ea=Start Download HTTP/1.1", "HTTP/1.1 200 OK"},
      {"analytics", "GET /r/collect?v=1&a=b%20c&c=%E9#fragment HTTP/1.1", "HTTP/1.1 200 OK"},
      {"analytics", "GET /r/collect?v=1&ul=fr-fr&x=\xe9t\xe9 HTTP/1.1", "HTTP/1.1 200 OK"},
      {"analytics", "GET /r/other HTTP/1.1", "HTTP/1.1 404 Not Found"},
      {"analytics", "BREW /r/collect HTTP/1.1", "HTTP/1.1 400 Bad Request"},
      {"support", "GET /en-us?x=1 HTTP/1.1", "HTTP/1.1 200 OK"},
      {"support", "GET /../secret.txt HTTP/1.1", "HTTP/1.1 404 Not Found"},
      {"support", "GET /en-us/../../secret.txt HTTP/1.1", "HTTP/1.1 404 Not Found"},
  };
  std::vector<RawCase> all(std::begin(cases), std::end(cases));
  all.push_back({"support", "GET /" + root_.string() + "/secret.txt HTTP/1.1", "HTTP/1.1 404 Not Found"});
  std::map<std::string, std::string> expectedLogs;
  for (const RawCase& c : all) {
    const std::optional<std::string> answer =
        Exchange(Port(c.endpoint), c.line + "\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    ASSERT_TRUE(answer) << c.line;
    EXPECT_EQ(answer->substr(0, answer->find("\r\n")), c.statusLine) << c.line;
    EXPECT_EQ(answer->find("outside the data folder"), std::string::npos) << c.line;
    expectedLogs[c.endpoint] += c.line + "\n";
  }
  for (const auto& [endpoint, log] : expectedLogs) {
    EXPECT_EQ(ReadFile(root_ / "out" / (endpoint + ".log")), log) << endpoint;
  }
  // The full log holds each head, header lines included.
  const std::string requests = ReadFile(root_ / "out/requests.log");
  EXPECT_NE(requests.find("--- analytics http://127.0.0.1:" + std::to_string(Port("analytics")) +
                          " -> 200\nGET /r/collect?v=1&t=event&ec=Quillo Utility&ea=Start Download HTTP/1.1\n"
                          "Host: 127.0.0.1\nConnection: close\n\n"),
            std::string::npos)
      << requests;
}

struct AnswerCase {
  const char* faults;
  const char* path;
  const char* range;  // empty: none
  int status;
  const char* contentRange;  // empty: none
  size_t bodyOffset;         // into the package, for bodies that are a part of it
  size_t bodyLength;         // 0 with status >= 400: an HTML page
  bool hasLength;
};

TEST_F(ServerTest, AnswersRangesAndFaultSwitches) {
  const AnswerCase cases[] = {
      {"", "/packages/driver.exe", "", 200, "", 0, 20000, true},
      {"", "/packages/driver.exe", "bytes=5000-20000", 206, "bytes 5000-19999/20000", 5000, 15000, true},
      {"", "/packages/driver.exe", "bytes=12345-", 206, "bytes 12345-19999/20000", 12345, 7655, true},
      {"", "/packages/driver.exe", "bytes=500-100", 200, "", 0, 20000, true},
      {"", "/packages/driver.exe", "bytes=20000-20000", 416, "bytes */20000", 0, 0, true},
      {"", "/packages/driver.exe", "bytes=25000-20000", 416, "bytes */20000", 0, 0, true},
      {"", "/packages/missing.exe", "", 404, "", 0, 0, true},
      {"", "/empty.txt", "", 200, "", 0, 0, true},
      {"download /packages/driver.exe ignore-range", "/packages/driver.exe", "bytes=5000-20000", 200, "", 0, 20000,
       true},
      {"download /packages/driver.exe status 404", "/packages/driver.exe", "", 404, "", 0, 0, true},
      {"download * status 500", "/packages/driver.exe", "bytes=5000-", 500, "", 0, 0, true},
      {"download /packages/driver.exe no-length", "/packages/driver.exe", "", 200, "", 0, 20000, false},
      {"download /packages/driver.exe no-length", "/packages/driver.exe", "bytes=19000-", 206,
       "bytes 19000-19999/20000", 19000, 1000, false},
      {"download /packages/driver.exe rate 400000", "/packages/driver.exe", "", 200, "", 0, 20000, true},
      {"download /packages/driver.exe first-byte-delay 300", "/packages/driver.exe", "", 200, "", 0, 20000, true},
      // The other paths are not touched by a path's switch.
      {"download /packages/other.exe status 500", "/packages/driver.exe", "", 200, "", 0, 20000, true},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(std::string(c.faults) + " | " + c.path + " | " + c.range);
    SetFaults(c.faults);
    httplib::Client client("127.0.0.1", Port("download"));
    httplib::Headers headers;
    if (*c.range != '\0') headers.emplace("Range", c.range);
    const httplib::Result result = client.Get(c.path, headers);
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, c.status);
    EXPECT_EQ(result->get_header_value("Content-Range"), c.contentRange);
    EXPECT_EQ(result->has_header("Content-Length"), c.hasLength);
    if (c.status >= 400) {
      EXPECT_NE(result->body.find("<h1>" + std::to_string(c.status) + " "), std::string::npos) << result->body;
      EXPECT_EQ(result->get_header_value("Content-Type"), "text/html");
    } else {
      EXPECT_TRUE(result->body == package_.substr(c.bodyOffset, c.bodyLength))
          << result->body.size() << " bytes instead of " << c.bodyLength;
    }
  }
}

TEST_F(ServerTest, DropsTheConnectionAfterTheSetNumberOfBodyBytes) {
  SetFaults("download /packages/driver.exe drop-after 7000");
  const std::optional<std::string> answer =
      Exchange(Port("download"), "GET /packages/driver.exe HTTP/1.1\r\nHost: x\r\n\r\n");
  ASSERT_TRUE(answer);
  const size_t bodyAt = answer->find("\r\n\r\n") + 4;
  EXPECT_NE(answer->find("Content-Length: 20000\r\n"), std::string::npos);
  EXPECT_EQ(answer->substr(bodyAt), package_.substr(0, 7000));
}

TEST_F(ServerTest, RefusesConnectionsWhileSwitchedAndListensAgainOnTheSamePort) {
  const uint16_t port = Port("download");
  SetFaults("download * refuse");
  EXPECT_FALSE(Exchange(port, "GET /empty.txt HTTP/1.1\r\nConnection: close\r\n\r\n"));
  EXPECT_TRUE(Exchange(Port("support"), "GET /en-us HTTP/1.1\r\nConnection: close\r\n\r\n"));

  httplib::Client control("127.0.0.1", Port("control"));
  const httplib::Result wrong = control.Put("/faults", "download * refuse\nsupport /x explode\n", "text/plain");
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 400);
  EXPECT_EQ(wrong->body, "line 2 (support /x explode): unknown fault 'explode'\n");
  EXPECT_EQ(control.Get("/faults")->body, "download * refuse\n");

  ASSERT_TRUE(control.Delete("/faults"));
  const std::optional<std::string> answer = Exchange(port, "GET /empty.txt HTTP/1.1\r\nConnection: close\r\n\r\n");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->substr(0, answer->find("\r\n")), "HTTP/1.1 200 OK");
}

}  // namespace
}  // namespace vendor_server

namespace vendor_server {
namespace {

// The survey server over TLS with the certificate the build made, checked
// against the build's test authority.
TEST(TlsServerTest, AnswersOverTlsWithTheTestCertificateAndLogsTheLine) {
  char folder[] = "/tmp/vendor-server-tls-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const fs::path root = folder;
  const fs::path tls = VENDOR_SERVER_TLS_DIR;
  const std::string host = VENDOR_SERVER_TLS_HOST;
  Options options;
  options.root = root;
  options.out = root / "out";
  options.cert = tls / "server.pem";
  options.key = tls / "server.key";
  options.addresses = {{"survey", host, 0, true}};
  VendorServer server(options);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  const std::string addresses = server.Addresses();
  ASSERT_EQ(addresses.rfind("survey https://" + host + ":", 0), 0u) << addresses;
  const int port = std::stoi(addresses.substr(addresses.rfind(':') + 1));

  httplib::SSLClient client(host, port);
  client.set_ca_cert_path((tls / "ca.pem").c_str());
  client.enable_server_certificate_verification(true);
  const httplib::Result result = client.Get("/acc?lang=en-us&q=a%20b");
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(result->status, 200);
  server.Stop();
  EXPECT_EQ(ReadFile(root / "out/survey.log"), "GET /acc?lang=en-us&q=a%20b HTTP/1.1\n");
  fs::remove_all(root);
}

}  // namespace
}  // namespace vendor_server
