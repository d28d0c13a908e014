// Concurrent downloads over libcurl's multi interface: requests run several
// at a time over at most a set number of connections per host, with an
// optional pause between two requests to one host. Plain HTTP is HTTP/1.1
// with keep-alive, one request per connection at a time; HTTPS is HTTP/2
// where the server offers it, and then the requests share one connection
// as streams. Single-threaded: the caller adds requests and collects
// answers as they finish.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/file_loading.h"

namespace vellum::web {

struct FetchOptions {
  int connections_per_host = 4;
  int delay_ms = 0;       // between the starts of two requests to one host
  long page_seconds = 0;  // a whole transfer at most; 0: no limit
  // The certificates HTTPS servers are checked against (a PEM file), in
  // place of the system's; empty: the system's. Servers are checked either
  // way.
  std::string ca_file{};
};

// Requests that run at once per connection the options allow, on a host
// whose connection multiplexes them (HTTP/2).
inline constexpr int kStreamsPerConnection = 8;

// What a conditional request sends: the validators of the copy the caller
// has. Without either, the request is a plain one.
struct FetchCondition {
  std::string etag;            // sent as If-None-Match
  std::int64_t modified = -1;  // sent as If-Modified-Since when above -1
};

struct FetchResult {
  int tag = 0;
  bool ok = false;             // a body came (an HTTP status below 400)
  bool not_page = false;       // the server answered with something else than HTML
  long status = 0;             // the last HTTP status; 0 when none came, or
                               // when a redirect led to no answer
  bool no_answer = false;      // the server could not be reached, or fell silent
  std::string reason;          // why it failed, in words; empty when ok
  std::string final_address;   // after redirects
  std::string content_type;    // "" when the server named none
  std::int64_t modified = -1;  // Last-Modified, seconds since 1970; -1 unknown
  std::string etag;            // the answer's ETag; "" when it sent none
  bool not_modified = false;   // a 304 to a conditional request: no body
  core::LoadedText body;
};

class Fetcher {
 public:
  explicit Fetcher(const FetchOptions& options);
  ~Fetcher();
  Fetcher(const Fetcher&) = delete;
  Fetcher& operator=(const Fetcher&) = delete;

  // Queues a GET of address (its "#" part left out). tag comes back in the
  // result. With pages_only, an answer that the server says is not HTML ends
  // at its first bytes. With keep_first, the answer is its first keep_first
  // bytes, whatever its length. With a condition, the request asks for the
  // page only when it changed. False when the transfers cannot be set up
  // at all.
  bool Add(const std::string& address, int tag, bool pages_only, std::size_t keep_first = 0,
           const FetchCondition& condition = {});

  // Sets a host's pause, when longer than the one of the options (a
  // robots.txt Crawl-delay); host as HostOf gives it.
  void SetHostDelay(const std::string& host, int delay_ms);

  // Runs the transfers until at least one has finished, or at most for
  // at_most, and appends what finished to done: a request that failed, even
  // before it could start, comes back with its own tag and the reason.
  // Waits without spinning. False when nothing was queued or running.
  bool Collect(std::vector<FetchResult>& done,
               std::chrono::milliseconds at_most = std::chrono::milliseconds::max());

  // Makes a Collect that waits, now or next, return as soon as it can: for
  // another thread whose work the caller of Collect waits for too.
  void Wake();

  // Requests queued or running.
  std::size_t pending() const { return pending_; }

  // Whether a request for address would start at once (as soon as its
  // host's pause allows): its host runs and has waiting fewer than it may
  // run. A caller that adds only then keeps nothing queued it could not
  // start.
  bool HasRoomFor(const std::string& address) const;

  // "scheme://host:port" of an address, lower-cased: what connections are
  // counted by.
  static std::string HostOf(std::string_view address);

 private:
  struct Transfer;
  struct Host {
    std::deque<std::unique_ptr<Transfer>> waiting;
    int running = 0;
    int delay_ms = 0;
    bool multiplexes = false;  // an answer came over HTTP/2
    std::chrono::steady_clock::time_point next_start{};
  };

  int LimitOf(const Host& host) const;
  std::string TimeoutReason(CURL* handle) const;
  // Starts what the hosts' limits let start; a request that cannot be
  // started is answered into done as failed. The milliseconds until a
  // paused host may start its next request (at least 1), -1 when no request
  // waits for that.
  long StartReady(std::vector<FetchResult>& done);
  // Answers a request that did not finish as failed, for the reason given.
  void Fail(const Transfer& transfer, const std::string& reason, std::vector<FetchResult>& done);
  // Takes the running request of handle off the multi handle and drops it.
  void Detach(CURL* handle);
  void Finish(CURL* handle, CURLcode code, std::vector<FetchResult>& done);
  // Fails every running request, when the multi handle can no longer
  // carry them.
  void FailRunning(CURLMcode code, std::vector<FetchResult>& done);

  FetchOptions options_;
  CURLM* multi_ = nullptr;
  curl_slist* headers_ = nullptr;
  std::unordered_map<std::string, Host> hosts_;
  std::unordered_map<CURL*, std::unique_ptr<Transfer>> running_;
  std::vector<CURL*> idle_handles_;
  std::size_t pending_ = 0;
  std::atomic<bool> woken_{false};
};

}  // namespace vellum::web
