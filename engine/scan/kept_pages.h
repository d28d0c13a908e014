// What a scan keeps of each page it read, so that the next scan of the site
// can ask whether the page changed and, where it did not, take the page
// over without reading it: over HTTP the answer's validators (a 304 answer
// to a conditional request), on disk the file's size and time.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scan/text_index.h"
#include "web/links.h"

namespace vellum::scan {

struct PageVersion {
  std::string etag;            // the ETag as the server sent it; "" none
  std::int64_t modified = -1;  // Last-Modified, or a file's last-write time,
                               // in seconds since 1970; -1 unknown
  std::int64_t size = -1;      // a file's size; -1 over HTTP

  bool Known() const { return !etag.empty() || modified >= 0; }
};

// Addresses below are numbers of the KeptPages that holds the page.
struct KeptPage {
  PageVersion version;
  std::string name;  // its link name, as the tree holds it
  bool noindex = false;
  int canonical = -1;      // the address it names as its own; -1 none
  std::vector<int> links;  // the pages it links, as the crawl resolved them
  // The earliest second of the lastmod the site's map gave it when the
  // scan read the map, kept only once that lastmod lay in the past; -1 none.
  std::int64_t listed = -1;
};

// The pages kept, by address as the crawl knows its pages (in normal form).
// Every address that a page has or names is held once, numbered in the
// order it was first given: a site's pages link the same few addresses
// over and over. The addresses are indexed when one is first looked for:
// a scan's pages are mostly stored, not looked up, until the next scan. (Not
// for use from two threads at once.)
class KeptPages {
 public:
  KeptPages() = default;
  KeptPages(KeptPages&& other) noexcept;
  KeptPages& operator=(KeptPages&& other) noexcept;
  // For undo, which keeps the pages of the scan before.
  KeptPages(const KeptPages& other);
  KeptPages& operator=(const KeptPages& other) { return *this = KeptPages(other); }

  // The number of address, which is added when it is new.
  int Number(std::string_view address);
  // The same, taking address over rather than copying it.
  int Add(std::string address);
  // Adds an address that is not held, taking it over: for a caller whose
  // addresses are each given once.
  int Append(std::string address);
  const std::string& Address(int number) const { return entries_[number].address; }
  std::size_t addresses() const { return entries_.size(); }

  // The page kept under the address of number, made when there is none.
  KeptPage& Keep(int number);
  // The number of address; -1 when it is not held.
  int NumberOf(std::string_view address) const;
  // The page kept under address; none when none is.
  const KeptPage* Find(std::string_view address) const {
    const int number = NumberOf(address);
    return number < 0 ? nullptr : At(number);
  }
  // The page kept under the address of number; none when none is.
  const KeptPage* At(int number) const {
    const std::optional<KeptPage>& page = entries_[number].page;
    return page ? &*page : nullptr;
  }
  KeptPage* At(int number) {
    std::optional<KeptPage>& page = entries_[number].page;
    return page ? &*page : nullptr;
  }
  bool empty() const { return pages_ == 0; }
  std::size_t size() const { return pages_; }

 private:
  struct Entry {
    std::string address;
    std::optional<KeptPage> page;
  };
  int Insert(std::string_view address, std::string* owned);
  void Index() const;

  std::deque<Entry> entries_;
  struct AddressOf {
    const KeptPages* pages;
    std::string_view operator()(int number) const { return pages->entries_[number].address; }
  };
  // The addresses below indexed_, by their text.
  mutable TextIndex<AddressOf> numbers_{AddressOf{this}};
  mutable std::size_t indexed_ = 0;
  std::size_t pages_ = 0;
};

// The size and last-write time of a file; unknown when it is no file.
PageVersion FileVersion(const std::string& path);

// Whether a file of version now is the one kept (none: never kept).
bool Unchanged(const PageVersion& now, const KeptPage* kept);

// What the last scan collected of a page that is taken over unread, as far
// as wanted (VELLUM_SITEMAP_) still asks for it; none when nothing.
std::optional<web::PageExtras> KeptExtras(const web::PageExtrasMap* kept,
                                          const std::string& address, unsigned wanted);

}  // namespace vellum::scan
