#include "app/endpoints.h"

#include <gtest/gtest.h>

#include <set>

namespace quillo {
namespace {

TEST(EndpointsTest, EveryEndpointHasItsOwnBareHost) {
  const Endpoints& e = BuiltInEndpoints();
  const std::wstring hosts[] = {e.vendorWebSite, e.supportServer, e.downloadServer,
                                e.localTestServer, e.surveyServer, e.analyticsCollector};
  std::set<std::wstring> distinct;
  for (const std::wstring& host : hosts) {
    EXPECT_FALSE(host.empty());
    // A host name only: the scheme, port and path are fixed by each request.
    EXPECT_EQ(host.find_first_of(L":/ "), std::wstring::npos) << testing::PrintToString(host);
    distinct.insert(host);
  }
  EXPECT_EQ(distinct.size(), 6u);
}

}  // namespace
}  // namespace quillo
