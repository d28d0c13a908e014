// nginx serving a folder on 127.0.0.1, for tests that scan a real site over
// HTTP from a real web server.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "support/child_process.h"

namespace vellum::test {

class NginxServer {
 public:
  // Serves root (files as they are, types from the system's mime.types);
  // the configuration, the pid file and the logs go into folder.
  NginxServer(const std::string& root, const std::string& folder);

  int port() const { return port_; }
  // "http://127.0.0.1:PORT/" followed by path.
  std::string Url(std::string_view path) const;

 private:
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

}  // namespace vellum::test
