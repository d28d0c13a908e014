// An HTTP server and an HTTP proxy for tests that fetch pages: both run as
// real programs on 127.0.0.1 and keep a log of every request they handled.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/child_process.h"

namespace vellum::test {

// Serves a folder (tests/support/http_server.py): files as they are, the
// given redirects as 302 answers, /_stream/N, /_stall, /_drip/N (N bytes at
// 2 a second) and /_status/N (HTTP status N) for misbehaving answers,
// /_gzip/PATH and /_deflate/PATH for files sent compressed unasked,
// /_latin1/PATH for a file whose charset the Content-Type names, and
// /trap/N: pages that link on without end.
class HttpServer {
 public:
  using Redirects = std::vector<std::pair<std::string, std::string>>;
  // The log goes to log_path. With html_without_extension, files without an
  // extension are sent as text/html, not as application/octet-stream.
  HttpServer(const std::string& root, const std::string& log_path, const Redirects& redirects = {},
             bool html_without_extension = false);

  int port() const { return port_; }
  // "http://127.0.0.1:PORT/" followed by path.
  std::string Url(std::string_view path) const;
  // The paths asked for so far, in order ("/index.htm").
  std::vector<std::string> Requests() const;
  int CountRequests(std::string_view path) const;
  // Requests with If-None-Match or If-Modified-Since so far, and how many
  // of them were answered 304.
  struct Conditional {
    int asked = 0;
    int not_modified = 0;
  };
  Conditional CountConditional() const;

 private:
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

// tinyproxy on a free port, with its own configuration and log.
class HttpProxy {
 public:
  // Writes the configuration and the log into folder.
  explicit HttpProxy(const std::string& folder);

  int port() const { return port_; }
  // The URLs the proxy was asked for so far, in order.
  std::vector<std::string> Requests() const;

 private:
  std::string log_path_;
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

}  // namespace vellum::test
