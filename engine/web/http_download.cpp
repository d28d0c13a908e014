#include "web/http_download.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "config/engine_config.h"
#include "core/memory.h"
#include "core/messages.h"

namespace vellum::web {
namespace {

DownloadLimits& Limits() {
  static DownloadLimits limits;
  return limits;
}

struct HandleDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The one connection handle of the process; it keeps idle connections open
// between downloads. Never destroyed, for the same reason as the page cache.
std::unique_ptr<CURL, HandleDeleter>& Session() {
  static auto& session = *new std::unique_ptr<CURL, HandleDeleter>;
  return session;
}

// The answer's bytes so far, always NUL-terminated, in the engine's
// allocator so that they can become a LoadedText.
struct Received {
  explicit Received(std::int64_t limit) : limit(limit) {}
  ~Received() { core::Release(data); }

  char* data = nullptr;
  std::size_t length = 0;
  std::size_t capacity = 0;
  std::int64_t limit;
  bool too_large = false;
  bool out_of_memory = false;
};

std::size_t Receive(char* bytes, std::size_t size, std::size_t count, void* user) {
  Received& received = *static_cast<Received*>(user);
  const std::size_t n = size * count;
  if (static_cast<std::int64_t>(received.length + n) > received.limit) {
    received.too_large = true;
    return 0;  // ends the transfer
  }
  if (received.length + n + 1 > received.capacity) {
    const std::size_t capacity = std::max(received.capacity * 2, received.length + n + 513);
    char* grown = static_cast<char*>(core::Reallocate(received.data, capacity));
    if (grown == nullptr) {
      received.out_of_memory = true;
      return 0;
    }
    received.data = grown;
    received.capacity = capacity;
  }
  std::memcpy(received.data + received.length, bytes, n);
  received.length += n;
  received.data[received.length] = '\0';
  return n;
}

// The proxy as the configuration names it: "host", or "host:port" when a
// port is set. Empty for a direct connection.
std::string ProxyOf(const EngineConfig& config) {
  if (config.Proxy == nullptr || *config.Proxy == '\0') return {};
  if (config.PortProxy == 0) return config.Proxy;
  return core::FormatText("%s:%i", config.Proxy, config.PortProxy);
}

void ReportNotFound(const std::string& address, int report_mode) {
  const char* format = core::MessageText(core::ErrorCode::kFileNotFound);
  if (format == nullptr) return;
  const std::string message = core::FormatText(format, address.c_str()) + "\n";
  if (report_mode == core::kReportAsError) {
    core::ReportError(message.c_str());
  } else {
    core::ReportInfo(message.c_str());
  }
}

// The address as a request line can carry it: blanks and control bytes,
// which pages often leave in their links, are escaped ("a b.htm" asks for
// "a%20b.htm", as a browser would).
std::string RequestAddress(std::string_view address) {
  std::string escaped;
  for (const char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      escaped += core::FormatText("%%%02X", byte);
    } else {
      escaped += c;
    }
  }
  return escaped;
}

CURL* OpenSession() {
  if (!Session() && InitialiseTransfers()) Session().reset(curl_easy_init());
  return Session().get();
}

}  // namespace

bool InitialiseTransfers() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return initialised;
}

const DownloadLimits& CurrentDownloadLimits() { return Limits(); }

bool Download(const std::string& address, core::LoadedText& out, int report_mode) {
  out = core::LoadedText{};
  CURL* curl = OpenSession();
  if (curl == nullptr) {
    core::ReportErrorCode(core::ErrorCode::kInternetOpenFails);
    return false;
  }
  curl_easy_reset(curl);

  const std::string url = address.substr(0, address.find('#'));
  const std::string request = RequestAddress(url);
  const std::string proxy = ProxyOf(config::TheConfig());
  const DownloadLimits& limits = Limits();
  std::unique_ptr<curl_slist, HandleDeleter> headers(
      curl_slist_append(nullptr, "Cache-Control: no-cache"));
  Received received(limits.max_bytes);

  curl_easy_setopt(curl, CURLOPT_URL, request.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Vellumark");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Receive);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
  // Offer every encoding libcurl can decode, and have it decode the answer:
  // servers send gzip or deflate even when they were not asked to, and the
  // page must reach the caller as plain text either way.
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  // The options that hold the request to its protocols, proxy, redirects,
  // time and size must take: without them it does not run at all. An empty
  // proxy turns off the proxies of the environment too; with a proxy, no
  // host bypasses it.
  const bool restricted =
      curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK &&
      (proxy.empty() || curl_easy_setopt(curl, CURLOPT_NOPROXY, "") == CURLE_OK) &&
      curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp,gopher") == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp") == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.max_redirects) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connect_seconds) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stall_seconds) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                       static_cast<curl_off_t>(limits.max_bytes)) == CURLE_OK &&
      curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  if (!restricted) {
    core::ReportErrorCode(core::ErrorCode::kInternetOpenFails);
    return false;
  }

  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  const char* scheme = nullptr;
  curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme);
  const bool http =
      scheme != nullptr && (std::strcmp(scheme, "HTTP") == 0 || std::strcmp(scheme, "HTTPS") == 0);

  if (received.out_of_memory) {
    core::ReportMemoryOverflow();
    return false;
  }
  if (result != CURLE_OK || (http && status >= 400)) {
    // An answer that could not be had at all is reported as the mode asks;
    // one that broke off after its first bytes is reported even when silent.
    if (received.length > 0 || received.too_large) {
      ReportNotFound(url, report_mode == core::kSilent ? core::kReportAsInfo : report_mode);
    } else if (report_mode != core::kSilent) {
      ReportNotFound(url, report_mode);
    }
    return false;
  }

  if (received.data == nullptr) {
    received.data = static_cast<char*>(core::Reallocate(nullptr, 1));
    if (received.data == nullptr) {
      core::ReportMemoryOverflow();
      return false;
    }
    received.data[0] = '\0';
  }
  out.data.reset(std::exchange(received.data, nullptr));
  out.length = received.length;
  return true;
}

void CloseDownloads() { Session().reset(); }

namespace testing {
void SetDownloadLimits(const DownloadLimits& limits) { Limits() = limits; }
}  // namespace testing

}  // namespace vellum::web
