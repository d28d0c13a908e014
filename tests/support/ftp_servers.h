// An FTP server and an FTP proxy (the "firewall" of an upload) for tests
// that publish files: both run as real programs on 127.0.0.1 and keep a log
// of every command they handled.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace vellum::test {

// pyftpdlib serving root, writable, to one user; every command is logged.
class FtpServer {
 public:
  static constexpr const char* kUser = "joe";
  static constexpr const char* kPassword = "s3cret";

  FtpServer(const std::string& root, const std::string& log_path);

  int port() const { return port_; }
  // The commands the server received so far, in order ("STOR map.htm").
  std::vector<std::string> Commands() const;
  // The byte counts of the files stored so far, as they came over the wire.
  std::vector<int> StoredBytes() const;

 private:
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

// Debian's ftp-proxy on a free port, letting "user@host:port" log in to
// that server; with its configuration and log in a folder of its own, which
// it can write also when it runs unprivileged (as it does when the tests run
// as root).
class FtpProxy {
 public:
  FtpProxy();

  int port() const { return port_; }
  // The commands the proxy received from its clients, in order; USER and
  // PASS are in Logins.
  std::vector<std::string> Commands() const;
  // The logins it passed on, as "user@host:port".
  std::vector<std::string> Logins() const;

 private:
  ScratchDir folder_;
  std::string log_path_;
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

}  // namespace vellum::test
