// Servers for secure uploads, run as real programs on 127.0.0.1 with keys
// and certificates made for the test: OpenSSH's sshd (SFTP) and pyftpdlib's
// TLS handler (FTPS).
#pragma once

#include <memory>
#include <string>

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace vellum::test {

// sshd with a host key of its own, letting the user running the tests in
// with the key client_key(); a password never lets anyone in (the tests
// run as root, whom the server admits by key only, or as a user whose
// password the test does not know).
class SshServer {
 public:
  SshServer();

  int port() const { return port_; }
  // The line of a known_hosts file that names this server's host key (as
  // reached on port, by default its own).
  std::string KnownHostsLine(int port = 0) const;
  // The same host with a key that is not the server's.
  std::string OtherKnownHostsLine() const;
  const std::string& client_key() const { return client_key_; }

 private:
  ScratchDir folder_;
  std::string client_key_;
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

// pyftpdlib with TLS, serving root, writable, to FtpServer's user and
// password; with tls_required, plain FTP is refused on both connections.
// Its certificate (CN and subjectAltName 127.0.0.1, self-signed) is
// certificate(). With cut_after, the first file that reaches that many
// bytes has its connections closed there, once.
class FtpsServer {
 public:
  FtpsServer(const std::string& root, bool tls_required = true, long cut_after = 0);

  int port() const { return port_; }
  const std::string& certificate() const { return certificate_; }

 private:
  ScratchDir folder_;
  std::string certificate_;
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

}  // namespace vellum::test
