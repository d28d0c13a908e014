// What every HTTP request of the engine shares, whether it runs alone
// (Download) or beside others (Fetcher): the body buffer, the address as a
// request line carries it, and the options that hold a transfer to its
// protocols, proxy, redirects, time and size.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/file_loading.h"

namespace vellum::web {

// The answer's bytes so far, always NUL-terminated, in the engine's
// allocator so that they can become a LoadedText.
class Received {
 public:
  explicit Received(std::int64_t limit) : limit_(limit) {}
  ~Received();
  Received(const Received&) = delete;
  Received& operator=(const Received&) = delete;

  // With a handle, an answer that the server says is not HTML ends the
  // transfer at its first bytes: what is not a page is not read.
  void set_pages_only(CURL* handle) { pages_only_ = handle; }

  // With bytes above 0, only the answer's first bytes are wanted: the
  // transfer ends once they came (libcurl then says it could not write),
  // and cut() tells that more were on the way. The download limit then
  // holds for those bytes only: a longer answer is not refused for the
  // length it announces. Set before ConfigureRequest.
  void set_keep_first(std::size_t bytes) { keep_first_ = bytes; }
  std::size_t keep_first() const { return keep_first_; }
  bool cut() const { return cut_; }

  // The bytes as a LoadedText (an empty one for an empty answer); false
  // when memory ran out.
  bool TakeInto(core::LoadedText& out);
  std::size_t length() const { return length_; }
  bool too_large() const { return too_large_; }
  bool out_of_memory() const { return out_of_memory_; }
  bool not_page() const { return not_page_; }

  // The CURLOPT_WRITEFUNCTION of a transfer whose WRITEDATA is a Received.
  static std::size_t Write(char* bytes, std::size_t size, std::size_t count, void* user);

 private:
  char* data_ = nullptr;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
  std::int64_t limit_;
  CURL* pages_only_ = nullptr;
  std::size_t keep_first_ = 0;
  bool cut_ = false;
  bool too_large_ = false;
  bool out_of_memory_ = false;
  bool not_page_ = false;
};

// The address as a request line can carry it. An address in normal form
// (address.h) is one already; in any other, blanks, control bytes and bytes
// above 0x7E are escaped ("a b.htm" asks for "a%20b.htm", as a browser
// would), and escapes already there are kept.
std::string RequestAddress(std::string_view address);

// True for a Content-Type that announces a page: text/html or
// application/xhtml+xml, with or without parameters.
bool IsPageType(std::string_view content_type);

// Sets the options of a GET of request (already a RequestAddress) that
// writes into received: the configured proxy, the protocols, redirects,
// the engine's download limits, an overall time limit when seconds is above
// 0, compressed answers decoded, and the answer's Last-Modified asked for.
// headers must outlive the transfer. False when an option that holds the
// transfer in bounds could not be set: the transfer must not run.
bool ConfigureRequest(CURL* curl, const std::string& request, Received& received,
                      curl_slist* headers, long seconds);

}  // namespace vellum::web
