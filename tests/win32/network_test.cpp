#include <windows.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/endpoints.h"
#include "platform/win32/win32_ports.h"
#include "win32/vendor_server.h"

namespace quillo::win32 {
namespace {

using test::VendorServer;

constexpr wchar_t kAgent[] = L"Velmora Halvard Quillo Utility";
const std::string kPackage = "/drivers/09/velmora-graphics-31.0.101.4502-win10-64.exe";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring TempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

std::optional<std::string> ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::wstring& path, const std::string& content) {
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << content;
}

// Reads a body to its end in pieces of 5000 bytes, as the downloader does;
// empty when a read fails.
std::optional<std::string> ReadBody(HttpRequest& request) {
  std::string body;
  uint8_t piece[5000];
  for (;;) {
    const std::optional<size_t> got = request.Read(piece, sizeof piece);
    if (!got) return std::nullopt;
    if (*got == 0) return body;
    body.append(reinterpret_cast<const char*>(piece), *got);
  }
}

// The tests talk to the vendor server on this build's endpoints. Each starts
// and ends with no fault switch set.
class NetworkTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(VendorServer::SetFaults("")); }
  void TearDown() override { EXPECT_TRUE(VendorServer::SetFaults("")); }

  // A GET of a package as the downloader opens it.
  HttpOpenResult OpenPackage(const std::string& path = kPackage) {
    HttpTarget target;
    target.host = endpoints_.downloadServer;
    target.path = Wide(path);
    target.userAgent = kAgent;
    target.referrer = L"http://" + endpoints_.supportServer;
    return network_.OpenRequest(target);
  }

  // Asks for the bytes from `first` on, up to the size as the downloader does.
  static bool AskForRange(HttpRequest& request, size_t first, size_t size) {
    return request.AddHeaders(L"Range: bytes=" + std::to_wstring(first) + L"-" + std::to_wstring(size) + L"\r\n",
                              HeaderMode::kAddIfNew);
  }

  const Endpoints& endpoints_ = BuiltInEndpoints();
  const std::string package_ = VendorServer::DataFile("download", kPackage);
  Network network_;
};

TEST_F(NetworkTest, TheProbeSeesTheVendorWebSiteUpAndDown) {
  const std::string site = "http://" + Narrow(endpoints_.vendorWebSite) + "/";
  EXPECT_TRUE(network_.CheckConnection(site));
  ASSERT_TRUE(VendorServer::SetFaults("vendor-web * refuse"));
  EXPECT_FALSE(network_.CheckConnection(site));
  ASSERT_TRUE(VendorServer::SetFaults(""));
  EXPECT_TRUE(network_.CheckConnection(site));
}

struct DownloadCase {
  const char* scheme;
  const char* endpoint;
  const char* path;
};

TEST_F(NetworkTest, DownloadsCataloguesWholeOverHttpAndHttps) {
  const std::map<std::string, std::wstring> hosts = {{"support", endpoints_.supportServer},
                                                     {"local-test", endpoints_.localTestServer}};
  const DownloadCase cases[] = {
      {"https", "support", "/drivers/xml/compatible_features.xml"},
      {"http", "support", "/drivers/xml/driver_09_us.xml"},
      {"http", "support", "/drivers/xml/driver_09_us_test.xml"},
      {"http", "local-test", "/drivers/xml/driver_09_us_local.xml"},
  };
  const std::wstring file = TempFile(L"quillo-catalogue.xml");
  for (const DownloadCase& c : cases) {
    SCOPED_TRACE(std::string(c.scheme) + " " + c.endpoint + c.path);
    // Whatever the file held before is replaced.
    WriteFile(file, std::string(50000, 'x'));
    const std::wstring url = Wide(c.scheme) + L"://" + hosts.at(c.endpoint) + Wide(c.path);
    EXPECT_EQ(network_.DownloadToFile(url, file), S_OK);
    const std::string expected = VendorServer::DataFile(c.endpoint, c.path);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadFile(file), expected);
    EXPECT_EQ(VendorServer::RequestLines(c.endpoint).back(), std::string("GET ") + c.path + " HTTP/1.1");
  }
  DeleteFileW(file.c_str());
}

struct FailedDownloadCase {
  const char* faults;
  const char* path;
  HRESULT result;  // S_OK: any failure (the system's own code)
};

TEST_F(NetworkTest, ADownloadThatFailsIsReportedAsWhatWentWrong) {
  const FailedDownloadCase cases[] = {
      {"", "/drivers/xml/no_such_catalogue.xml", INET_E_RESOURCE_NOT_FOUND},
      {"support /drivers/xml/driver_09_us.xml status 404", "/drivers/xml/driver_09_us.xml", INET_E_RESOURCE_NOT_FOUND},
      {"support /drivers/xml/driver_09_us.xml status 500", "/drivers/xml/driver_09_us.xml", INET_E_DOWNLOAD_FAILURE},
      {"support /drivers/xml/driver_09_us.xml drop-after 100", "/drivers/xml/driver_09_us.xml",
       INET_E_DATA_NOT_AVAILABLE},
      {"support * refuse", "/drivers/xml/driver_09_us.xml", S_OK},
  };
  const std::wstring file = TempFile(L"quillo-failed.xml");
  for (const FailedDownloadCase& c : cases) {
    SCOPED_TRACE(std::string(c.faults) + " " + c.path);
    ASSERT_TRUE(VendorServer::SetFaults(c.faults));
    DeleteFileW(file.c_str());
    const HRESULT result = network_.DownloadToFile(L"http://" + endpoints_.supportServer + Wide(c.path), file);
    EXPECT_TRUE(FAILED(result)) << std::hex << result;
    if (c.result != S_OK) {
      EXPECT_EQ(result, c.result) << std::hex << result;
    }
    EXPECT_FALSE(ReadFile(file)) << "an error page or a part is left in place of the file";
  }
}

TEST_F(NetworkTest, AWholePackageComesWithItsLengthAndTheRequestCarriesAgentAndReferrer) {
  HttpOpenResult opened = OpenPackage();
  ASSERT_TRUE(opened.request) << opened.error;
  ASSERT_EQ(opened.request->Send(), 0u);
  EXPECT_EQ(opened.request->StatusCode(), 200u);
  EXPECT_EQ(opened.request->ContentLength(64), std::to_wstring(package_.size()));
  EXPECT_EQ(ReadBody(*opened.request), package_);

  const std::string log = VendorServer::RequestsLog();
  const std::string head = log.substr(log.rfind("GET " + kPackage + " HTTP/1.1\n"));
  EXPECT_NE(head.find("\nUser-Agent: Velmora Halvard Quillo Utility\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\nReferer: http://" + Narrow(endpoints_.supportServer) + "\n"), std::string::npos) << head;
  EXPECT_EQ(head.find("\nRange:"), std::string::npos) << head;
}

TEST_F(NetworkTest, AResumeGetsExactlyTheMissingBytes) {
  const size_t size = package_.size();
  for (const size_t first : {size_t{0}, size_t{1}, size_t{5000}, size_t{12345}, size - 1}) {
    SCOPED_TRACE("from byte " + std::to_string(first));
    HttpOpenResult opened = OpenPackage();
    ASSERT_TRUE(opened.request) << opened.error;
    ASSERT_TRUE(AskForRange(*opened.request, first, size));
    ASSERT_EQ(opened.request->Send(), 0u);
    EXPECT_EQ(opened.request->StatusCode(), 206u);
    EXPECT_EQ(opened.request->ContentLength(64), std::to_wstring(size - first));
    EXPECT_EQ(ReadBody(*opened.request), package_.substr(first));
    const std::string range = std::to_string(first) + "-" + std::to_string(size);
    const std::string answered = "-> 206 (Content-Range: bytes " + std::to_string(first) + "-" +
                                 std::to_string(size - 1) + "/" + std::to_string(size) + ")\nGET " + kPackage;
    const std::string log = VendorServer::RequestsLog();
    const size_t at = log.rfind(answered);
    ASSERT_NE(at, std::string::npos) << log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
    EXPECT_NE(log.find("\nRange: bytes=" + range + "\n", at), std::string::npos);
  }
}

TEST_F(NetworkTest, AResumeFromTheEndOrBeyondIsAnswered416) {
  for (const size_t first : {package_.size(), package_.size() + 100}) {
    HttpOpenResult opened = OpenPackage();
    ASSERT_TRUE(opened.request) << opened.error;
    ASSERT_TRUE(AskForRange(*opened.request, first, package_.size()));
    ASSERT_EQ(opened.request->Send(), 0u);
    EXPECT_EQ(opened.request->StatusCode(), 416u) << first;
  }
}

// What the downloader sees of each fault switch on its package.
struct FaultCase {
  std::string faults;
  std::optional<size_t> rangeFrom;
  bool sendFails;
  std::optional<uint32_t> status;
  std::optional<std::wstring> contentLength;  // not checked for HTML pages
  enum Body { kWhole, kFromRange, kShort, kReadFails, kHtmlPage } body;
};

TEST_F(NetworkTest, EachFaultSwitchIsReportedAsWhatItIs) {
  const std::wstring size = std::to_wstring(package_.size());
  const std::string on = "download " + kPackage + " ";
  const FaultCase cases[] = {
      // A connection dropped within a body of known length: the read fails.
      {on + "drop-after 7000", std::nullopt, false, 200, size, FaultCase::kReadFails},
      {on + "drop-after 0", std::nullopt, false, 200, size, FaultCase::kReadFails},
      {on + "drop-after 3000", 10000, false, 206, std::to_wstring(package_.size() - 10000), FaultCase::kReadFails},
      // Without a length the end of the connection is the end of the body.
      {on + "no-length\n" + on + "drop-after 7000", std::nullopt, false, 200, std::nullopt, FaultCase::kShort},
      {on + "no-length", std::nullopt, false, 200, std::nullopt, FaultCase::kWhole},
      {on + "no-length", 10000, false, 206, std::nullopt, FaultCase::kFromRange},
      {on + "ignore-range", 10000, false, 200, size, FaultCase::kWhole},
      {on + "status 404", std::nullopt, false, 404, std::nullopt, FaultCase::kHtmlPage},
      {on + "status 500", 10000, false, 500, std::nullopt, FaultCase::kHtmlPage},
      {on + "rate 50000", std::nullopt, false, 200, size, FaultCase::kWhole},
      {on + "first-byte-delay 1500", 10000, false, 206, std::to_wstring(package_.size() - 10000), FaultCase::kFromRange},
      {"download * refuse", std::nullopt, true, std::nullopt, std::nullopt,
       FaultCase::kReadFails},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.faults + (c.rangeFrom ? " from byte " + std::to_string(*c.rangeFrom) : ""));
    ASSERT_TRUE(VendorServer::SetFaults(c.faults));
    HttpOpenResult opened = OpenPackage();
    ASSERT_TRUE(opened.request) << opened.error;
    if (c.rangeFrom) {
      ASSERT_TRUE(AskForRange(*opened.request, *c.rangeFrom, package_.size()));
    }
    const uint32_t sent = opened.request->Send();
    ASSERT_EQ(sent != 0, c.sendFails) << "Send: " << sent;
    EXPECT_EQ(opened.request->StatusCode(), c.status);
    if (c.body != FaultCase::kHtmlPage) {
      EXPECT_EQ(opened.request->ContentLength(64), c.contentLength);
    }
    const std::optional<std::string> body = ReadBody(*opened.request);
    switch (c.body) {
      case FaultCase::kWhole: EXPECT_EQ(body, package_); break;
      case FaultCase::kFromRange: EXPECT_EQ(body, package_.substr(*c.rangeFrom)); break;
      case FaultCase::kShort: EXPECT_EQ(body, package_.substr(0, 7000)); break;
      case FaultCase::kReadFails: EXPECT_FALSE(body) << body->size() << " bytes read"; break;
      case FaultCase::kHtmlPage:
        ASSERT_TRUE(body);
        EXPECT_NE(body->find("<h1>" + std::to_string(*c.status) + " "), std::string::npos) << *body;
        break;
    }
  }
}

struct AnalyticsCase {
  std::string faults;
  std::string path;
  std::string lineSent;  // the request line as it leaves WinINet
  uint32_t status;
};

TEST_F(NetworkTest, TheAnalyticsExchangeGetsTheStatusAndTheServerGetsTheLineAsSent) {
  const std::string hit = "/r/collect?v=1&tid=UA-00000000-1&cid=1234567890&t=event&ec=QuilloUtility&ea=Start";
  const AnalyticsCase cases[] = {
      {"", hit + "&el=31.0.101.4502", "GET " + hit + "&el=31.0.101.4502 HTTP/1.1", 200},
      // Values go out unencoded; WinINet itself escapes the blanks of a path.
      {"", hit + "&el=Velmora Prism 7A10&ul=en-us", "GET " + hit + "&el=Velmora%20Prism%207A10&ul=en-us HTTP/1.1",
       200},
      {"analytics /r/collect status 500", hit, "GET " + hit + " HTTP/1.1", 500},
  };
  for (const AnalyticsCase& c : cases) {
    SCOPED_TRACE(c.path);
    ASSERT_TRUE(VendorServer::SetFaults(c.faults));
    HttpTarget target;
    target.host = endpoints_.analyticsCollector;
    target.path = Wide(c.path);
    target.acceptTypes = {L"Accept: */*"};
    target.narrowCalls = true;
    HttpOpenResult opened = network_.OpenRequest(target);
    ASSERT_TRUE(opened.request) << opened.error;
    EXPECT_TRUE(opened.request->AddHeaders(L"Accept: */*\r\n", HeaderMode::kReplace));
    ASSERT_EQ(opened.request->Send(), 0u);
    EXPECT_EQ(opened.request->StatusCode(), c.status);
    EXPECT_EQ(VendorServer::RequestLines("analytics").back(), c.lineSent);
    const std::string log = VendorServer::RequestsLog();
    const std::string head = log.substr(log.rfind(c.lineSent + "\n"));
    EXPECT_NE(head.find("\nAccept: */*\n"), std::string::npos) << head.substr(0, head.find("\n\n"));
  }
}

// A request with a time limit gives up on a server that does not answer;
// one without keeps waiting for it.
TEST_F(NetworkTest, ATimeLimitEndsTheWaitForASilentServer) {
  ASSERT_TRUE(VendorServer::SetFaults("analytics /r/collect first-byte-delay 6000"));
  HttpTarget target;
  target.host = endpoints_.analyticsCollector;
  target.path = L"/r/collect?v=1&t=timeout";
  target.narrowCalls = true;
  target.timeoutMs = 1000;
  HttpOpenResult opened = network_.OpenRequest(target);
  ASSERT_TRUE(opened.request) << opened.error;
  // Windows says 12002 (time-out), Wine 12030 (connection aborted): a failure either way.
  EXPECT_NE(opened.request->Send(), 0u);
  EXPECT_FALSE(opened.request->StatusCode());

  ASSERT_TRUE(VendorServer::SetFaults("analytics /r/collect first-byte-delay 1500"));
  target.timeoutMs = 0;
  opened = network_.OpenRequest(target);
  ASSERT_TRUE(opened.request) << opened.error;
  EXPECT_EQ(opened.request->Send(), 0u);
  EXPECT_EQ(opened.request->StatusCode(), 200u);
}

// Nothing listens on port 1 of the loopback address.
TEST(NetworkWithoutServerTest, AnUnreachableServerIsReportedAsFailure) {
  Network network;
  EXPECT_FALSE(network.CheckConnection("http://127.0.0.1:1/"));

  HttpTarget target;
  target.host = L"127.0.0.1";
  target.port = 1;
  target.path = L"/drivers/xml/driver_09_us.xml";
  target.userAgent = kAgent;
  HttpOpenResult opened = network.OpenRequest(target);
  ASSERT_TRUE(opened.request) << "opening only prepares the request; error " << opened.error;
  EXPECT_NE(opened.request->Send(), 0u);
  EXPECT_FALSE(opened.request->StatusCode());
  EXPECT_FALSE(opened.request->ContentLength(25));
  uint8_t buffer[16];
  EXPECT_FALSE(opened.request->Read(buffer, sizeof buffer));

  EXPECT_LT(network.DownloadToFile(L"http://127.0.0.1:1/x.xml", TempFile(L"quillo-x.xml")), 0);
}

// On a machine that does not trust the test authority (the bare profile).
class UntrustedCaTest : public NetworkTest {};

TEST_F(UntrustedCaTest, AnHttpsDownloadIsRefusedForItsCertificate) {
  const std::string path = "/drivers/xml/compatible_features.xml";
  const std::wstring file = TempFile(L"quillo-untrusted.xml");
  DeleteFileW(file.c_str());
  const size_t before = VendorServer::RequestLines("support").size();
  EXPECT_EQ(network_.DownloadToFile(L"https://" + endpoints_.supportServer + Wide(path), file),
            INET_E_INVALID_CERTIFICATE);
  EXPECT_FALSE(ReadFile(file));
  EXPECT_EQ(VendorServer::RequestLines("support").size(), before) << "no request gets through the handshake";
  // The same file over plain HTTP: the server is there, only the certificate is refused.
  EXPECT_EQ(network_.DownloadToFile(L"http://" + endpoints_.supportServer + Wide(path), file), S_OK);
  DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace quillo::win32
