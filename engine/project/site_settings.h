// What a project keeps about its site beyond the records of the public
// header: the limits and filters of its scans, the order of its tree, the
// public address of a site scanned from disk, and what the last scan learnt
// of each page's time. Stored in the project file's VellumSite section when
// any setting differs from its default or a scan ran (its base tells the XML
// site map which pages are the site's). So projects that use none of it keep
// their files byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "project/last_scan.h"
#include "scan/crawl.h"
#include "vellum/vellum.h"
#include "web/links.h"

namespace vellum::project {

struct SiteSettings {
  int32_t page_limit = 0;      // pages a scan reads at most; 0: the scan's default
  int32_t depth_limit = 0;     // links followed from the base page at most; 0: any
  std::string include;         // address patterns a page must match ("" : every page)
  std::string exclude;         // address patterns no page may match
  int32_t order = 0;           // VELLUM_ORDER_
  std::string site_url;        // the public address of a site scanned from disk
  std::string scan_base;       // the base page or folder of the last scan
  int32_t sitemap_extras = 0;  // VELLUM_SITEMAP_
  // Per address of the last scan: its modification time, in seconds since
  // 1970 (UTC), where the scan learnt one.
  std::unordered_map<std::string, int64_t> modified;
  // Per address of the last scan: what it found for the XML site map's
  // extras (those sitemap_extras asked for then), where it found any.
  web::PageExtrasMap extras;
  LastScan last_scan;

  // Whether any setting differs from its default (the record of the last
  // scan left aside).
  bool HasSettings() const;
  // Whether it holds nothing at all, the record of the last scan included.
  bool IsDefault() const {
    return !HasSettings() && scan_base.empty() && modified.empty() && extras.empty() &&
           !last_scan.Kept();
  }
};

// The settings of the open project; reset when the project is closed.
SiteSettings& TheSiteSettings();

// Every VELLUM_SITEMAP_ flag.
inline constexpr int32_t kSitemapExtras = VELLUM_SITEMAP_IMAGES | VELLUM_SITEMAP_ALTERNATES;

// How the project's site map pages are written: their markup and language.
// Stored in the project file's VellumPage section only when one differs from
// its default, so that other projects keep their files byte for byte.
struct PageSettings {
  int32_t markup = VELLUM_MARKUP_CLASSIC;  // VELLUM_MARKUP_
  std::string lang;                        // a language tag; "" : "en"

  bool IsDefault() const { return markup == VELLUM_MARKUP_CLASSIC && lang.empty(); }
  // The language the pages declare.
  std::string_view Language() const {
    return lang.empty() ? std::string_view("en") : std::string_view(lang);
  }
};

// The page settings of the open project; reset when the project is closed.
PageSettings& ThePageSettings();

// Whether value is one of the VELLUM_MARKUP_ values.
bool IsMarkup(int32_t value);

// How this process crawls, whatever the project: connections, time limit,
// pause, robots.txt.
VellumScanOptions& TheScanOptions();

// The crawl of a scan: the open project's site settings and the process's
// scan options, defaults where they are zero.
scan::CrawlSettings CrawlSettingsNow();

}  // namespace vellum::project
