#include "publish/sftp_channel.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "core/text_file.h"
#include "core/text_utils.h"
#include "publish/channel.h"
#include "publish/ssh_module.h"
#include "web/http_download.h"

namespace vellum::publish {
namespace {

constexpr long kSshPort = 22;
constexpr std::size_t kBlock = 1 << 15;

bool IsGiven(const char* text) { return text != nullptr && *text != '\0'; }

using LibsshModule = core::Module<SshModule>;

// libssh: only called once Connect has loaded its module.
const SshModule& Ssh() { return LibsshModule::Get(); }

struct KeyDeleter {
  void operator()(ssh_key key) const { Ssh().ssh_key_free(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<ssh_key>, KeyDeleter>;

// "ED25519 SHA256:..." as ssh shows a key; "" when the key is not there.
std::string FingerprintOf(ssh_session session) {
  ssh_key raw = nullptr;
  if (Ssh().ssh_get_server_publickey(session, &raw) != SSH_OK) return "";
  const Key key(raw);
  unsigned char* hash = nullptr;
  std::size_t length = 0;
  if (Ssh().ssh_get_publickey_hash(key.get(), SSH_PUBLICKEY_HASH_SHA256, &hash, &length) !=
      SSH_OK) {
    return "";
  }
  char* text = Ssh().ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
  Ssh().ssh_clean_pubkey_hash(&hash);
  std::string fingerprint = std::string(Ssh().ssh_key_type_to_char(Ssh().ssh_key_type(key.get()))) +
                            " " + (text != nullptr ? text : "");
  Ssh().ssh_string_free_char(text);
  return fingerprint;
}

const char* StatusText(int status) {
  switch (status) {
    case SSH_FX_NO_SUCH_FILE:
      return "no such file or folder";
    case SSH_FX_PERMISSION_DENIED:
      return "permission denied";
    default:
      return "the server refused";
  }
}

// Where a destination's name starts: its folder before, the name after.
std::size_t NameStart(const std::string& destination) {
  const std::size_t slash = destination.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// SFTP packet parts: big-endian numbers and length-prefixed strings.
void PutNumber(std::string& packet, uint32_t number) {
  for (int shift = 24; shift >= 0; shift -= 8) packet += static_cast<char>(number >> shift);
}
void PutString(std::string& packet, std::string_view text) {
  PutNumber(packet, static_cast<uint32_t>(text.size()));
  packet += text;
}
bool TakeNumber(std::string_view& payload, uint32_t& number) {
  if (payload.size() < 4) return false;
  number = 0;
  for (int i = 0; i < 4; ++i) number = number << 8 | static_cast<unsigned char>(payload[i]);
  payload.remove_prefix(4);
  return true;
}
bool TakeString(std::string_view& payload, std::string_view& text) {
  uint32_t length = 0;
  if (!TakeNumber(payload, length) || payload.size() < length) return false;
  text = payload.substr(0, length);
  payload.remove_prefix(length);
  return true;
}

constexpr char kFxpInit = 1;
constexpr char kFxpVersion = 2;
constexpr char kFxpStatus = 101;
constexpr char kFxpExtended = static_cast<char>(200);
constexpr std::string_view kPosixRename = "posix-rename@openssh.com";
// Longer packets are not expected in answer to these requests.
constexpr uint32_t kMaxPacket = 1 << 18;

}  // namespace

PosixRename::~PosixRename() {
  if (channel_ == nullptr) return;
  Ssh().ssh_channel_close(channel_);
  Ssh().ssh_channel_free(channel_);
}

bool PosixRename::Open(ssh_session session) {
  channel_ = Ssh().ssh_channel_new(session);
  if (channel_ == nullptr || Ssh().ssh_channel_open_session(channel_) != SSH_OK ||
      Ssh().ssh_channel_request_subsystem(channel_, "sftp") != SSH_OK) {
    return false;
  }
  std::string version;
  PutNumber(version, 3);
  char type = 0;
  std::string payload;
  if (!Send(kFxpInit, version) || !Receive(type, payload) || type != kFxpVersion) return false;
  // The version, then pairs of extension name and version.
  std::string_view rest = payload;
  uint32_t number = 0;
  if (!TakeNumber(rest, number)) return false;
  for (std::string_view name, data; TakeString(rest, name) && TakeString(rest, data);) {
    if (name == kPosixRename) return true;
  }
  return false;
}

bool PosixRename::Rename(const std::string& from, const std::string& to) {
  const uint32_t id = next_id_++;
  std::string request;
  PutNumber(request, id);
  PutString(request, kPosixRename);
  PutString(request, from);
  PutString(request, to);
  char type = 0;
  std::string payload;
  if (!Send(kFxpExtended, request) || !Receive(type, payload) || type != kFxpStatus) return false;
  std::string_view rest = payload;
  uint32_t answered = 0, status = 0;
  return TakeNumber(rest, answered) && TakeNumber(rest, status) && answered == id &&
         status == SSH_FX_OK;
}

bool PosixRename::Send(char type, const std::string& payload) {
  std::string packet;
  PutNumber(packet, static_cast<uint32_t>(payload.size() + 1));
  packet += type;
  packet += payload;
  return Ssh().ssh_channel_write(channel_, packet.data(), packet.size()) ==
         static_cast<int>(packet.size());
}

bool PosixRename::Receive(char& type, std::string& payload) {
  const auto read_exactly = [this](char* into, uint32_t count) {
    for (uint32_t got = 0; got < count;) {
      const int read = Ssh().ssh_channel_read(channel_, into + got, count - got, 0);
      if (read <= 0) return false;
      got += static_cast<uint32_t>(read);
    }
    return true;
  };
  char length_bytes[4];
  if (!read_exactly(length_bytes, 4)) return false;
  std::string_view length_view(length_bytes, 4);
  uint32_t length = 0;
  if (!TakeNumber(length_view, length) || length == 0 || length > kMaxPacket) return false;
  std::string packet(length, '\0');
  if (!read_exactly(packet.data(), length)) return false;
  type = packet[0];
  payload = packet.substr(1);
  return true;
}

bool SftpChannel::Open(const OutputTarget& target, const project::TargetSecurity& security) {
  target_ = &target;
  security_ = &security;
  credentials_.emplace(target, security);
  return Connect();
}

bool SftpChannel::Connect() {
  Close();
  const OutputTarget& target = *target_;
  const char* server = IsGiven(target.Server) ? target.Server : nullptr;
  if (server == nullptr) {
    core::ReportErrorCode(core::ErrorCode::kNoServerName);
    return false;
  }
  const auto fail = [&](const std::string& reason) {
    core::ReportErrorCode(core::ErrorCode::kBadUpload, server);
    core::ReportInfo(("   '" + std::string(server) + "' - " + reason + "\n").c_str());
    Close();
    return false;
  };
  Account account{"sftp", "", 0, IsGiven(target.Login) ? target.Login : ""};
  if (!ServerAddress(server, target.Port, kSshPort, account.host, account.port)) {
    return fail("transfer failed: not a host name");
  }
  if (!LibsshModule::Load()) {
    return fail("transfer failed: SFTP is not available: " + LibsshModule::Error());
  }
  session_ = Ssh().ssh_new();
  if (session_ == nullptr) return fail("transfer failed: out of memory");

  const std::string home = HomeFolder();
  const std::string ssh_folder = home + "/.ssh";
  const std::string known_hosts = ssh_folder + "/known_hosts";
  const long timeout = web::CurrentDownloadLimits().connect_seconds;
  const int port = static_cast<int>(account.port);
  const int no = 0;
  // The user's ~/.ssh/config is not read: what the project says is what is
  // reached.
  if (Ssh().ssh_options_set(session_, SSH_OPTIONS_PROCESS_CONFIG, &no) != SSH_OK ||
      Ssh().ssh_options_set(session_, SSH_OPTIONS_HOST, account.host.c_str()) != SSH_OK ||
      Ssh().ssh_options_set(session_, SSH_OPTIONS_PORT, &port) != SSH_OK ||
      Ssh().ssh_options_set(session_, SSH_OPTIONS_SSH_DIR, ssh_folder.c_str()) != SSH_OK ||
      Ssh().ssh_options_set(session_, SSH_OPTIONS_KNOWNHOSTS, known_hosts.c_str()) != SSH_OK ||
      Ssh().ssh_options_set(session_, SSH_OPTIONS_TIMEOUT, &timeout) != SSH_OK ||
      (!account.login.empty() &&
       Ssh().ssh_options_set(session_, SSH_OPTIONS_USER, account.login.c_str()) != SSH_OK)) {
    return fail("transfer failed: " + std::string(Ssh().ssh_get_error(session_)));
  }
  if (account.login.empty()) {
    char* user = nullptr;
    if (Ssh().ssh_options_get(session_, SSH_OPTIONS_USER, &user) == SSH_OK && user != nullptr) {
      account.login = user;
    }
    Ssh().ssh_string_free_char(user);
  }
  if (Ssh().ssh_connect(session_) != SSH_OK) {
    return fail("transfer failed: " + std::string(Ssh().ssh_get_error(session_)));
  }
  const std::string place = core::FormatText("[%s]:%d", account.host.c_str(), port);
  if (!CheckHostKey(server, place)) {
    Close();
    return false;
  }
  if (!LogIn(account)) {
    return fail("login refused: " + std::string(Ssh().ssh_get_error(session_)));
  }
  sftp_ = Ssh().sftp_new(session_);
  if (sftp_ == nullptr || Ssh().sftp_init(sftp_) != SSH_OK) {
    return fail("transfer failed: no SFTP service: " + std::string(Ssh().ssh_get_error(session_)));
  }
  posix_rename_ = std::make_unique<PosixRename>();
  if (!posix_rename_->Open(session_)) posix_rename_.reset();
  return true;
}

bool SftpChannel::CheckHostKey(const std::string& server, const std::string& place) {
  const ssh_known_hosts_e state = Ssh().ssh_session_is_known_server(session_);
  if (state == SSH_KNOWN_HOSTS_OK) return true;
  const std::string fingerprint = FingerprintOf(session_);
  if (state == SSH_KNOWN_HOSTS_CHANGED || state == SSH_KNOWN_HOSTS_OTHER) {
    core::ReportError(
        core::FormatText("'%s': the host key of %s is not the one in ~/.ssh/known_hosts (the "
                         "server now shows %s): not uploaded. If the server's key really "
                         "changed, remove its old line from known_hosts.",
                         server.c_str(), place.c_str(), fingerprint.c_str())
            .c_str());
    return false;
  }
  if (state == SSH_KNOWN_HOSTS_ERROR) {
    core::ReportError(core::FormatText("'%s': ~/.ssh/known_hosts cannot be read: %s",
                                       server.c_str(), Ssh().ssh_get_error(session_))
                          .c_str());
    return false;
  }
  const bool trusted = core::Ask(core::FormatText("The host key of %s is not known: %s. Trust it "
                                                  "and add it to ~/.ssh/known_hosts?",
                                                  place.c_str(), fingerprint.c_str())
                                     .c_str());
  if (!trusted) {
    core::ReportError(core::FormatText("'%s': the host key of %s is not known (%s): not uploaded",
                                       server.c_str(), place.c_str(), fingerprint.c_str())
                          .c_str());
    return false;
  }
  std::error_code error;
  const std::filesystem::path folder = HomeFolder() + "/.ssh";
  if (std::filesystem::create_directories(folder, error)) {
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  }
  if (Ssh().ssh_session_update_known_hosts(session_) != SSH_OK) {
    // Trusted for this upload all the same: the user said yes.
    core::ReportError(core::FormatText("'%s': the host key could not be added to "
                                       "~/.ssh/known_hosts: %s",
                                       server.c_str(), Ssh().ssh_get_error(session_))
                          .c_str());
  }
  return true;
}

bool SftpChannel::LogIn(Account& account) {
  const project::TargetSecurity& security = *security_;
  Credentials& credentials = *credentials_;
  if (!security.key_file.empty()) {
    ssh_key raw = nullptr;
    if (Ssh().ssh_pki_import_privkey_file(security.key_file.c_str(), nullptr, nullptr, nullptr,
                                          &raw) == SSH_OK) {
      const Key key(raw);
      if (Ssh().ssh_userauth_publickey(session_, nullptr, key.get()) == SSH_AUTH_SUCCESS)
        return true;
    } else {
      core::ReportInfo(core::FormatText("   '%s' - the key file '%s' cannot be read\n",
                                        account.host.c_str(), security.key_file.c_str())
                           .c_str());
    }
  } else if (Ssh().ssh_userauth_publickey_auto(session_, nullptr, nullptr) == SSH_AUTH_SUCCESS) {
    return true;
  }
  // No key let the user in: the password, when the target has one or says
  // where to find it.
  const std::optional<std::string> password = credentials.Password(account);
  if (!password || password->empty()) return false;
  if (Ssh().ssh_userauth_password(session_, nullptr, password->c_str()) != SSH_AUTH_SUCCESS) {
    return false;
  }
  credentials.Accepted(account);
  return true;
}

bool SftpChannel::Send(const std::string& file, const std::string& destination,
                       std::string& failure) {
  if (sftp_ == nullptr) return false;
  core::TextFile source = core::TextFile::Open(file, core::FileMode::kReadBinary);
  if (!source.IsOpen()) {
    failure = "transfer failed: the file cannot be read";
    return false;
  }
  const std::size_t name_at = NameStart(destination);
  const std::string folder = destination.substr(0, name_at);
  const std::string temporary = folder + "." + destination.substr(name_at) + ".part";
  constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC;
  constexpr mode_t kMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
  sftp_file remote = Ssh().sftp_open(sftp_, temporary.c_str(), kFlags, kMode);
  if (remote == nullptr && Ssh().sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE && !folder.empty()) {
    MakeFolders(folder);
    remote = Ssh().sftp_open(sftp_, temporary.c_str(), kFlags, kMode);
  }
  if (remote == nullptr) {
    failure = "transfer failed: '" + temporary + "': " + Reason();
    return false;
  }
  bool written = true;
  std::vector<char> block(kBlock);
  for (std::size_t got; written && (got = source.Read(block.data(), block.size())) > 0;) {
    written = Ssh().sftp_write(remote, block.data(), got) == static_cast<ssize_t>(got);
  }
  if (written && source.Failed()) {
    failure = "transfer failed: the file cannot be read";
    written = false;
  } else if (!written) {
    failure = "transfer failed: " + Reason();
  }
  const bool closed = Ssh().sftp_close(remote) == SSH_NO_ERROR;
  if (written && !closed) failure = "transfer failed: " + Reason();
  if (written && closed) {
    const bool renamed =
        posix_rename_ != nullptr
            ? posix_rename_->Rename(temporary, destination)
            : Ssh().sftp_rename(sftp_, temporary.c_str(), destination.c_str()) == SSH_OK;
    if (renamed) return true;
    failure = "transfer failed: '" + destination + "' cannot be replaced: " + Reason();
  }
  // What is left under the temporary name goes, over a new connection when
  // this one broke (which the files after it use as well).
  if (Ssh().ssh_is_connected(session_) == 0 && !Connect()) return false;
  Ssh().sftp_unlink(sftp_, temporary.c_str());
  return false;
}

void SftpChannel::MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    Ssh().sftp_mkdir(sftp_, folder.substr(0, slash).c_str(),
                     S_IRWXU | S_IRGRP | S_IXGRP | S_IROTH | S_IXOTH);
  }
}

std::string SftpChannel::Reason() const {
  const int status = sftp_ != nullptr ? Ssh().sftp_get_error(sftp_) : SSH_FX_OK;
  if (session_ != nullptr && (status == SSH_FX_OK || Ssh().ssh_is_connected(session_) == 0)) {
    const char* error = Ssh().ssh_get_error(session_);
    if (IsGiven(error)) return error;
  }
  return StatusText(status);
}

void SftpChannel::Close() {
  posix_rename_.reset();
  if (sftp_ != nullptr) Ssh().sftp_free(sftp_);
  sftp_ = nullptr;
  if (session_ != nullptr) {
    Ssh().ssh_disconnect(session_);
    Ssh().ssh_free(session_);
  }
  session_ = nullptr;
}

}  // namespace vellum::publish
