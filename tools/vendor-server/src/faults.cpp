#include "faults.h"

#include <charconv>
#include <sstream>

namespace vendor_server {
namespace {

struct KindName {
  FaultKind kind;
  std::string_view name;
  bool takesValue;
};

constexpr KindName kKinds[] = {
    {FaultKind::kDropAfter, "drop-after", true}, {FaultKind::kIgnoreRange, "ignore-range", false},
    {FaultKind::kStatus, "status", true},         {FaultKind::kNoLength, "no-length", false},
    {FaultKind::kRate, "rate", true},             {FaultKind::kFirstByteDelay, "first-byte-delay", true},
    {FaultKind::kRefuse, "refuse", false},
};

const KindName* FindKind(std::string_view name) {
  for (const KindName& kind : kKinds) {
    if (kind.name == name) return &kind;
  }
  return nullptr;
}

const KindName& NameOf(FaultKind kind) {
  for (const KindName& entry : kKinds) {
    if (entry.kind == kind) return entry;
  }
  return kKinds[0];
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Checks one switch's words; returns what is wrong, or nothing.
std::string Check(const std::vector<std::string_view>& words, const std::set<std::string>& endpoints, Fault& fault) {
  if (words.size() < 3) return "expected ENDPOINT PATH FAULT [VALUE]";
  fault.endpoint = std::string(words[0]);
  if (fault.endpoint != "*" && endpoints.count(fault.endpoint) == 0) {
    return "unknown endpoint '" + fault.endpoint + "'";
  }
  fault.path = std::string(words[1]);
  if (fault.path != "*" && fault.path.front() != '/') return "the path must start with '/' or be '*'";
  const KindName* kind = FindKind(words[2]);
  if (kind == nullptr) return "unknown fault '" + std::string(words[2]) + "'";
  fault.kind = kind->kind;
  const size_t expected = kind->takesValue ? 4 : 3;
  if (words.size() != expected) {
    return std::string(kind->name) + (kind->takesValue ? " takes one number" : " takes no value");
  }
  if (kind->takesValue) {
    const std::optional<uint64_t> value = Number(words[3]);
    if (!value) return "'" + std::string(words[3]) + "' is not a number";
    fault.value = *value;
  }
  switch (fault.kind) {
    case FaultKind::kStatus:
      if (fault.value < 400 || fault.value > 599) return "status takes a code from 400 to 599";
      break;
    case FaultKind::kRate:
      if (fault.value == 0) return "rate takes a number of bytes a second above 0";
      break;
    case FaultKind::kRefuse:
      if (fault.path != "*") return "refuse applies to a whole endpoint: give '*' as the path";
      break;
    default:
      break;
  }
  return {};
}

}  // namespace

FaultParse ParseFaults(std::string_view text, const std::set<std::string>& endpoints) {
  FaultParse result;
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    Fault fault;
    if (std::string error = Check(words, endpoints, fault); !error.empty()) {
      return {{}, "line " + std::to_string(lineNumber) + " (" + std::string(line) + "): " + error};
    }
    result.faults.push_back(std::move(fault));
  }
  return result;
}

std::string FormatFaults(const std::vector<Fault>& faults) {
  std::ostringstream text;
  for (const Fault& fault : faults) {
    const KindName& kind = NameOf(fault.kind);
    text << fault.endpoint << ' ' << fault.path << ' ' << kind.name;
    if (kind.takesValue) text << ' ' << fault.value;
    text << '\n';
  }
  return text.str();
}

RequestFaults FaultsFor(const std::vector<Fault>& faults, std::string_view endpoint, std::string_view path) {
  RequestFaults result;
  for (const Fault& fault : faults) {
    if (fault.endpoint != "*" && fault.endpoint != endpoint) continue;
    if (fault.path != "*" && fault.path != path) continue;
    switch (fault.kind) {
      case FaultKind::kDropAfter: result.dropAfter = fault.value; break;
      case FaultKind::kIgnoreRange: result.ignoreRange = true; break;
      case FaultKind::kStatus: result.status = static_cast<int>(fault.value); break;
      case FaultKind::kNoLength: result.noLength = true; break;
      case FaultKind::kRate: result.bytesPerSecond = fault.value; break;
      case FaultKind::kFirstByteDelay: result.firstByteDelayMs = fault.value; break;
      case FaultKind::kRefuse: break;
    }
  }
  return result;
}

bool Refuses(const std::vector<Fault>& faults, std::string_view endpoint) {
  for (const Fault& fault : faults) {
    if (fault.kind == FaultKind::kRefuse && (fault.endpoint == "*" || fault.endpoint == endpoint)) return true;
  }
  return false;
}

}  // namespace vendor_server
