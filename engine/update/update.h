// Update from the site: the site is scanned again as the project's last scan
// scanned it, asking each page whether it changed since (pages that did not
// are taken over from that scan unread), and the new scan is merged into the
// tree the user edited since (merge.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/progress.h"
#include "scan/crawl.h"
#include "update/merge.h"
#include "vellum/vellum.h"

namespace vellum::update {

// The key a page is known by in a merge: its address in normal form, a
// folder and its index page one.
std::string AddressKey(std::string_view url);

// Makes the scan that params and flags asked for, which built tree and
// reported report, the project's last scan (its base, its pages' times,
// its tree and what it kept of its pages). Takes report's times and kept
// pages.
void KeepScan(const SiteMapParams& params, uint32_t flags, const MapItemList& tree,
              scan::ScanReport& report);

// Scans the site of the project's last scan again (leaving out the page
// excluded, the site map's own) and merges the result into tree. With
// dry_run, tree and the project stay as they were and changes tells what
// would change. Else tree becomes the merged tree, and the new scan becomes
// the project's last scan. Returns 1; 0, with tree and the project as they
// were, when the project has no scan to update from, the scan cannot start
// or progress stopped it. The scan's broken links and counts go to report.
int UpdateFromSite(const char* excluded, MapItemList& tree, bool dry_run, core::Progress& progress,
                   scan::ScanReport& report, std::vector<Change>& changes);

}  // namespace vellum::update
