// The SFTP module: the functions of libssh that SftpChannel calls, in a
// table, so that libssh is loaded only by an upload to an SFTP server.
#pragma once

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include "core/module.h"

// Every libssh function the channel uses, each as X(name).
// clang-format off
#define VELLUM_SSH_FUNCTIONS(X)                                                             \
  X(ssh_new) X(ssh_free) X(ssh_options_set) X(ssh_options_get) X(ssh_connect)               \
  X(ssh_disconnect) X(ssh_is_connected) X(ssh_get_error) X(ssh_string_free_char)            \
  X(ssh_session_is_known_server) X(ssh_session_update_known_hosts)                          \
  X(ssh_get_server_publickey) X(ssh_get_publickey_hash) X(ssh_get_fingerprint_hash)         \
  X(ssh_clean_pubkey_hash) X(ssh_key_type) X(ssh_key_type_to_char) X(ssh_key_free)          \
  X(ssh_pki_import_privkey_file) X(ssh_userauth_publickey) X(ssh_userauth_publickey_auto)   \
  X(ssh_userauth_password)                                                                  \
  X(ssh_channel_new) X(ssh_channel_open_session) X(ssh_channel_request_subsystem)           \
  X(ssh_channel_read) X(ssh_channel_write) X(ssh_channel_close) X(ssh_channel_free)         \
  X(sftp_new) X(sftp_init) X(sftp_free) X(sftp_get_error) X(sftp_open) X(sftp_write)        \
  X(sftp_close) X(sftp_rename) X(sftp_unlink) X(sftp_mkdir)
// clang-format on

namespace vellum::publish {

struct SshModule {
  core::ModuleHeader header;
  static constexpr const char* kName = "ssh";
  static constexpr uint32_t kVersion = 1;
#define VELLUM_SSH_MEMBER(name) decltype(&::name) name;
  VELLUM_SSH_FUNCTIONS(VELLUM_SSH_MEMBER)
#undef VELLUM_SSH_MEMBER
};

}  // namespace vellum::publish
