#include "publish/channel.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

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

// "host" or "host:port" (a port of 0 or none meaning the FTP port).
void SplitHostPort(std::string_view text, std::string& host, long& port) {
  const std::size_t colon = text.find(':');
  host = text.substr(0, colon);
  port = colon == std::string_view::npos
             ? kFtpPort
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
std::size_t ReadFile(char* buffer, std::size_t size, std::size_t count, void* user) {
  return static_cast<core::TextFile*>(user)->Read(buffer, size * count);
}

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

bool UploadChannel::Open(const OutputTarget& target) {
  Close();
  ftp_ = (target.Flags & VELLUM_TARGET_FTP) != 0;
  text_ = (target.Flags & VELLUM_TARGET_TEXT) != 0;
  if (!ftp_) return true;

  const std::optional<FtpEndpoint> endpoint = EndpointOf(target, config::TheConfig());
  if (!endpoint) return false;
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
  // connection.
  if (!endpoint->passive) curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
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
  if (!Probe("/")) {
    core::ReportErrorCode(core::ErrorCode::kBadUpload, target.Server);
    Close();
    return false;
  }
  if (IsGiven(target.Folder)) {
    std::string folder = UrlPath(Slashed(target.Folder));
    if (folder.back() != '/') folder += '/';
    if (!Probe(folder)) {
      Close();
      return false;
    }
  }
  return true;
}

bool UploadChannel::Probe(const std::string& path) {
  // Without a body, a folder URL only logs in and enters the folder.
  CURL* curl = curl_.get();
  const std::string url = base_url_ + path;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS,
                   static_cast<long>(CURLFTP_CREATE_DIR_NONE));
  return curl_easy_perform(curl) == CURLE_OK;
}

std::size_t UploadChannel::NoteReply(char* line, std::size_t size, std::size_t count,
                                     void* channel) {
  std::string_view reply(line, size * count);
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.remove_suffix(1);
  static_cast<UploadChannel*>(channel)->last_reply_.assign(reply);
  return size * count;
}

bool UploadChannel::Send(const std::string& file, const std::string& destination) {
  failure_.clear();
  if (ftp_) return curl_ != nullptr && Put(file, destination);
  std::error_code error;
  const fs::path target(destination);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
  // A link standing where the file goes is replaced, not written through:
  // the file it points to may lie anywhere.
  if (fs::is_symlink(fs::symlink_status(target, error)) && !fs::remove(target, error)) return false;
  return fs::copy_file(file, target, fs::copy_options::overwrite_existing, error);
}

bool UploadChannel::Put(const std::string& file, const std::string& destination) {
  core::TextFile source =
      core::TextFile::Open(file, text_ ? core::FileMode::kReadText : core::FileMode::kReadBinary);
  if (!source.IsOpen()) {
    failure_ = "transfer failed: the file cannot be read";
    return false;
  }
  CURL* curl = curl_.get();
  const std::string url = base_url_ + UrlPath(destination);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadFile);
  curl_easy_setopt(curl, CURLOPT_READDATA, &source);
  last_reply_.clear();
  error_[0] = '\0';
  const CURLcode result = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
  curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
  if (result == CURLE_OK) return true;
  // A reply in the 400s or 500s is the server refusing; anything else is a
  // transfer that broke off on the way.
  if (!last_reply_.empty() && (last_reply_[0] == '4' || last_reply_[0] == '5')) {
    failure_ = "server reply: " + last_reply_;
  } else {
    failure_ = std::string("transfer failed: ") +
               (error_[0] != '\0' ? error_ : curl_easy_strerror(result));
  }
  return false;
}

void UploadChannel::Close() {
  curl_.reset();  // says goodbye to the server
  base_url_.clear();
}

}  // namespace vellum::publish
