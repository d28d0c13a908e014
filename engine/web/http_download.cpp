#include "web/http_download.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>

#include "core/messages.h"
#include "web/http_request.h"

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
  std::unique_ptr<curl_slist, HandleDeleter> headers(
      curl_slist_append(nullptr, "Cache-Control: no-cache"));
  Received received(Limits().max_bytes);
  if (!ConfigureRequest(curl, request, received, headers.get(), 0)) {
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

  if (received.out_of_memory()) {
    core::ReportMemoryOverflow();
    return false;
  }
  if (result != CURLE_OK || (http && status >= 400)) {
    // An answer that could not be had at all is reported as the mode asks;
    // one that broke off after its first bytes is reported even when silent.
    if (received.length() > 0 || received.too_large()) {
      core::ReportNotFound(url, report_mode == core::kSilent ? core::kReportAsInfo : report_mode);
    } else {
      core::ReportNotFound(url, report_mode);
    }
    return false;
  }
  if (!received.TakeInto(out)) {
    core::ReportMemoryOverflow();
    return false;
  }
  return true;
}

void CloseDownloads() { Session().reset(); }

namespace testing {
void SetDownloadLimits(const DownloadLimits& limits) { Limits() = limits; }
}  // namespace testing

}  // namespace vellum::web
