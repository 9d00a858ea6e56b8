#include "listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>

namespace vendor_server {
namespace {

thread_local ReceivedRequest* t_current = nullptr;

// A head line longer than this is passed on in parts, and a head longer
// than this is recorded in part; the parser refuses either anyway.
constexpr size_t kMaxLine = 16 * 1024;
constexpr size_t kMaxHead = 64 * 1024;

bool Wait(int sock, short events, int timeoutMs) {
  pollfd entry{sock, events, 0};
  int ready = 0;
  do {
    ready = poll(&entry, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

int Milliseconds(time_t sec, time_t usec) { return static_cast<int>(sec * 1000 + usec / 1000); }

void Address(int sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t size = sizeof address;
  const int result = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&address), &size)
                          : getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size);
  if (result != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

// The connection's bytes, over TCP or TLS.
class Transport final : public httplib::Stream {
 public:
  Transport(int sock, SSL* ssl, int readTimeoutMs, int writeTimeoutMs)
      : sock_(sock), ssl_(ssl), readTimeoutMs_(readTimeoutMs), writeTimeoutMs_(writeTimeoutMs) {}

  bool is_readable() const override {
    return (ssl_ != nullptr && SSL_pending(ssl_) > 0) || Wait(sock_, POLLIN, readTimeoutMs_);
  }
  bool is_writable() const override { return Wait(sock_, POLLOUT, writeTimeoutMs_); }

  ssize_t read(char* ptr, size_t size) override {
    if (!is_readable()) return -1;
    const int chunk = static_cast<int>(std::min<size_t>(size, INT_MAX));
    if (ssl_ != nullptr) {
      const int got = SSL_read(ssl_, ptr, chunk);
      if (got > 0) return got;
      return SSL_get_error(ssl_, got) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
    }
    ssize_t got = 0;
    do {
      got = recv(sock_, ptr, static_cast<size_t>(chunk), 0);
    } while (got < 0 && errno == EINTR);
    return got;
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    if (ssl_ != nullptr) {
      const int sent = SSL_write(ssl_, ptr, static_cast<int>(std::min<size_t>(size, INT_MAX)));
      return sent > 0 ? sent : -1;
    }
    ssize_t sent = 0;
    do {
      sent = send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { Address(sock_, true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { Address(sock_, false, ip, port); }
  socket_t socket() const override { return sock_; }

 private:
  int sock_;
  SSL* ssl_;
  int readTimeoutMs_;
  int writeTimeoutMs_;
};

// The parser gets Range headers under this name: cpp-httplib answers some
// ranges itself (416 without Content-Range, or too long a body when the end
// is past the size), and the handlers answer them all their own way.
constexpr std::string_view kHeldRange = "Vendor-Server-Range";

bool IsRangeHeader(std::string_view line) {
  constexpr std::string_view kName = "range:";
  if (line.size() < kName.size()) return false;
  for (size_t i = 0; i < kName.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) != kName[i]) return false;
  }
  return true;
}

// Records each request's head as it arrives, a line at a time, and hands
// the parser each line in the form it should see.
class RecordingStream final : public httplib::Stream {
 public:
  explicit RecordingStream(httplib::Stream& inner) : inner_(inner) {}

  void BeginRequest() {
    received_ = {};
    state_ = State::kLine;
    pending_.clear();
    pendingAt_ = 0;
  }
  ReceivedRequest& received() { return received_; }
  // Whether the parser stopped before the end of the head: what follows
  // cannot be read as another request.
  bool HeadUnfinished() const { return state_ != State::kBody || pendingAt_ < pending_.size(); }

  bool is_readable() const override { return pendingAt_ < pending_.size() || inner_.is_readable(); }
  bool is_writable() const override { return inner_.is_writable(); }

  ssize_t read(char* ptr, size_t size) override {
    if (pendingAt_ == pending_.size() && state_ != State::kBody) {
      const ssize_t got = NextHeadLine();
      if (got <= 0) return got;
    }
    if (pendingAt_ < pending_.size()) {
      const size_t count = std::min(size, pending_.size() - pendingAt_);
      std::copy_n(pending_.data() + pendingAt_, count, ptr);
      pendingAt_ += count;
      return static_cast<ssize_t>(count);
    }
    return inner_.read(ptr, size);
  }

  ssize_t write(const char* ptr, size_t size) override { return inner_.write(ptr, size); }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { inner_.get_remote_ip_and_port(ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { inner_.get_local_ip_and_port(ip, port); }
  socket_t socket() const override { return inner_.socket(); }

 private:
  enum class State { kLine, kHead, kBody };

  // Reads one line of the head whole, a byte at a time so that nothing of
  // what follows it is taken from the parser.
  ssize_t NextHeadLine() {
    std::string raw;
    while (raw.size() < kMaxLine && (raw.empty() || raw.back() != '\n')) {
      char byte = 0;
      const ssize_t got = inner_.read(&byte, 1);
      if (got <= 0) {
        if (raw.empty()) return got;
        break;
      }
      raw.push_back(byte);
    }
    if (received_.head.size() < kMaxHead) received_.head += raw;
    const bool complete = raw.back() == '\n';
    const size_t ending = !complete ? 0 : raw.size() >= 2 && raw[raw.size() - 2] == '\r' ? 2 : 1;
    const std::string_view line = std::string_view(raw).substr(0, raw.size() - ending);
    pendingAt_ = 0;
    if (state_ == State::kLine) {
      received_.line = line;
      pending_ = complete ? ParserRequestLine(line) + raw.substr(line.size()) : raw;
      state_ = complete ? State::kHead : State::kBody;
    } else if (IsRangeHeader(line)) {
      pending_ = std::string(kHeldRange) + raw.substr(raw.find(':'));
    } else {
      pending_ = raw;
      if (!complete || line.empty()) state_ = State::kBody;
    }
    return static_cast<ssize_t>(raw.size());
  }

  httplib::Stream& inner_;
  ReceivedRequest received_;
  State state_ = State::kLine;
  std::string pending_;
  size_t pendingAt_ = 0;
};

}  // namespace

std::string ParserRequestLine(std::string_view line) {
  const size_t first = line.find(' ');
  const size_t last = line.rfind(' ');
  if (first == std::string_view::npos || first == last) return std::string(line);
  // Blanks that separate the target from the method and the version stay.
  size_t begin = first;
  while (begin < last && line[begin] == ' ') ++begin;
  size_t end = last;
  while (end > begin && line[end - 1] == ' ') --end;
  std::string result(line.substr(0, begin));
  for (char c : line.substr(begin, end - begin)) {
    if (c == ' ') {
      result += "%20";
    } else {
      result += c;
    }
  }
  result += line.substr(end);
  return result;
}

ReceivedRequest& Listener::Current() {
  static thread_local ReceivedRequest none;
  return t_current != nullptr ? *t_current : none;
}

bool Listener::AwaitRequest(int sock, SSL* ssl) const {
  if (ssl != nullptr && SSL_pending(ssl) > 0) return true;
  // In slices, so that a stopping server does not wait out the keep-alive time.
  for (time_t waited = 0; waited < keep_alive_timeout_sec_ * 10; ++waited) {
    if (svr_sock_ == INVALID_SOCKET) return false;
    if (Wait(sock, POLLIN, 100)) return true;
  }
  return false;
}

bool Listener::process_and_close_socket(socket_t sock) {
  const int readTimeoutMs = Milliseconds(read_timeout_sec_, read_timeout_usec_);
  const int writeTimeoutMs = Milliseconds(write_timeout_sec_, write_timeout_usec_);
  timeval readTimeout{read_timeout_sec_, static_cast<suseconds_t>(read_timeout_usec_)};
  timeval writeTimeout{write_timeout_sec_, static_cast<suseconds_t>(write_timeout_usec_)};
  setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &readTimeout, sizeof readTimeout);
  setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &writeTimeout, sizeof writeTimeout);

  SSL* ssl = nullptr;
  bool ok = true;
  if (tls_ != nullptr) {
    // A client that does not trust the certificate ends the handshake; the
    // connection just ends.
    ssl = SSL_new(tls_);
    ok = ssl != nullptr && SSL_set_fd(ssl, sock) == 1 && SSL_accept(ssl) == 1;
  }
  if (ok) {
    Transport transport(sock, ssl, readTimeoutMs, writeTimeoutMs);
    RecordingStream stream(transport);
    t_current = &stream.received();
    for (size_t left = keep_alive_max_count_; left > 0 && AwaitRequest(sock, ssl); --left) {
      stream.BeginRequest();
      bool closed = false;
      ok = process_request(stream, left == 1, closed, [&stream](httplib::Request& request) {
        stream.received().range = request.get_header_value(std::string(kHeldRange));
        request.headers.erase(std::string(kHeldRange));
        // Bodies go out as they are stored: lengths, ranges and drops count
        // the stored bytes.
        request.headers.erase("Accept-Encoding");
      });
      if (!ok || closed || stream.received().closeAfterResponse || stream.HeadUnfinished()) break;
    }
    t_current = nullptr;
  }
  if (ssl != nullptr) {
    if (ok) SSL_shutdown(ssl);
    SSL_free(ssl);
  }
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace vendor_server
