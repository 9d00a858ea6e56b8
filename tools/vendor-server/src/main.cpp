// vendor-server: the vendor's endpoints on loopback addresses, for the tests
// and the demo. See usage below and docs/architecture.md.
#include <signal.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "vendor_server.h"

namespace {

constexpr const char* kUsage = R"(usage: vendor-server --root DIR --out DIR [options]

  --root DIR                 files to serve: DIR/<endpoint>/<request path>
  --out DIR                  request logs (<endpoint>.log, requests.log)
  --http NAME=HOST:PORT      an endpoint over HTTP (repeatable)
  --https NAME=HOST:PORT     an endpoint over HTTPS (repeatable; needs --cert and --key)
  --cert FILE --key FILE     the server certificate chain and its key (PEM)
  --control HOST:PORT        where fault switches are set while running (GET, PUT, DELETE /faults)
  --faults FILE              fault switches in effect from the start
  --ready FILE               written with the listening addresses once they accept connections
  --lifetime SECONDS         stop after this long, whatever happens (0: run until stopped)

Stops on SIGTERM or SIGINT.
)";

bool ParseAddress(const std::string& text, vendor_server::EndpointAddress& address) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  address.host = text.substr(0, colon);
  const std::string port = text.substr(colon + 1);
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), address.port);
  return error == std::errc() && end == port.data() + port.size();
}

bool ParseEndpoint(const std::string& text, bool tls, vendor_server::EndpointAddress& address) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  address.endpoint = text.substr(0, equals);
  address.tls = tls;
  return ParseAddress(text.substr(equals + 1), address);
}

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  text = content.str();
  return true;
}

// Written under another name and renamed, so a reader never sees half of it.
bool WriteReady(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  return std::rename(partial.c_str(), path.c_str()) == 0;
}

int Fail(const std::string& message) {
  std::cerr << "vendor-server: " << message << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  vendor_server::Options options;
  std::string ready;
  long lifetime = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc) return Fail("'" + option + "' needs a value\n" + kUsage);
    const std::string value = argv[++i];
    if (option == "--root") {
      options.root = value;
    } else if (option == "--out") {
      options.out = value;
    } else if (option == "--http" || option == "--https") {
      vendor_server::EndpointAddress address;
      if (!ParseEndpoint(value, option == "--https", address)) {
        return Fail("'" + option + " " + value + "': expected NAME=HOST:PORT");
      }
      options.addresses.push_back(address);
    } else if (option == "--cert") {
      options.cert = value;
    } else if (option == "--key") {
      options.key = value;
    } else if (option == "--control") {
      vendor_server::EndpointAddress address;
      address.endpoint = "control";
      if (!ParseAddress(value, address)) return Fail("'--control " + value + "': expected HOST:PORT");
      options.control = address;
    } else if (option == "--faults") {
      if (!ReadText(value, options.faults)) return Fail("cannot read the fault switches in " + value);
    } else if (option == "--ready") {
      ready = value;
    } else if (option == "--lifetime") {
      char* end = nullptr;
      lifetime = std::strtol(value.c_str(), &end, 10);
      if (*end != '\0' || lifetime < 0) return Fail("'--lifetime " + value + "': expected seconds");
    } else {
      return Fail("unknown option '" + option + "'\n" + kUsage);
    }
  }
  if (options.root.empty() || options.out.empty() || options.addresses.empty()) {
    return Fail(std::string("--root, --out and at least one address are needed\n") + kUsage);
  }

  // Signals are taken by the main thread alone, at its own pace; the
  // server's threads, started below, inherit the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A client that goes away mid-answer must not end the server.
  signal(SIGPIPE, SIG_IGN);

  vendor_server::VendorServer server(options);
  std::string error;
  if (!server.Start(error)) return Fail(error);
  const std::string addresses = server.Addresses();
  if (!ready.empty() && !WriteReady(ready, addresses)) {
    server.Stop();
    return Fail("cannot write " + ready + ": " + std::strerror(errno));
  }
  std::cerr << "vendor-server: listening\n" << addresses << std::flush;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime);
  int caught = 0;
  while (caught <= 0) {
    timespec wait{1, 0};
    caught = sigtimedwait(&stopSignals, nullptr, &wait);
    if (caught <= 0 && lifetime > 0 && std::chrono::steady_clock::now() >= deadline) {
      std::cerr << "vendor-server: stopping after its lifetime of " << lifetime << " s\n";
      break;
    }
  }
  if (caught > 0) std::cerr << "vendor-server: stopping on " << strsignal(caught) << "\n";
  server.Stop();
  std::cerr << "vendor-server: stopped\n";
  return 0;
}
