// What a site's own XML site maps say of when its pages last changed: the
// <lastmod> of each <url>, read from the maps that its robots.txt names
// (else /sitemap.xml), index files followed. An update that trusts them
// takes a page the map says did not change since the last scan over from
// that scan without asking the server for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/progress.h"
#include "scan/crawl.h"
#include "update/address_keys.h"

namespace vellum::update {

// The span of time a lastmod names, in seconds since 1970 (UTC): a date
// without a time is a whole day, in whatever time zone the site meant.
struct ListedTime {
  std::int64_t earliest = 0;
  std::int64_t latest = 0;
};

// A W3C date and time (YYYY, YYYY-MM, YYYY-MM-DD, then "T" hh:mm with
// optional seconds and fraction, and "Z" or +hh:mm / -hh:mm); nullopt for
// anything else.
std::optional<ListedTime> ParseLastmod(std::string_view text);

// What one map file holds: pages with their lastmod where given, or, for
// an index file, the addresses of further maps.
struct SiteMapFile {
  struct Page {
    std::string address;
    std::optional<ListedTime> lastmod;
  };
  std::vector<Page> pages;
  std::vector<std::string> maps;
};

SiteMapFile ParseSiteMap(std::string_view xml);

// The addresses of the "Sitemap:" lines of a robots.txt.
std::vector<std::string> SiteMapsOfRobots(std::string_view robots);

// Bounds on what a site's maps may make the update read.
inline constexpr std::size_t kSiteMapBytes = 50 << 20;        // one map file
inline constexpr std::size_t kSiteMapTotalBytes = 200 << 20;  // all of them
inline constexpr int kSiteMapFiles = 50;

// The lastmod of each page that the maps of base's host list and wanted
// takes, by the number of the page's key (keys). Maps on other hosts, and
// map files past the bounds, are not read; maps that cannot be read list
// nothing. False when progress said stop.
using ListedPages = std::unordered_map<int, ListedTime>;
bool ReadSiteMaps(const std::string& base, const scan::CrawlSettings& settings,
                  core::Progress& progress, AddressKeys& keys,
                  const std::function<bool(int key)>& wanted, ListedPages& listed);

// Whether a page that the maps now list at listed, of which the last scan
// kept kept, is the page kept: its lastmod is no later than the one the
// maps gave it at the last scan, or it ended before the Last-Modified the
// server sent for the copy kept.
bool ListedUnchanged(const ListedTime& listed, const scan::KeptPage& kept);

}  // namespace vellum::update
