// One SFTP connection (libssh) for a target's upload: the server's host key
// checked against ~/.ssh/known_hosts, a login by key file, by ssh-agent and
// the user's default keys, or by password, and each file put in place whole.
// libssh is called through the SFTP module (ssh_module.h), which the first
// connection loads; without it the upload fails with the module's reason.
//
// libssh rather than libcurl's sftp: this system's libcurl speaks SSH through
// libssh2, and neither libssh2 1.10 nor libssh 0.10 can send anything but the
// plain SFTP version 3 rename, which OpenSSH's sftp-server refuses over an
// existing file. A file is put in place by the server's
// "posix-rename@openssh.com" extension instead, an atomic rename(2) that
// replaces the old file, sent on a second SFTP channel of the same session
// (PosixRename); a server without the extension gets the plain rename.
#pragma once

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "project/project.h"
#include "publish/credentials.h"
#include "vellum/vellum.h"

namespace vellum::publish {

// An SFTP session on a channel of its own that sends one request only,
// posix-rename@openssh.com, which libssh's client cannot send.
class PosixRename {
 public:
  PosixRename() = default;
  PosixRename(const PosixRename&) = delete;
  PosixRename& operator=(const PosixRename&) = delete;
  ~PosixRename();

  // Starts the session; false when the server does not offer the extension
  // (or the channel cannot be had).
  bool Open(ssh_session session);
  // Renames from over to; true when the server says it did.
  bool Rename(const std::string& from, const std::string& to);

 private:
  bool Send(char type, const std::string& payload);
  // The next packet's type and payload; false when the channel broke.
  bool Receive(char& type, std::string& payload);

  ssh_channel channel_ = nullptr;
  uint32_t next_id_ = 1;
};

class SftpChannel {
 public:
  SftpChannel() = default;
  SftpChannel(const SftpChannel&) = delete;
  SftpChannel& operator=(const SftpChannel&) = delete;
  ~SftpChannel() { Close(); }

  // Connects to the target's server ("host" or "host:port", a non-zero
  // target port winning, else 22), checks its host key and logs in.
  // Failures are reported ("'server' Bad Upload" on the error callback, then
  // the reason as a file's is); an unknown host key is trusted, and added to
  // known_hosts, only when the question callback says yes; a changed one
  // never is. False on failure. target and security must outlive the
  // channel.
  bool Open(const OutputTarget& target, const project::TargetSecurity& security);

  // Writes file to ".NAME.part" in destination's folder (made as needed)
  // and renames it over NAME once it is stored whole; on failure removes the
  // temporary file, over a new connection (as Open makes it, with the
  // password found before) when the old one broke. True only when the whole
  // file is in place; failure says why otherwise.
  bool Send(const std::string& file, const std::string& destination, std::string& failure);

  void Close();

 private:
  bool Connect();
  bool CheckHostKey(const std::string& server, const std::string& place);
  bool LogIn(Account& account);
  // Why the last operation failed: the SSH error, else the SFTP status.
  std::string Reason() const;
  void MakeFolders(const std::string& folder);

  const OutputTarget* target_ = nullptr;
  const project::TargetSecurity* security_ = nullptr;
  std::optional<Credentials> credentials_;
  ssh_session session_ = nullptr;
  sftp_session sftp_ = nullptr;
  std::unique_ptr<PosixRename> posix_rename_;  // null: the server lacks it
};

}  // namespace vellum::publish
