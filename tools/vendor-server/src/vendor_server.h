#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "faults.h"

namespace vendor_server {

struct ReceivedRequest;

// One address an endpoint listens on.
struct EndpointAddress {
  std::string endpoint;  // the endpoint's name; its files are under ROOT/<name>
  std::string host;
  uint16_t port = 0;  // 0: any free port (the one taken is in Addresses())
  bool tls = false;
};

struct Options {
  std::filesystem::path root;  // ROOT/<endpoint>/<request path> is what a GET serves
  std::filesystem::path out;   // request logs
  std::filesystem::path cert;  // the server certificate chain (PEM), for TLS addresses
  std::filesystem::path key;   // its private key (PEM)
  std::vector<EndpointAddress> addresses;
  std::optional<EndpointAddress> control;  // where fault switches are set at run time
  std::string faults;                      // switches in effect from the start (text form)
};

// Every endpoint of the vendor on its own addresses, serving files from the
// data folder, logging each request as it arrived and misbehaving on purpose
// where a fault switch says so.
//
// Built-in answers, whatever the data folder holds: the analytics collector
// answers GET /r/collect and the survey server GET /acc with 200.
//
// Logs under the output folder: <endpoint>.log holds each request line as
// received, one a line; requests.log holds every request's head and the
// answer's status.
//
// The control address answers GET /faults (the switches in text form),
// PUT /faults (replaces them with the request's body) and DELETE /faults.
class VendorServer {
 public:
  explicit VendorServer(Options options);
  ~VendorServer();
  VendorServer(const VendorServer&) = delete;
  VendorServer& operator=(const VendorServer&) = delete;

  // Listens on every address; false with `error` set when one cannot be
  // used (then nothing listens).
  bool Start(std::string& error);
  void Stop();

  // "ENDPOINT URL" a line for each address listened on, the control
  // address as "control URL".
  std::string Addresses() const;

  // Replaces the fault switches. Endpoints that now refuse connections stop
  // listening before this returns, and the others listen again.
  bool SetFaults(std::string_view text, std::string& error);
  std::string Faults() const;

 private:
  struct Running;

  using Routes = std::function<void(httplib::Server&, const EndpointAddress& bound)>;
  std::unique_ptr<Running> Listen(const EndpointAddress& address, const Routes& routes, std::string& error);
  void ServeEndpoint(httplib::Server& server, const EndpointAddress& address);
  void ServeControl(httplib::Server& server);
  void Answer(const EndpointAddress& address, const httplib::Request& request, httplib::Response& response);
  void SendBody(httplib::Response& response, std::shared_ptr<const std::string> content, uint64_t offset,
                uint64_t length, const std::string& type, const RequestFaults& faults, ReceivedRequest& received);
  std::set<std::string> EndpointNames() const;
  std::shared_ptr<const std::vector<Fault>> CurrentFaults() const;
  bool ApplyRefusals(const std::vector<Fault>& faults, std::string& error);
  void Log(const EndpointAddress& address, ReceivedRequest& received, int status,
           std::string_view contentRange);
  // Waits, but no longer than the server runs.
  void Pause(uint64_t milliseconds) const;

  Options options_;
  SSL_CTX* tls_ = nullptr;
  std::atomic<bool> stopping_{false};

  mutable std::mutex faultsMutex_;
  std::shared_ptr<const std::vector<Fault>> faults_;

  mutable std::mutex listenersMutex_;  // held while listeners start and stop
  std::vector<std::unique_ptr<Running>> running_;
  std::unique_ptr<Running> control_;

  std::mutex logMutex_;
  std::map<std::string, std::ofstream> endpointLogs_;
  std::ofstream requestsLog_;
};

}  // namespace vendor_server
