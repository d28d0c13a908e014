// The scan behind the Layout Wizard: fills a site map tree from a site, by
// following the links of its pages from a base page (navigation), or by the
// folders and page files below a folder (folder structure), or from a
// project's source. Each page's link name is its TITLE, or its META
// description when the flags ask for it.
#pragma once

#include <string>
#include <vector>

#include "core/progress.h"
#include "scan/crawl.h"
#include "vellum/vellum.h"

namespace vellum::scan {

// The LinkFlags that ScanFlags (VELLUM_SCAN_...) stand for.
unsigned LinkFlagsFor(unsigned scan_flags);

// Fills tree, which the caller has emptied, as params and scan_flags ask,
// then sorts every level as settings ask. Returns 1, or 0 when the base
// page cannot be read or the base is unusable (the tree then stays empty);
// that failure is reported through the error callback, as are the others.
// Each page is announced to progress before it is read; when progress says
// stop, no further page is read and the tree holds a part of the site, or
// nothing, for the caller to throw away. What failed and what the pages'
// times are goes into report.
int ScanSite(const SiteMapParams& params, MapItemList& tree, unsigned scan_flags,
             const CrawlSettings& settings, core::Progress& progress, ScanReport& report);

// The pages that page links lead to from start, the start page first, in
// the order they were met, their "?" and "#" parts cut: the crawl of a scan,
// with its limits, rules and progress, that keeps addresses only (pages on
// disk as file paths). False when start cannot be read (reported as
// start_report asks) or progress said stop.
bool ListLinkedPages(const char* start, int start_report, const CrawlSettings& settings,
                     core::Progress& progress, std::vector<std::string>& pages);

}  // namespace vellum::scan
