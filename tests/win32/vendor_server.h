#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillo::test {

// The vendor server the network tests talk to (tools/vendor-server), as the
// ctest fixture started it: its control address, request logs and data set
// come from the environment (QUILLO_VENDOR_CONTROL, QUILLO_VENDOR_OUT,
// QUILLO_VENDOR_DATA).
class VendorServer {
 public:
  // Replaces the server's fault switches (text form: tools/vendor-server/src/faults.h);
  // "" clears them.
  static testing::AssertionResult SetFaults(const std::string& switches);
  // A file of the data set: `path` as requested from `endpoint`.
  static std::string DataFile(const std::string& endpoint, const std::string& path);
  // The request lines `endpoint` received, as received, oldest first.
  static std::vector<std::string> RequestLines(const std::string& endpoint);
  // Every request's head and the status it was answered with.
  static std::string RequestsLog();
};

}  // namespace quillo::test
