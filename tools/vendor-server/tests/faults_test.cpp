#include "faults.h"

#include <gtest/gtest.h>

namespace vendor_server {
namespace {

const std::set<std::string> kEndpoints = {"download", "support", "vendor-web"};

TEST(FaultsTest, ReadsEachFaultAndItsValue) {
  const FaultParse parsed = ParseFaults(
      "# a comment line, then blank lines\n"
      "\n"
      "download /packages/a.exe drop-after 5000\n"
      "download /packages/a.exe ignore-range   # comments may follow a switch\n"
      "support /drivers/xml/driver_09_us.xml status 404\n"
      "\t* *  no-length\r\n"
      "download * rate 20000\n"
      "* /x first-byte-delay 1500\n"
      "vendor-web * refuse",
      kEndpoints);
  ASSERT_EQ(parsed.error, "");
  const std::vector<Fault> expected = {
      {"download", "/packages/a.exe", FaultKind::kDropAfter, 5000},
      {"download", "/packages/a.exe", FaultKind::kIgnoreRange, 0},
      {"support", "/drivers/xml/driver_09_us.xml", FaultKind::kStatus, 404},
      {"*", "*", FaultKind::kNoLength, 0},
      {"download", "*", FaultKind::kRate, 20000},
      {"*", "/x", FaultKind::kFirstByteDelay, 1500},
      {"vendor-web", "*", FaultKind::kRefuse, 0},
  };
  EXPECT_EQ(parsed.faults, expected);
  // The text form reads back as the same switches.
  EXPECT_EQ(ParseFaults(FormatFaults(parsed.faults), kEndpoints).faults, expected);
}

struct WrongCase {
  const char* text;
  const char* error;
};

TEST(FaultsTest, AWrongLineIsNamedAndNothingApplies) {
  const WrongCase cases[] = {
      {"download /a", "line 1 (download /a): expected ENDPOINT PATH FAULT [VALUE]"},
      {"# ok\ndownload /a no-length\nuploads /a no-length", "line 3 (uploads /a no-length): unknown endpoint 'uploads'"},
      {"download a.exe no-length", "the path must start with '/' or be '*'"},
      {"download /a explode", "unknown fault 'explode'"},
      {"download /a drop-after", "drop-after takes one number"},
      {"download /a no-length 5", "no-length takes no value"},
      {"download /a drop-after -1", "'-1' is not a number"},
      {"download /a drop-after 12k", "'12k' is not a number"},
      {"download /a drop-after 99999999999999999999", "is not a number"},
      {"download /a status 200", "status takes a code from 400 to 599"},
      {"download /a status 600", "status takes a code from 400 to 599"},
      {"download /a rate 0", "rate takes a number of bytes a second above 0"},
      {"download /a refuse", "refuse applies to a whole endpoint: give '*' as the path"},
  };
  for (const WrongCase& c : cases) {
    const FaultParse parsed = ParseFaults(c.text, kEndpoints);
    EXPECT_NE(parsed.error.find(c.error), std::string::npos) << c.text << "\n -> " << parsed.error;
    EXPECT_TRUE(parsed.faults.empty()) << c.text;
  }
}

TEST(FaultsTest, ARequestGetsTheSwitchesOfItsEndpointAndPathAndTheLaterOneWins) {
  const std::vector<Fault> faults = ParseFaults(
                                        "download /a.exe status 404\n"
                                        "download * rate 1000\n"
                                        "* /a.exe drop-after 10\n"
                                        "download /a.exe status 500\n"
                                        "support * refuse\n",
                                        kEndpoints)
                                        .faults;
  const RequestFaults a = FaultsFor(faults, "download", "/a.exe");
  EXPECT_EQ(a.status, 500);
  EXPECT_EQ(a.bytesPerSecond, 1000u);
  EXPECT_EQ(a.dropAfter, 10u);
  EXPECT_FALSE(a.noLength);
  EXPECT_FALSE(a.ignoreRange);
  EXPECT_FALSE(a.firstByteDelayMs);

  const RequestFaults b = FaultsFor(faults, "download", "/b.exe");
  EXPECT_FALSE(b.status);
  EXPECT_EQ(b.bytesPerSecond, 1000u);
  EXPECT_FALSE(b.dropAfter);

  // Paths are compared whole: no prefix or folder matches.
  const RequestFaults other = FaultsFor(faults, "vendor-web", "/a.exe/more");
  EXPECT_FALSE(other.dropAfter);
  EXPECT_EQ(FaultsFor(faults, "vendor-web", "/a.exe").dropAfter, 10u);

  EXPECT_TRUE(Refuses(faults, "support"));
  EXPECT_FALSE(Refuses(faults, "download"));
  EXPECT_TRUE(Refuses(ParseFaults("* * refuse", kEndpoints).faults, "download"));
}

}  // namespace
}  // namespace vendor_server
