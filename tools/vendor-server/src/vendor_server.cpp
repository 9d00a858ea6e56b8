#include "vendor_server.h"

#include <openssl/err.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>

#include "listener.h"
#include "ranges.h"

namespace vendor_server {
namespace fs = std::filesystem;

namespace {

// Bodies go out in pieces of this size, so that a drop or a rate applies
// within a body and a stopping server is not held up by a long one.
constexpr uint64_t kPiece = 16 * 1024;

std::string Url(const EndpointAddress& address) {
  return std::string(address.tls ? "https" : "http") + "://" + address.host + ":" + std::to_string(address.port);
}

std::string Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return status < 500 ? "Client Error" : "Server Error";
  }
}

std::shared_ptr<const std::string> Page(int status, std::string_view text = {}) {
  const std::string title = std::to_string(status) + " " + Reason(status);
  return std::make_shared<const std::string>("<!DOCTYPE html>\n<html><head><title>" + title +
                                             "</title></head>\n<body><h1>" + title + "</h1>" + std::string(text) +
                                             "</body></html>\n");
}

std::string ContentType(const fs::path& file) {
  static const std::map<std::string, std::string> kTypes = {
      {".xml", "text/xml"},   {".html", "text/html"},  {".htm", "text/html"}, {".txt", "text/plain"},
      {".css", "text/css"},   {".js", "text/javascript"}, {".png", "image/png"}, {".gif", "image/gif"},
  };
  const auto type = kTypes.find(file.extension().string());
  return type != kTypes.end() ? type->second : "application/octet-stream";
}

// The file a request path names under the endpoint's folder (a folder's
// index.html); nothing for a path that leaves the folder or names nothing.
std::optional<fs::path> FileFor(const fs::path& folder, const std::string& path) {
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) return std::nullopt;
  const fs::path relative = fs::path(path.substr(1)).lexically_normal();
  if (relative.has_root_path() || (!relative.empty() && *relative.begin() == "..")) return std::nullopt;
  fs::path file = folder / relative;
  std::error_code error;
  if (fs::is_directory(file, error)) file /= "index.html";
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  return file;
}

std::shared_ptr<const std::string> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return nullptr;
  std::ostringstream content;
  content << in.rdbuf();
  return std::make_shared<const std::string>(content.str());
}

// Two servers on one address would share its connections without a word
// (SO_REUSEPORT, cpp-httplib's default); a second one must fail to bind.
void ReuseAddressOnly(socket_t sock) {
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace

struct VendorServer::Running {
  EndpointAddress bound;  // with the port taken
  std::unique_ptr<Listener> server;
  std::thread thread;

  ~Running() {
    if (server) server->stop();
    if (thread.joinable()) thread.join();
  }
};

VendorServer::VendorServer(Options options)
    : options_(std::move(options)), faults_(std::make_shared<const std::vector<Fault>>()) {}

VendorServer::~VendorServer() {
  Stop();
  if (tls_ != nullptr) SSL_CTX_free(tls_);
}

bool VendorServer::Start(std::string& error) {
  const bool anyTls = std::any_of(options_.addresses.begin(), options_.addresses.end(),
                                  [](const EndpointAddress& address) { return address.tls; });
  if (anyTls) {
    tls_ = SSL_CTX_new(TLS_server_method());
    if (tls_ == nullptr || SSL_CTX_use_certificate_chain_file(tls_, options_.cert.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_, options_.key.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(tls_) != 1) {
      char reason[256] = {};
      ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
      error = "cannot use the certificate " + options_.cert.string() + " and key " + options_.key.string() + ": " +
              reason;
      return false;
    }
  }

  std::error_code made;
  fs::create_directories(options_.out, made);
  requestsLog_.open(options_.out / "requests.log", std::ios::app | std::ios::binary);
  if (!requestsLog_) {
    error = "cannot write logs to " + options_.out.string();
    return false;
  }

  FaultParse parsed = ParseFaults(options_.faults, EndpointNames());
  if (!parsed.error.empty()) {
    error = "fault switches: " + parsed.error;
    return false;
  }
  std::lock_guard<std::mutex> lock(listenersMutex_);
  faults_ = std::make_shared<const std::vector<Fault>>(parsed.faults);
  if (!ApplyRefusals(parsed.faults, error)) {
    running_.clear();
    return false;
  }
  if (options_.control) {
    control_ = Listen(*options_.control, [this](httplib::Server& server, const EndpointAddress&) { ServeControl(server); },
                      error);
    if (!control_) {
      running_.clear();
      return false;
    }
  }
  return true;
}

void VendorServer::Stop() {
  stopping_ = true;
  std::unique_ptr<Running> control;
  std::vector<std::unique_ptr<Running>> running;
  {
    std::lock_guard<std::mutex> lock(listenersMutex_);
    control = std::move(control_);
    running.swap(running_);
  }
  // Out of the lock, which a control request still being answered may wait
  // for. All stop accepting at once; then each waits for its connections.
  if (control) control->server->stop();
  for (const auto& listener : running) listener->server->stop();
}

std::string VendorServer::Addresses() const {
  std::lock_guard<std::mutex> lock(listenersMutex_);
  std::string text;
  for (const auto& running : running_) text += running->bound.endpoint + " " + Url(running->bound) + "\n";
  if (control_) text += "control " + Url(control_->bound) + "\n";
  return text;
}

bool VendorServer::SetFaults(std::string_view text, std::string& error) {
  FaultParse parsed = ParseFaults(text, EndpointNames());
  if (!parsed.error.empty()) {
    error = parsed.error;
    return false;
  }
  std::lock_guard<std::mutex> lock(listenersMutex_);
  {
    std::lock_guard<std::mutex> faultsLock(faultsMutex_);
    faults_ = std::make_shared<const std::vector<Fault>>(parsed.faults);
  }
  return ApplyRefusals(parsed.faults, error);
}

std::string VendorServer::Faults() const { return FormatFaults(*CurrentFaults()); }

std::set<std::string> VendorServer::EndpointNames() const {
  std::set<std::string> names;
  for (const EndpointAddress& address : options_.addresses) names.insert(address.endpoint);
  return names;
}

std::shared_ptr<const std::vector<Fault>> VendorServer::CurrentFaults() const {
  std::lock_guard<std::mutex> lock(faultsMutex_);
  return faults_;
}

bool VendorServer::ApplyRefusals(const std::vector<Fault>& faults, std::string& error) {
  if (stopping_) return true;
  std::erase_if(running_, [&](const std::unique_ptr<Running>& running) {
    return Refuses(faults, running->bound.endpoint);
  });
  for (EndpointAddress& address : options_.addresses) {
    if (Refuses(faults, address.endpoint)) continue;
    const bool listening = std::any_of(running_.begin(), running_.end(), [&](const auto& running) {
      return running->bound.host == address.host && running->bound.port == address.port;
    });
    if (listening) continue;
    std::unique_ptr<Running> running =
        Listen(address, [this](httplib::Server& server, const EndpointAddress& bound) { ServeEndpoint(server, bound); },
               error);
    if (!running) return false;
    // An address given with port 0 keeps the port it got, so that an
    // endpoint that refused connections comes back where it was.
    address.port = running->bound.port;
    running_.push_back(std::move(running));
  }
  return true;
}

std::unique_ptr<VendorServer::Running> VendorServer::Listen(const EndpointAddress& address, const Routes& routes,
                                                            std::string& error) {
  auto running = std::make_unique<Running>();
  running->server = std::make_unique<Listener>(address.tls ? tls_ : nullptr);
  Listener& server = *running->server;
  server.set_socket_options(ReuseAddressOnly);
  server.new_task_queue = [] { return new httplib::ThreadPool(4); };
  errno = 0;
  const int port = address.port == 0 ? server.bind_to_any_port(address.host)
                                     : (server.bind_to_port(address.host, address.port) ? address.port : -1);
  if (port <= 0) {
    error = "cannot listen on " + Url(address) + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
    return nullptr;
  }
  running->bound = address;
  running->bound.port = static_cast<uint16_t>(port);
  routes(server, running->bound);
  running->thread = std::thread([&server] { server.listen_after_bind(); });
  // Stopping a server that has not begun to accept would leave it accepting.
  for (int waited = 0; !server.is_running(); ++waited) {
    if (waited == 5000) {
      error = "the listener on " + Url(address) + " did not start";
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return running;
}

void VendorServer::ServeEndpoint(httplib::Server& server, const EndpointAddress& address) {
  server.Get(".*", [this, address](const httplib::Request& request, httplib::Response& response) {
    Answer(address, request, response);
  });
  // Requests no handler answered (ones the parser refused, other methods).
  server.set_logger([this, address](const httplib::Request&, const httplib::Response& response) {
    ReceivedRequest& received = Listener::Current();
    if (!received.logged) Log(address, received, response.status, {});
  });
}

void VendorServer::ServeControl(httplib::Server& server) {
  server.Get("/faults", [this](const httplib::Request&, httplib::Response& response) {
    response.set_content(Faults(), "text/plain");
  });
  auto set = [this](std::string_view text, httplib::Response& response) {
    std::string error;
    if (SetFaults(text, error)) {
      response.set_content(Faults(), "text/plain");
    } else {
      response.status = 400;
      response.set_content(error + "\n", "text/plain");
    }
  };
  server.Put("/faults", [set](const httplib::Request& request, httplib::Response& response) {
    set(request.body, response);
  });
  server.Delete("/faults", [set](const httplib::Request&, httplib::Response& response) { set({}, response); });
}

void VendorServer::Answer(const EndpointAddress& address, const httplib::Request& request,
                          httplib::Response& response) {
  ReceivedRequest& received = Listener::Current();
  const RequestFaults faults = FaultsFor(*CurrentFaults(), address.endpoint, request.path);
  if (faults.firstByteDelayMs) Pause(*faults.firstByteDelayMs);

  int status = 200;
  std::string type = "text/html";
  std::string contentRange;
  std::shared_ptr<const std::string> content;
  std::optional<RangeAnswer> range;
  if (faults.status) {
    status = *faults.status;
    content = Page(status, "<p>The server is set to fail here.</p>");
  } else if (address.endpoint == "analytics" && request.path == "/r/collect") {
    type = "text/plain";
    content = std::make_shared<const std::string>("ok\n");
  } else if (address.endpoint == "survey" && request.path == "/acc") {
    content = std::make_shared<const std::string>(
        "<!DOCTYPE html>\n<html><head><title>Survey</title></head>\n<body><p>Thank you.</p></body></html>\n");
  } else if (const std::optional<fs::path> file = FileFor(options_.root / address.endpoint, request.path)) {
    content = ReadAll(*file);
    if (!content) {
      status = 500;
      content = Page(status);
    } else {
      range = AnswerRange(faults.ignoreRange ? "" : received.range, content->size());
      status = range->status;
      contentRange = range->contentRange;
      response.set_header("Accept-Ranges", "bytes");
      if (status == 416) {
        content = Page(status);
        range.reset();
      } else {
        type = ContentType(*file);
      }
    }
  } else {
    status = 404;
    content = Page(status);
  }
  const uint64_t offset = range ? range->offset : 0;
  const uint64_t length = range ? range->length : content->size();

  response.status = status;
  if (!contentRange.empty()) response.set_header("Content-Range", contentRange);
  // Logged before the first byte goes out: a client that has its answer finds it in the logs.
  Log(address, received, status, contentRange);
  SendBody(response, std::move(content), offset, length, type, faults, received);
}

void VendorServer::SendBody(httplib::Response& response, std::shared_ptr<const std::string> content,
                            uint64_t offset, uint64_t length, const std::string& type,
                            const RequestFaults& faults, ReceivedRequest& received) {
  const uint64_t end = faults.dropAfter ? std::min(length, *faults.dropAfter) : length;
  const std::optional<uint64_t> rate = faults.bytesPerSecond;
  // Sends the piece at `sent`; false ends the connection (a drop, or a stop).
  auto piece = [this, content, offset, length, end, rate](uint64_t sent, httplib::DataSink& sink) {
    if (sent >= end) return sent >= length;
    uint64_t size = std::min(kPiece, end - sent);
    if (rate) {
      size = std::min(size, std::max<uint64_t>(1, *rate / 10));
      Pause(size * 1000 / *rate);
    }
    if (stopping_) return false;
    return sink.write(content->data() + offset + sent, static_cast<size_t>(size));
  };

  if (faults.noLength) {
    // Without a length the body ends where the connection does.
    received.closeAfterResponse = true;
    response.set_header("Connection", "close");
    response.set_content_provider(type, [piece, end, length](size_t sent, httplib::DataSink& sink) {
      if (sent >= length) {
        sink.done();
        return true;
      }
      if (sent >= end) return false;
      return piece(sent, sink);
    });
  } else if (length == 0) {
    response.set_content(std::string(), type);
  } else {
    response.set_content_provider(static_cast<size_t>(length), type,
                                  [piece](size_t sent, size_t, httplib::DataSink& sink) { return piece(sent, sink); });
  }
}

void VendorServer::Log(const EndpointAddress& address, ReceivedRequest& received, int status,
                       std::string_view contentRange) {
  std::lock_guard<std::mutex> lock(logMutex_);
  received.logged = true;
  std::ofstream& endpointLog = endpointLogs_[address.endpoint];
  if (!endpointLog.is_open()) {
    endpointLog.open(options_.out / (address.endpoint + ".log"), std::ios::app | std::ios::binary);
  }
  endpointLog << received.line << '\n' << std::flush;

  requestsLog_ << "--- " << address.endpoint << ' ' << Url(address) << " -> " << status;
  if (!contentRange.empty()) requestsLog_ << " (Content-Range: " << contentRange << ')';
  requestsLog_ << '\n';
  std::string head = received.head;
  std::erase(head, '\r');
  requestsLog_ << head;
  if (head.empty() || head.back() != '\n') requestsLog_ << '\n';
  requestsLog_ << std::flush;
}

void VendorServer::Pause(uint64_t milliseconds) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!stopping_ && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        std::chrono::milliseconds(50), until - std::chrono::steady_clock::now()));
  }
}

}  // namespace vendor_server
