// Update from the site: the site is scanned again as the project's last scan
// scanned it, asking each page whether it changed since (pages that did not
// are taken over from that scan unread), and the new scan is merged into the
// tree the user edited since (merge.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/progress.h"
#include "project/last_scan.h"
#include "scan/crawl.h"
#include "update/merge.h"
#include "vellum/vellum.h"

namespace vellum::update {

// Makes the scan that params and flags asked for, which built tree and
// reported report, the project's last scan (its base, its pages' times,
// its tree and what it kept of its pages). Takes report's times and kept
// pages.
void KeepScan(const SiteMapParams& params, uint32_t flags, const MapItemList& tree,
              scan::ScanReport& report);

struct UpdateChoice {
  // Nothing changes: the changes tell what an update would do.
  bool dry_run = false;
  // A page of a web site that the site's XML maps list with a lastmod no
  // later than the last scan's (site_map_dates.h) is taken over from that
  // scan without a request.
  bool trust_site_map = false;
};

// All the project keeps of its last scan: the record an update starts
// from, and the base and page times the scan gave the site settings.
struct KeptScan {
  std::string scan_base;
  std::unordered_map<std::string, std::int64_t> modified;
  web::PageExtrasMap extras;
  project::LastScan last_scan;
};

// A copy of the open project's kept scan.
KeptScan CopyKeptScan();
// Exchanges the open project's kept scan with other.
void SwapKeptScan(KeptScan& other);

// Scans the site of the project's last scan again (leaving out the page
// excluded, the site map's own) and merges the result into tree. With
// choice.dry_run, tree and the project stay as they were and changes tells
// what would change. Else tree becomes the merged tree, and the new scan becomes
// the project's last scan. Returns 1; 0, with tree and the project as they
// were, when the project has no scan to update from, the scan cannot start
// or progress stopped it. The scan's broken links and counts go to report.
int UpdateFromSite(const char* excluded, MapItemList& tree, const UpdateChoice& choice,
                   core::Progress& progress, scan::ScanReport& report,
                   std::vector<Change>& changes);

}  // namespace vellum::update
