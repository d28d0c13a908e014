// What a scan keeps of each page it read, so that the next scan of the site
// can ask whether the page changed and, where it did not, take the page
// over without reading it: over HTTP the answer's validators (a 304 answer
// to a conditional request), on disk the file's size and time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "web/links.h"

namespace vellum::scan {

struct PageVersion {
  std::string etag;            // the ETag as the server sent it; "" none
  std::int64_t modified = -1;  // Last-Modified, or a file's last-write time,
                               // in seconds since 1970; -1 unknown
  std::int64_t size = -1;      // a file's size; -1 over HTTP

  bool Known() const { return !etag.empty() || modified >= 0; }
};

struct KeptPage {
  PageVersion version;
  std::string name;  // its link name, as the tree holds it
  bool noindex = false;
  std::string canonical;           // the address it names as its own; "" none
  std::vector<std::string> links;  // the pages it links, as the crawl resolved them
};

// By address, as the crawl knows its pages (in normal form).
using KeptPages = std::unordered_map<std::string, KeptPage>;

// The size and last-write time of a file; unknown when it is no file.
PageVersion FileVersion(const std::string& path);

// Whether a file of version now is the one kept (none: never kept).
bool Unchanged(const PageVersion& now, const KeptPage* kept);

// What the last scan collected of a page that is taken over unread, as far
// as wanted (VELLUM_SITEMAP_) still asks for it; none when nothing.
std::optional<web::PageExtras> KeptExtras(const web::PageExtrasMap* kept,
                                          const std::string& address, unsigned wanted);

}  // namespace vellum::scan
