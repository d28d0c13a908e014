// nginx serving a folder on 127.0.0.1, for tests that scan a real site over
// HTTP from a real web server: plain HTTP/1.1, or HTTPS with HTTP/2 offered.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "support/child_process.h"

namespace vellum::test {

class NginxServer {
 public:
  // Serves root (files as they are, types from the system's mime.types);
  // the configuration, the pid file and the logs go into folder. With tls,
  // over HTTPS with HTTP/2 offered, under a certificate for 127.0.0.1 made
  // for it (certificate()). Each line of access.log reads
  // "CONNECTION REQUEST_ON_IT PROTOCOL REQUEST".
  NginxServer(const std::string& root, const std::string& folder, bool tls = false);

  int port() const { return port_; }
  // "http://127.0.0.1:PORT/" (https with tls) followed by path.
  std::string Url(std::string_view path) const;
  // The PEM file of the server's self-made certificate; empty without tls.
  const std::string& certificate() const { return certificate_; }

 private:
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
  std::string certificate_;
};

}  // namespace vellum::test
