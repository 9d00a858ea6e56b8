#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_ports.h"

namespace quillo::win32 {
namespace {

// Nothing listens on port 1 of the loopback address.
TEST(NetworkTest, AnUnreachableServerIsReportedAsFailure) {
  Network network;
  EXPECT_FALSE(network.CheckConnection("http://127.0.0.1:1/"));

  HttpTarget target;
  target.host = L"127.0.0.1";
  target.port = 1;
  target.path = L"/drivers/xml/driver_09_us.xml";
  target.userAgent = L"Velmora Halvard Quillo Utility";
  HttpOpenResult opened = network.OpenRequest(target);
  ASSERT_TRUE(opened.request) << "opening only prepares the request; error " << opened.error;
  EXPECT_NE(opened.request->Send(), 0u);
  EXPECT_FALSE(opened.request->StatusCode());
  EXPECT_FALSE(opened.request->ContentLength(25));
  uint8_t buffer[16];
  EXPECT_FALSE(opened.request->Read(buffer, sizeof buffer));

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  EXPECT_LT(network.DownloadToFile(L"http://127.0.0.1:1/x.xml", std::wstring(temp) + L"quillo-x.xml"), 0);
}

}  // namespace
}  // namespace quillo::win32
