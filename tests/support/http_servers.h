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
// given redirects as 302 answers, /_stream/N and /_stall for misbehaving
// answers, /_gzip/PATH and /_deflate/PATH for files sent compressed unasked.
class HttpServer {
 public:
  using Redirects = std::vector<std::pair<std::string, std::string>>;
  // The log goes to log_path.
  HttpServer(const std::string& root, const std::string& log_path, const Redirects& redirects = {});

  int port() const { return port_; }
  // "http://127.0.0.1:PORT/" followed by path.
  std::string Url(std::string_view path) const;
  // The paths asked for so far, in order ("/index.htm").
  std::vector<std::string> Requests() const;
  int CountRequests(std::string_view path) const;

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
