#include "publish/channel.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <system_error>
#include <vector>

#include "config/engine_config.h"
#include "core/messages.h"
#include "core/text_file.h"
#include "core/text_utils.h"
#include "web/http_download.h"

namespace vellum::publish {
namespace {

namespace fs = std::filesystem;

constexpr long kFtpPort = 21;

bool IsGiven(const char* text) { return text != nullptr && *text != '\0'; }

// "host" or "host:port" (a port of 0 or none meaning default_port).
void SplitHostPort(std::string_view text, std::string& host, long& port,
                   long default_port = kFtpPort) {
  const std::size_t colon = text.find(':');
  host = text.substr(0, colon);
  port = colon == std::string_view::npos
             ? default_port
             : std::strtol(std::string(text.substr(colon + 1)).c_str(), nullptr, 10);
}

// Host names as a URL can carry them: DNS names and IPv4 addresses. Anything
// else would put another host or path into the URL.
bool IsPlainHost(std::string_view host) {
  if (host.empty()) return false;
  for (const char c : host) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_';
    if (!plain) return false;
  }
  return true;
}

// The path of an FTP URL for a destination: each byte that is not
// unreserved is escaped, and a destination from the server's root gets the
// escaped "/" that tells it from one below the login folder.
std::string UrlPath(std::string_view destination) {
  std::string path = "/";
  if (!destination.empty() && destination.front() == '/') {
    path += "%2F";
    destination.remove_prefix(1);
  }
  for (const char c : destination) {
    const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || std::strchr("-._~/", c) != nullptr;
    path +=
        unreserved ? std::string(1, c) : core::FormatText("%%%02X", static_cast<unsigned char>(c));
  }
  return path;
}

// True when every ".." of the "/"-separated path stays inside where it
// starts.
bool StaysInside(std::string_view path) {
  int depth = 0;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view segment = path.substr(0, slash);
    if (segment == "..") {
      if (--depth < 0) return false;
    } else if (!segment.empty() && segment != ".") {
      ++depth;
    }
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return true;
}

std::string Slashed(std::string_view text) {
  std::string slashed(text);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  return slashed;
}

// Feeds a local file to an upload: read in text mode for a text transfer
// (stored CR LF as "\n"; libcurl sends every "\n" as CR LF), else as stored.
// A read that fails ends the transfer as failed, never as a short file.
std::size_t ReadFile(char* buffer, std::size_t size, std::size_t count, void* user) {
  auto& source = *static_cast<core::TextFile*>(user);
  const std::size_t got = source.Read(buffer, size * count);
  return got == 0 && source.Failed() ? CURL_READFUNC_ABORT : got;
}

// The blocks a file is copied in.
constexpr std::size_t kCopyBlock = 1 << 16;

constexpr const char* kUnreadable = "transfer failed: the file cannot be read";

// Where the last "/" of a destination ends: its folder before, its name
// after.
std::size_t NameStart(std::string_view destination) {
  const std::size_t slash = destination.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

// A list of FTP commands for libcurl, freed with it.
struct CommandList {
  CommandList(std::initializer_list<std::string> commands) {
    for (const std::string& command : commands) {
      curl_slist* longer = curl_slist_append(list, command.c_str());
      if (longer == nullptr) {
        complete = false;
        break;
      }
      list = longer;
    }
  }
  CommandList(const CommandList&) = delete;
  CommandList& operator=(const CommandList&) = delete;
  ~CommandList() { curl_slist_free_all(list); }

  curl_slist* list = nullptr;
  bool complete = true;
};

}  // namespace

std::optional<FtpEndpoint> EndpointOf(const OutputTarget& target, const EngineConfig& config) {
  if (!IsGiven(target.Server)) {
    core::ReportErrorCode(core::ErrorCode::kNoServerName);
    return std::nullopt;
  }
  FtpEndpoint endpoint;
  const std::string login = IsGiven(target.Login) ? target.Login : "anonymous";
  if (IsGiven(target.Password)) endpoint.password = target.Password;
  const bool target_passive = (target.Flags & VELLUM_TARGET_PASSIVE) != 0;

  if ((target.Flags & VELLUM_TARGET_FIREWALL) == 0) {
    SplitHostPort(target.Server, endpoint.host, endpoint.port);
    if (target.Port != 0) endpoint.port = target.Port;
    endpoint.user = login;
    endpoint.passive = target_passive;
  } else {
    if (!IsGiven(config.Firewall)) {
      core::ReportErrorCode(core::ErrorCode::kNoFirewall);
      return std::nullopt;
    }
    SplitHostPort(config.Firewall, endpoint.host, endpoint.port);
    if (config.PortFW != 0) endpoint.port = config.PortFW;
    endpoint.user = target.Port != 0
                        ? core::FormatText("%s@%s:%i", login.c_str(), target.Server, target.Port)
                        : login + "@" + target.Server;
    // The firewall's own setting turns passive mode off for every target
    // behind it.
    endpoint.passive = config.Passive == 0 && target_passive;
  }
  if (endpoint.port == 0) endpoint.port = kFtpPort;
  return endpoint;
}

bool ServerAddress(std::string_view server, int32_t port, long default_port, std::string& host,
                   long& result_port) {
  SplitHostPort(server, host, result_port, default_port);
  if (port != 0) result_port = port;
  if (result_port == 0) result_port = default_port;
  return IsPlainHost(host) && result_port >= 1 && result_port <= 65535;
}

std::optional<std::string> DestinationOf(const char* folder, std::string_view site_path,
                                         bool lower_case) {
  std::string place = Slashed(site_path);
  if (!StaysInside(place)) return std::nullopt;
  if (lower_case) {
    for (char& c : place) c = core::ToLowerAscii(c);
  }
  std::string destination = IsGiven(folder) ? Slashed(folder) : std::string();
  if (!destination.empty() && destination.back() != '/') destination += '/';
  return destination + place;
}

UploadChannel::~UploadChannel() { Close(); }

bool UploadChannel::Open(const OutputTarget& target, const project::TargetSecurity& security) {
  Close();
  ftp_ = (target.Flags & VELLUM_TARGET_FTP) != 0;
  text_ = (target.Flags & VELLUM_TARGET_TEXT) != 0;
  if (!ftp_) return true;
  if (security.protocol != VELLUM_PROTOCOL_SFTP) return OpenFtp(target, security);
  sftp_ = std::make_unique<SftpChannel>();
  if (sftp_->Open(target, security)) return true;
  sftp_.reset();
  return false;
}

bool UploadChannel::OpenFtp(const OutputTarget& target, const project::TargetSecurity& security) {
  const bool tls = security.protocol == VELLUM_PROTOCOL_FTPS;
  // The FTP firewall relays plain FTP only: a TLS target goes direct.
  OutputTarget direct = target;
  if (tls) direct.Flags &= ~VELLUM_TARGET_FIREWALL;
  std::optional<FtpEndpoint> endpoint = EndpointOf(direct, config::TheConfig());
  if (!endpoint) return false;
  Credentials credentials(target, security);
  const bool firewall = (direct.Flags & VELLUM_TARGET_FIREWALL) != 0;
  Account account{tls ? "ftps" : "ftp", endpoint->host, endpoint->port,
                  target.Login != nullptr ? target.Login : ""};
  if (security.password_from != VELLUM_PASSWORD_PROJECT) {
    const std::optional<std::string> password = credentials.Password(account);
    if (!password) {
      core::ReportErrorCode(core::ErrorCode::kBadUpload, target.Server);
      return false;
    }
    endpoint->password = *password;
    // A login that ~/.netrc gave.
    if (!firewall && !account.login.empty()) endpoint->user = account.login;
  }
  if (web::InitialiseTransfers()) curl_.reset(curl_easy_init());
  if (curl_ == nullptr) {
    core::ReportErrorCode(core::ErrorCode::kInternetOpenFails);
    return false;
  }

  CURL* curl = curl_.get();
  const web::DownloadLimits& limits = web::CurrentDownloadLimits();
  // The options that hold the transfer to FTP, to a direct connection
  // (whatever proxy the environment names) and to its time limits must
  // take: without them it does not run at all.
  const bool restricted =
      curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp") == CURLE_OK &&
      (!tls ||
       (curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL)) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS)) ==
            CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
        (security.ca_file.empty() ||
         curl_easy_setopt(curl, CURLOPT_CAINFO, security.ca_file.c_str()) == CURLE_OK))) &&
      curl_easy_setopt(curl, CURLOPT_PROXY, "") == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connect_seconds) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, limits.connect_seconds * 1000) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, limits.stall_seconds) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stall_seconds) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  curl_easy_setopt(curl, CURLOPT_USERNAME, endpoint->user.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, endpoint->password.c_str());
  // Active mode: the server connects back to the address of the control
  // connection. FTPS always goes passive: libcurl 7.88 sends the file over
  // an active data connection without TLS, and no firewall can open the
  // port that an encrypted PORT command names.
  if (!endpoint->passive && !tls) curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
  curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, text_ ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, NoteReply);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_);

  if (!restricted) {
    core::ReportErrorCode(core::ErrorCode::kInternetOpenFails);
    Close();
    return false;
  }
  if (!IsPlainHost(endpoint->host) || endpoint->port < 1 || endpoint->port > 65535) {
    core::ReportErrorCode(core::ErrorCode::kBadUpload, target.Server);
    Close();
    return false;
  }
  base_url_ = core::FormatText("ftp://%s:%li", endpoint->host.c_str(), endpoint->port);
  // A plain FTP server is asked for its features ("*": its refusal does not
  // matter), to learn whether it offers TLS.
  const CommandList features{"*FEAT"};
  watch_for_tls_ = !tls && features.complete;
  curl_easy_setopt(curl, CURLOPT_QUOTE, watch_for_tls_ ? features.list : nullptr);
  const CURLcode opened = Probe("/");
  curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
  watch_for_tls_ = false;
  if (const CURLcode result = opened; result != CURLE_OK) {
    core::ReportErrorCode(core::ErrorCode::kBadUpload, target.Server);
    // Why, as for a file: the server's refusal of the login, or the reason
    // no connection came about.
    core::ReportInfo(
        ("   '" + std::string(target.Server) + "' - " + FailureOf(result) + "\n").c_str());
    Close();
    return false;
  }
  credentials.Accepted(account);
  if (offers_tls_) {
    core::ReportInfo(("   '" + std::string(target.Server) +
                      "' - the server offers TLS: as an FTPS target it would keep the password "
                      "and the files private\n")
                         .c_str());
  }
  if (IsGiven(target.Folder)) {
    std::string folder = UrlPath(Slashed(target.Folder));
    if (folder.back() != '/') folder += '/';
    if (Probe(folder) != CURLE_OK) {
      Close();
      return false;
    }
  }
  return true;
}

CURLcode UploadChannel::Probe(const std::string& path) {
  // Without a body, a folder URL only logs in and enters the folder.
  CURL* curl = curl_.get();
  const std::string url = base_url_ + path;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS,
                   static_cast<long>(CURLFTP_CREATE_DIR_NONE));
  last_reply_.clear();
  error_[0] = '\0';
  return curl_easy_perform(curl);
}

std::size_t UploadChannel::NoteReply(char* line, std::size_t size, std::size_t count,
                                     void* channel) {
  std::string_view reply(line, size * count);
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.remove_suffix(1);
  auto& self = *static_cast<UploadChannel*>(channel);
  self.last_reply_.assign(reply);
  if (self.watch_for_tls_ && reply.find("AUTH TLS") != std::string_view::npos) {
    self.offers_tls_ = true;
  }
  return size * count;
}

bool UploadChannel::Send(const std::string& file, const std::string& destination) {
  failure_.clear();
  if (!ftp_) return CopyIntoPlace(file, destination);
  if (sftp_ != nullptr) return sftp_->Send(file, destination, failure_);
  return curl_ != nullptr && Put(file, destination);
}

bool UploadChannel::CopyIntoPlace(const std::string& file, const std::string& destination) {
  core::TextFile source = core::TextFile::Open(file, core::FileMode::kReadBinary);
  if (!source.IsOpen()) {
    failure_ = kUnreadable;
    return false;
  }
  std::error_code error;
  const fs::path target(destination);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
  // A link standing where the file goes is replaced, not written through:
  // the file it points to may lie anywhere.
  if (fs::is_symlink(fs::symlink_status(target, error)) && !fs::remove(target, error)) {
    failure_ =
        "transfer failed: '" + destination + "' cannot be replaced (" + error.message() + ")";
    return false;
  }
  core::FileReplacement copy(destination, core::FileMode::kWriteBinary);
  bool written = copy.file().IsOpen();
  std::vector<char> block(kCopyBlock);
  for (std::size_t got; written && (got = source.Read(block.data(), block.size())) > 0;) {
    written = copy.file().Write(std::string_view(block.data(), got));
  }
  if (source.Failed()) {
    failure_ = kUnreadable;
    return false;
  }
  if (!written || !copy.Commit()) {
    failure_ =
        "transfer failed: '" + destination + "' cannot be written (" + std::strerror(errno) + ")";
    return false;
  }
  return true;
}

bool UploadChannel::Put(const std::string& file, const std::string& destination) {
  // A line break in a name would end an FTP command early.
  if (std::any_of(destination.begin(), destination.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    failure_ = "transfer failed: '" + destination + "' holds a control character";
    return false;
  }
  const core::FileMode mode = text_ ? core::FileMode::kReadText : core::FileMode::kReadBinary;
  core::TextFile source = core::TextFile::Open(file, mode);
  if (!source.IsOpen()) {
    failure_ = kUnreadable;
    return false;
  }
  const std::size_t name_at = NameStart(destination);
  const std::string name = destination.substr(name_at);
  const bool renaming = !renames_refused_;
  if (renaming) {
    const std::string part = "." + name + ".part";
    const std::string temporary = destination.substr(0, name_at) + part;
    const CommandList rename{"RNFR " + part, "RNTO " + name};
    const CURLcode result =
        rename.complete ? Store(source, temporary, rename.list) : CURLE_OUT_OF_MEMORY;
    if (result == CURLE_OK) return true;
    failure_ = source.Failed() ? kUnreadable : FailureOf(result);
    Remove(temporary);
    // Only a refused rename leaves the file to be stored under its name.
    if (result != CURLE_QUOTE_ERROR) return false;
    source = core::TextFile::Open(file, mode);
    if (!source.IsOpen()) {
      failure_ = kUnreadable;
      return false;
    }
  }
  const CURLcode result = Store(source, destination, nullptr);
  if (result != CURLE_OK) {
    failure_ = source.Failed() ? kUnreadable : FailureOf(result);
    return false;
  }
  // The server stores files but does not rename them: from now on each file
  // goes under its name at once.
  if (renaming) renames_refused_ = true;
  failure_.clear();
  return true;
}

CURLcode UploadChannel::Store(core::TextFile& source, const std::string& destination,
                              curl_slist* after) {
  CURL* curl = curl_.get();
  const std::string url = base_url_ + UrlPath(destination);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadFile);
  curl_easy_setopt(curl, CURLOPT_READDATA, &source);
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, after);
  last_reply_.clear();
  error_[0] = '\0';
  const CURLcode result = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
  curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, nullptr);
  return result;
}

void UploadChannel::Remove(const std::string& destination) {
  // Sent after an empty visit to the file's folder, so that the name is
  // taken in that folder.
  const std::size_t name_at = NameStart(destination);
  const CommandList remove{"DELE " + destination.substr(name_at)};
  if (!remove.complete) return;
  CURL* curl = curl_.get();
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, remove.list);
  Probe(UrlPath(destination.substr(0, name_at)));
  curl_easy_setopt(curl, CURLOPT_POSTQUOTE, nullptr);
}

std::string UploadChannel::FailureOf(CURLcode result) const {
  // A reply in the 400s or 500s is the server refusing; anything else is a
  // transfer that broke off on the way.
  if (!last_reply_.empty() && (last_reply_[0] == '4' || last_reply_[0] == '5')) {
    return "server reply: " + last_reply_;
  }
  if (result == CURLE_PEER_FAILED_VERIFICATION) {
    return std::string("the server's certificate cannot be trusted (") + error_ +
           "); a private server's certificate authority can be named as the target's CA file";
  }
  return std::string("transfer failed: ") +
         (error_[0] != '\0' ? error_ : curl_easy_strerror(result));
}

void UploadChannel::Close() {
  curl_.reset();  // says goodbye to the server
  sftp_.reset();
  base_url_.clear();
  offers_tls_ = false;
}

}  // namespace vellum::publish
