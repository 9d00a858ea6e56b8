#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vendor_server {

// One fault switch: what goes wrong, on which endpoint and path.
//
// Text form, one switch a line ("#" starts a comment):
//   ENDPOINT PATH FAULT [VALUE]
// ENDPOINT is an endpoint's name or "*" (every endpoint); PATH is a request
// path without its query, or "*" (every path). The faults:
//   drop-after BYTES     close the connection after BYTES bytes of the body
//   ignore-range         answer a Range request with 200 and the whole body
//   status CODE          answer CODE (400 to 599) with a small HTML page
//   no-length            send the body without Content-Length, ending it by closing
//   rate BYTES           send the body at BYTES bytes a second
//   first-byte-delay MS  wait MS milliseconds before answering
//   refuse               refuse connections (a whole endpoint: PATH must be "*")
enum class FaultKind { kDropAfter, kIgnoreRange, kStatus, kNoLength, kRate, kFirstByteDelay, kRefuse };

struct Fault {
  std::string endpoint;  // "*": every endpoint
  std::string path;      // "*": every path
  FaultKind kind = FaultKind::kStatus;
  uint64_t value = 0;  // bytes, status code, bytes a second or milliseconds; 0 where the fault takes none

  bool operator==(const Fault&) const = default;
};

struct FaultParse {
  std::vector<Fault> faults;
  std::string error;  // empty when the whole text was read; otherwise names the line and what is wrong
};

// Reads switches in text form. `endpoints` are the names a switch may name;
// nothing is returned when any line is wrong, so a typo never half-applies.
FaultParse ParseFaults(std::string_view text, const std::set<std::string>& endpoints);

// The text form of `faults`, one switch a line, readable by ParseFaults.
std::string FormatFaults(const std::vector<Fault>& faults);

// What the switches do to one request. Where several switches of a kind
// match, the later one wins.
struct RequestFaults {
  std::optional<uint64_t> dropAfter;
  bool ignoreRange = false;
  std::optional<int> status;
  bool noLength = false;
  std::optional<uint64_t> bytesPerSecond;
  std::optional<uint64_t> firstByteDelayMs;
};
RequestFaults FaultsFor(const std::vector<Fault>& faults, std::string_view endpoint, std::string_view path);

// Whether connections to `endpoint` are refused.
bool Refuses(const std::vector<Fault>& faults, std::string_view endpoint);

}  // namespace vendor_server
