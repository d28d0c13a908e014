// How a scan crawls, and what it reports besides the tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "scan/kept_pages.h"
#include "vellum/vellum.h"
#include "web/links.h"

namespace vellum::scan {

inline constexpr int kDefaultPageLimit = 100000;
inline constexpr int kDefaultPageSeconds = 60;
inline constexpr int kDefaultConnections = 4;

struct CrawlSettings {
  // The site's, kept with the project.
  int page_limit = kDefaultPageLimit;
  int depth_limit = 0;  // 0: any depth
  std::string include;
  std::string exclude;
  int order = VELLUM_ORDER_NAME;
  // The user's.
  int page_seconds = kDefaultPageSeconds;
  int connections = kDefaultConnections;
  int delay_ms = 0;
  bool honour_robots = true;
  std::string ca_file;  // as web::FetchOptions has it
  // Bytes that answers read ahead of the page the crawl waits for may hold
  // before further requests wait: one slow page must not make the crawl
  // buffer the rest of a site of large pages.
  std::size_t read_ahead_bytes = 64 << 20;
  // What the last scan of the site kept: a page it holds is asked for only
  // if it changed, and taken over from it when it did not.
  const KeptPages* kept = nullptr;
  // Whether the site itself says the page of each address of kept (by
  // number) did not change: such a page is taken over without a request.
  const std::vector<bool>* unchanged = nullptr;
  // What the XML site map is to say of each page (VELLUM_SITEMAP_): the
  // scan collects it from the pages it reads, and takes it over from
  // kept_extras for those it takes over unread.
  unsigned sitemap_extras = 0;
  const web::PageExtrasMap* kept_extras = nullptr;
};

struct BrokenLink {
  std::string address;
  std::string page;  // the page that links it first; "" for the base page
  int status = 0;    // HTTP status; 0 when none came
  std::string reason;
};

struct ScanReport {
  // The base page or folder the site was taken from: the one asked for, or
  // where a base page that moved now is.
  std::string base;
  std::vector<BrokenLink> broken;
  // Per page address: its Last-Modified, where the server sent one.
  std::unordered_map<std::string, std::int64_t> modified;
  int pages_read = 0;
  int pages_unchanged = 0;  // taken over from CrawlSettings::kept unread
  // What this scan keeps for the next: the pages read or taken over whose
  // version is known.
  KeptPages kept;
  // Per page address, where it has any: what CrawlSettings::sitemap_extras
  // asked for.
  web::PageExtrasMap extras;

  void KeepExtras(const std::string& address, std::optional<web::PageExtras> found) {
    if (found && !found->empty()) extras[address] = std::move(*found);
  }
};

}  // namespace vellum::scan
