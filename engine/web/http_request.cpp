#include "web/http_request.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "config/engine_config.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "web/address.h"
#include "web/http_download.h"

namespace vellum::web {
namespace {

// The proxy as the configuration names it: "host", or "host:port" when a
// port is set. Empty for a direct connection.
std::string ProxyOf(const EngineConfig& config) {
  if (config.Proxy == nullptr || *config.Proxy == '\0') return {};
  if (config.PortProxy == 0) return config.Proxy;
  return core::FormatText("%s:%i", config.Proxy, config.PortProxy);
}

}  // namespace

Received::~Received() { core::Release(data_); }

std::size_t Received::Write(char* bytes, std::size_t size, std::size_t count, void* user) {
  Received& received = *static_cast<Received*>(user);
  std::size_t n = size * count;
  if (received.pages_only_ != nullptr && received.length_ == 0) {
    const char* type = nullptr;
    curl_easy_getinfo(received.pages_only_, CURLINFO_CONTENT_TYPE, &type);
    if (type != nullptr && !IsPageType(type)) {
      received.not_page_ = true;
      return 0;  // ends the transfer
    }
  }
  if (received.keep_first_ > 0 && received.length_ + n > received.keep_first_) {
    n = received.keep_first_ - received.length_;
    received.cut_ = true;
  }
  if (static_cast<std::int64_t>(received.length_ + n) > received.limit_) {
    received.too_large_ = true;
    return 0;
  }
  if (received.length_ + n + 1 > received.capacity_) {
    const std::size_t capacity = std::max(received.capacity_ * 2, received.length_ + n + 513);
    char* grown = static_cast<char*>(core::Reallocate(received.data_, capacity));
    if (grown == nullptr) {
      received.out_of_memory_ = true;
      return 0;
    }
    received.data_ = grown;
    received.capacity_ = capacity;
  }
  std::memcpy(received.data_ + received.length_, bytes, n);
  received.length_ += n;
  received.data_[received.length_] = '\0';
  return received.cut_ ? 0 : n;  // 0 ends the transfer
}

bool Received::TakeInto(core::LoadedText& out) {
  if (data_ == nullptr) {
    data_ = static_cast<char*>(core::Reallocate(nullptr, 1));
    if (data_ == nullptr) return false;
    data_[0] = '\0';
  }
  out.data.reset(std::exchange(data_, nullptr));
  out.length = std::exchange(length_, 0);
  capacity_ = 0;
  return true;
}

std::string RequestAddress(std::string_view address) {
  std::string escaped;
  AppendEscaped(escaped, address);
  return escaped;
}

bool IsPageType(std::string_view content_type) {
  const std::string_view media = content_type.substr(0, content_type.find(';'));
  const std::size_t end = media.find_last_not_of(" \t");
  const std::string_view trimmed = media.substr(0, end == media.npos ? 0 : end + 1);
  return core::EqualsNoCase(trimmed, "text/html") ||
         core::EqualsNoCase(trimmed, "application/xhtml+xml");
}

bool ConfigureRequest(CURL* curl, const std::string& request, Received& received,
                      curl_slist* headers, long seconds) {
  const std::string proxy = ProxyOf(config::TheConfig());
  const DownloadLimits& limits = CurrentDownloadLimits();
  curl_easy_setopt(curl, CURLOPT_URL, request.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Vellumark");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Received::Write);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
  curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
  // Offer every encoding libcurl can decode, and have it decode the answer:
  // servers send gzip or deflate even when they were not asked to, and the
  // page must reach the caller as plain text either way.
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  // The options that hold the request to its protocols, proxy, redirects,
  // time and size must take: without them it does not run at all. An empty
  // proxy turns off the proxies of the environment too; with a proxy, no
  // host bypasses it.
  return curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK &&
         (proxy.empty() || curl_easy_setopt(curl, CURLOPT_NOPROXY, "") == CURLE_OK) &&
         curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp,gopher") == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.max_redirects) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connect_seconds) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_TIMEOUT, seconds > 0 ? seconds : 0L) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stall_seconds) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                          static_cast<curl_off_t>(
                              received.keep_first() > 0 ? 0 : limits.max_bytes)) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
}

}  // namespace vellum::web
