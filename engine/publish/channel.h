// The channel of one target's upload: file copies into a folder, or one FTP
// or FTPS connection (libcurl, one handle per target so that the control
// connection is reused for every file), directly or through an FTP firewall,
// or one SFTP connection.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/text_file.h"
#include "project/project.h"
#include "publish/credentials.h"
#include "publish/sftp_channel.h"
#include "vellum/vellum.h"

namespace vellum::publish {

// Where and as whom an FTP target is reached.
struct FtpEndpoint {
  std::string host;
  long port = 21;
  std::string user;
  std::string password;  // empty: none
  bool passive = false;
};

// The endpoint of an FTP target: its server ("host" or "host:port", a
// non-zero target port winning), or, with the firewall flag, the firewall
// of config, logged in to as "login@server" ("login@server:port" with a
// target port). Nothing, with "not determined name server" or "in system it
// is not determined firewall" reported, when the server or the firewall is
// unknown.
std::optional<FtpEndpoint> EndpointOf(const OutputTarget& target, const EngineConfig& config);

// The host and port of server ("host" or "host:port"; a non-zero port
// wins, default_port serving when neither gives one). False when the host
// is no plain host name or IPv4 address or the port is out of range.
bool ServerAddress(std::string_view server, int32_t port, long default_port, std::string& host,
                   long& result_port);

// The place a file goes to on a target: folder, a "/" unless it ends in one,
// then site_path (lower-cased when asked for; the folder keeps its case, as
// folders on this platform are told apart by it), every "\" turned into
// "/". Nothing when site_path climbs out of the folder with "..".
std::optional<std::string> DestinationOf(const char* folder, std::string_view site_path,
                                         bool lower_case);

class UploadChannel {
 public:
  UploadChannel() = default;
  UploadChannel(const UploadChannel&) = delete;
  UploadChannel& operator=(const UploadChannel&) = delete;
  ~UploadChannel();

  // A folder target needs nothing. An FTP or FTPS target is connected and
  // logged in to, and its folder entered when it has one; failures to
  // connect are reported ("'server' Bad Upload" on the error callback, then
  // the reason as a file's is, "   'server' - server reply: 530 ..."; a
  // folder that cannot be entered silently). An FTPS target speaks TLS on
  // both connections or not at all, in passive mode, with the server's
  // certificate verified (against the security's CA file when it names
  // one); a plain FTP server
  // that offers TLS is told of once, as a hint. An SFTP target: see
  // SftpChannel. The password comes from where security says. False on
  // failure.
  bool Open(const OutputTarget& target, const project::TargetSecurity& security);

  // Copies file to destination (DestinationOf), creating the folders it
  // needs, so that the destination never holds part of a file: into a
  // folder, in bounded blocks to a temporary name beside the destination
  // (removed on failure, and on SIGINT, SIGTERM or SIGHUP with
  // core::InstallSignalCleanup) that is renamed over it once stored whole;
  // on an FTP server, stored as ".NAME.part" in the destination's folder and
  // renamed (RNFR, RNTO) over NAME, or stored as NAME directly on a server
  // that refuses the rename. True only when the whole file is in place.
  bool Send(const std::string& file, const std::string& destination);

  // Why the last Send failed: "server reply: " and the FTP server's refusal
  // when it gave one ("550 ..."), "the server's certificate cannot be
  // trusted" and why, else "transfer failed: " and the reason. Empty after
  // a Send that succeeded.
  const std::string& failure() const { return failure_; }

  // Ends the FTP connection.
  void Close();

 private:
  struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  };

  bool OpenFtp(const OutputTarget& target, const project::TargetSecurity& security);
  CURLcode Probe(const std::string& path);
  bool CopyIntoPlace(const std::string& file, const std::string& destination);
  bool Put(const std::string& file, const std::string& destination);
  // Stores file as destination, then sends the commands of after in its
  // folder.
  CURLcode Store(core::TextFile& source, const std::string& destination, curl_slist* after);
  // Deletes the file destination, as far as the server lets it.
  void Remove(const std::string& destination);
  // The reason of a transfer's result, as failure() gives it.
  std::string FailureOf(CURLcode result) const;
  // Keeps each reply line of the server, the last one of a transfer being
  // its outcome.
  static std::size_t NoteReply(char* line, std::size_t size, std::size_t count, void* channel);

  bool ftp_ = false;
  bool text_ = false;
  bool watch_for_tls_ = false;  // the server's features are being read
  bool offers_tls_ = false;
  std::unique_ptr<SftpChannel> sftp_;
  bool renames_refused_ = false;  // the server took a file but refused to rename it
  std::string base_url_;          // "ftp://host:port"
  std::unique_ptr<CURL, CurlDeleter> curl_;
  std::string last_reply_;
  std::string failure_;
  char error_[CURL_ERROR_SIZE] = {};
};

}  // namespace vellum::publish
