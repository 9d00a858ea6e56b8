#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <string>
#include <string_view>

namespace vendor_server {

// A request's head exactly as it arrived, before any parsing.
struct ReceivedRequest {
  std::string line;   // the request line, without its line end
  std::string head;   // the request line and the header lines, line ends included
  std::string range;  // the Range header's value: the listener leaves ranges to its handlers alone
  bool logged = false;              // the request is in the logs already
  bool closeAfterResponse = false;  // the response ends when the connection closes
};

// The request line handed to the HTTP parser. Some clients send blanks inside
// the target unescaped, which the parser would refuse; they are passed on as
// %20, while the line as received stays in ReceivedRequest for the logs.
std::string ParserRequestLine(std::string_view line);

// An HTTP server, or an HTTPS one when given a TLS context, whose handlers
// can read each request as it arrived. cpp-httplib hands handlers a parsed
// request only: its target is cut at blanks and at '#', and runs of blanks
// are gone. So the listener runs each connection itself, over a stream that
// records the head as the parser reads it, and leaves the parsing, routing
// and writing of responses to cpp-httplib.
class Listener : public httplib::Server {
 public:
  explicit Listener(SSL_CTX* tls = nullptr) : tls_(tls) {}

  // The request that the calling handler or logger is answering.
  static ReceivedRequest& Current();

 private:
  bool process_and_close_socket(socket_t sock) override;
  bool AwaitRequest(int sock, SSL* ssl) const;

  SSL_CTX* tls_;
};

}  // namespace vendor_server
