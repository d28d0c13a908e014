#include "web/fetcher.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/messages.h"
#include "core/text_utils.h"
#include "web/address.h"
#include "web/http_download.h"
#include "web/http_request.h"

namespace vellum::web {

struct Fetcher::Transfer {
  Transfer(std::string address, int tag, bool pages_only, std::string host)
      : address(std::move(address)),
        request(RequestAddress(this->address.substr(0, this->address.find('#')))),
        tag(tag),
        pages_only(pages_only),
        host(std::move(host)),
        received(CurrentDownloadLimits().max_bytes) {}

  std::string address;
  std::string request;
  int tag;
  bool pages_only;
  std::string host;
  Received received;
  FetchCondition condition;
  curl_slist* headers = nullptr;  // the shared ones and If-None-Match

  ~Transfer() { curl_slist_free_all(headers); }
};

namespace {

// A validator from a project file or a server goes into a header line only
// when it cannot end that line.
bool FitsHeader(const std::string& value) {
  return std::none_of(value.begin(), value.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Makes the request of handle a conditional one. False when an option
// could not be set. With an ETag the server alone decides (If-None-Match):
// libcurl would take a 200 whose Last-Modified is not after the kept time
// for a 304 itself, and a page changed within the second it was last read
// would never be read again.
// headers (the transfer's own, freed with it) gets the shared lines and
// If-None-Match.
bool SetCondition(CURL* handle, const FetchCondition& condition, const curl_slist* shared,
                  curl_slist*& headers) {
  if (!condition.etag.empty() && FitsHeader(condition.etag)) {
    const std::string if_none_match = std::string("If-None-Match: ").append(condition.etag);
    for (const curl_slist* line = shared; line != nullptr; line = line->next) {
      curl_slist* with = curl_slist_append(headers, line->data);
      if (with == nullptr) return false;
      headers = with;
    }
    curl_slist* with = curl_slist_append(headers, if_none_match.c_str());
    if (with == nullptr) return false;
    headers = with;
    return curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers) == CURLE_OK;
  }
  if (condition.modified < 0) return true;
  return curl_easy_setopt(handle, CURLOPT_TIMECONDITION,
                          static_cast<long>(CURL_TIMECOND_IFMODSINCE)) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_TIMEVALUE_LARGE,
                          static_cast<curl_off_t>(condition.modified)) == CURLE_OK;
}

}  // namespace

Fetcher::Fetcher(const FetchOptions& options) : options_(options) {
  options_.connections_per_host = std::max(options_.connections_per_host, 1);
  if (!InitialiseTransfers()) return;
  multi_ = curl_multi_init();
  headers_ = curl_slist_append(nullptr, "Cache-Control: no-cache");
  if (multi_ == nullptr) return;
  // Neither option is needed for the limits, which StartReady keeps
  // itself: refused, they leave requests sharing connections less.
  curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
  curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS,
                    static_cast<long>(options_.connections_per_host));
}

Fetcher::~Fetcher() {
  for (auto& [handle, transfer] : running_) {
    curl_multi_remove_handle(multi_, handle);
    curl_easy_cleanup(handle);
  }
  for (CURL* handle : idle_handles_) curl_easy_cleanup(handle);
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
  curl_slist_free_all(headers_);
}

std::string Fetcher::HostOf(std::string_view address) {
  // Asked for every request: the host is cut out without taking the whole
  // address apart.
  const std::size_t path = UrlPathStart(address);
  if (path == 0) return {};
  std::string host(address.substr(0, path));
  for (char& c : host) c = core::ToLowerAscii(c);
  return host;
}

bool Fetcher::Add(const std::string& address, int tag, bool pages_only, std::size_t keep_first,
                  const FetchCondition& condition) {
  if (multi_ == nullptr || headers_ == nullptr) return false;
  std::string host = HostOf(address);
  Host& record = hosts_[host];
  if (record.delay_ms == 0) record.delay_ms = options_.delay_ms;
  record.waiting.push_back(std::make_unique<Transfer>(address, tag, pages_only, std::move(host)));
  record.waiting.back()->received.set_keep_first(keep_first);
  record.waiting.back()->condition = condition;
  ++pending_;
  return true;
}

void Fetcher::SetHostDelay(const std::string& host, int delay_ms) {
  Host& record = hosts_[host];
  record.delay_ms = std::max({record.delay_ms, options_.delay_ms, delay_ms});
}

// With a pause between requests, one runs at a time. Once the host is
// known to multiplex, each connection carries several: over a long round
// trip that is what keeps the link full.
int Fetcher::LimitOf(const Host& host) const {
  if (host.delay_ms > 0) return 1;
  return options_.connections_per_host * (host.multiplexes ? kStreamsPerConnection : 1);
}

bool Fetcher::HasRoomFor(const std::string& address) const {
  const auto found = hosts_.find(HostOf(address));
  if (found == hosts_.end()) return true;
  const Host& host = found->second;
  return host.running + static_cast<int>(host.waiting.size()) < LimitOf(host);
}

long Fetcher::StartReady(std::vector<FetchResult>& done) {
  const auto now = std::chrono::steady_clock::now();
  long wait_ms = -1;
  for (auto& [name, host] : hosts_) {
    const int limit = LimitOf(host);
    while (!host.waiting.empty() && host.running < limit) {
      if (host.delay_ms > 0 && now < host.next_start) {
        const long left =
            std::chrono::ceil<std::chrono::milliseconds>(host.next_start - now).count();
        wait_ms = wait_ms < 0 ? left : std::min(wait_ms, left);
        break;
      }
      std::unique_ptr<Transfer> transfer = std::move(host.waiting.front());
      host.waiting.pop_front();
      CURL* handle = nullptr;
      if (idle_handles_.empty()) {
        handle = curl_easy_init();
      } else {
        handle = idle_handles_.back();
        idle_handles_.pop_back();
        curl_easy_reset(handle);
      }
      std::string failure;
      if (handle == nullptr ||
          !ConfigureRequest(handle, transfer->request, transfer->received, headers_,
                            options_.page_seconds) ||
          !SetCondition(handle, transfer->condition, headers_, transfer->headers) ||
          (!options_.ca_file.empty() &&
           curl_easy_setopt(handle, CURLOPT_CAINFO, options_.ca_file.c_str()) != CURLE_OK)) {
        failure = "the transfer could not be set up";
      } else {
        if (transfer->pages_only) transfer->received.set_pages_only(handle);
        // Waiting for a connection that may multiplex is a preference: the
        // request runs either way. Only HTTPS may turn out to be HTTP/2
        // (libcurl's default asks for it there alone, never guessing it on
        // plain HTTP); a plain HTTP request that waited would wait for
        // every busy connection of its host, and on a server without
        // keep-alive run one at a time.
        if (core::EqualsNoCase(std::string_view(transfer->request).substr(0, 6), "https:")) {
          curl_easy_setopt(handle, CURLOPT_PIPEWAIT, 1L);
        }
        if (const CURLMcode added = curl_multi_add_handle(multi_, handle); added != CURLM_OK) {
          failure =
              core::FormatText("the transfer could not be set up (%s)", curl_multi_strerror(added));
        }
      }
      if (!failure.empty()) {
        // Reset before its next use, whatever it was left holding.
        if (handle != nullptr) idle_handles_.push_back(handle);
        Fail(*transfer, failure, done);
        continue;
      }
      running_.emplace(handle, std::move(transfer));
      ++host.running;
      host.next_start = now + std::chrono::milliseconds(host.delay_ms);
    }
  }
  return wait_ms;
}

void Fetcher::Fail(const Transfer& transfer, const std::string& reason,
                   std::vector<FetchResult>& done) {
  FetchResult result;
  result.tag = transfer.tag;
  result.reason = reason;
  result.final_address = transfer.address;
  --pending_;
  done.push_back(std::move(result));
}

void Fetcher::Detach(CURL* handle) {
  auto found = running_.find(handle);
  if (found == running_.end()) return;
  --hosts_[found->second->host].running;
  running_.erase(found);
  // A handle that the multi handle does not give back is not used again.
  if (curl_multi_remove_handle(multi_, handle) == CURLM_OK) {
    idle_handles_.push_back(handle);
  } else {
    curl_easy_cleanup(handle);
  }
}

namespace {

// The failures that say the server did not answer at all: it could not be
// reached, or it fell silent.
bool IsNoAnswer(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Which of the transfer's time limits ran out: the connection's, the one
// for a stalled answer, or the page's.
std::string Fetcher::TimeoutReason(CURL* handle) const {
  const DownloadLimits& limits = CurrentDownloadLimits();
  curl_off_t connected = 0, total = 0;
  curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connected);
  curl_easy_getinfo(handle, CURLINFO_TOTAL_TIME_T, &total);
  if (connected == 0) {
    return core::FormatText("no connection within %ld s", limits.connect_seconds);
  }
  const long page_seconds = options_.page_seconds;
  if (page_seconds > 0 && total + 500000 >= static_cast<curl_off_t>(page_seconds) * 1000000) {
    return core::FormatText("no answer within the time limit (%ld s)", page_seconds);
  }
  return core::FormatText("the server sent nothing for %ld s", limits.stall_seconds);
}

void Fetcher::Finish(CURL* handle, CURLcode code, std::vector<FetchResult>& done) {
  auto found = running_.find(handle);
  if (found == running_.end()) return;
  Transfer& transfer = *found->second;

  FetchResult result;
  result.tag = transfer.tag;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
  // A redirect that failed to lead anywhere was no answer: its status is
  // not the request's.
  if (result.status >= 300 && result.status < 400 && code != CURLE_OK &&
      code != CURLE_TOO_MANY_REDIRECTS) {
    result.status = 0;
  }
  const char* effective = nullptr;
  curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
  result.final_address = effective != nullptr ? effective : transfer.address;
  const char* type = nullptr;
  curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type);
  if (type != nullptr) result.content_type = type;
  curl_off_t modified = -1;
  if (curl_easy_getinfo(handle, CURLINFO_FILETIME_T, &modified) == CURLE_OK && modified >= 0) {
    result.modified = modified;
  }
  curl_header* etag = nullptr;
  if (curl_easy_header(handle, "ETag", 0, CURLH_HEADER, -1, &etag) == CURLHE_OK &&
      FitsHeader(etag->value)) {
    result.etag = etag->value;
  }
  result.not_modified = result.status == 304 && code == CURLE_OK;
  long version = 0;
  if (curl_easy_getinfo(handle, CURLINFO_HTTP_VERSION, &version) == CURLE_OK &&
      version >= CURL_HTTP_VERSION_2_0) {
    hosts_[transfer.host].multiplexes = true;
  }
  Received& received = transfer.received;
  result.not_page = received.not_page();
  if (received.out_of_memory()) {
    result.reason = "out of memory";
  } else if (received.too_large()) {
    result.reason = "larger than the download limit";
  } else if (code == CURLE_OPERATION_TIMEDOUT) {
    result.reason = TimeoutReason(handle);
  } else if (code == CURLE_HTTP_RETURNED_ERROR) {
    result.reason = core::FormatText("HTTP status %ld", result.status);
  } else if (code == CURLE_OUT_OF_MEMORY) {
    // What libcurl refuses to hold is most often a header line over its
    // limit (100 KB): a fault of the answer, not of this machine.
    result.reason = "the answer could not be held (a header over 100 KB, or out of memory)";
  } else if (code != CURLE_OK && !result.not_page && !received.cut()) {
    result.reason = curl_easy_strerror(code);
  } else if (!result.not_page && !received.TakeInto(result.body)) {
    result.reason = "out of memory";
  }
  result.ok = result.reason.empty() && !result.not_page;
  result.no_answer = IsNoAnswer(code);
  Detach(handle);
  --pending_;
  done.push_back(std::move(result));
}

void Fetcher::FailRunning(CURLMcode code, std::vector<FetchResult>& done) {
  const std::string reason =
      core::FormatText("the transfer broke off (%s)", curl_multi_strerror(code));
  while (!running_.empty()) {
    CURL* handle = running_.begin()->first;
    Fail(*running_.begin()->second, reason, done);
    Detach(handle);
  }
}

void Fetcher::Wake() {
  woken_ = true;
  if (multi_ != nullptr) curl_multi_wakeup(multi_);
}

bool Fetcher::Collect(std::vector<FetchResult>& done, std::chrono::milliseconds at_most) {
  if (pending_ == 0 || multi_ == nullptr) return false;
  using Clock = std::chrono::steady_clock;
  const bool bounded = at_most != std::chrono::milliseconds::max();
  const Clock::time_point deadline = bounded ? Clock::now() + at_most : Clock::time_point::max();
  const std::size_t before = done.size();
  while (done.size() == before) {
    long left = 1000;
    if (bounded) {
      const Clock::time_point now = Clock::now();
      if (now >= deadline) break;
      left =
          static_cast<long>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count());
    }
    long wait_ms = StartReady(done);
    if (done.size() != before) break;
    wait_ms = wait_ms > 0 ? std::min(wait_ms, left) : left;
    if (running_.empty()) {
      // What is pending waits for a paused host (wait_ms is then at least
      // 1): nothing to poll for until it may start.
      std::this_thread::sleep_for(std::chrono::milliseconds(std::max(wait_ms, 1L)));
      continue;
    }
    int still_running = 0;
    CURLMcode code = curl_multi_perform(multi_, &still_running);
    if (code == CURLM_OK) {
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE) Finish(message->easy_handle, message->data.result, done);
      }
      if (done.size() != before) break;
      // Until a transfer moves, a paused host may start again, or the
      // caller wants its turn.
      const int timeout = static_cast<int>(std::clamp(wait_ms, 1L, 1000L));
      code = curl_multi_poll(multi_, nullptr, 0, timeout, nullptr);
      if (woken_.exchange(false)) break;
    }
    // A multi handle that can neither run nor wait for its transfers
    // carries none of them further.
    if (code != CURLM_OK) FailRunning(code, done);
  }
  return true;
}

}  // namespace vellum::web
