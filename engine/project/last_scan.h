// The last scan of the project's site, kept so that an update from the site
// can merge a new scan into the tree the user edited since (this tree is
// the base of that merge) and take over the pages that did not change.
// Stored in the project file's VellumScan section once a scan ran.
#pragma once

#include <cstdint>
#include <string>

#include "core/flat_tree.h"
#include "scan/kept_pages.h"

namespace vellum::project {

struct LastScan {
  int32_t mode = -1;   // the scan's SiteMapSettings.Mode; -1: none kept
  uint32_t flags = 0;  // its ScanFlags
  std::string base;    // its base page or folder, as it was asked for
  core::Tree tree;     // the tree it built
  scan::KeptPages pages;

  bool Kept() const { return mode >= 0; }
};

}  // namespace vellum::project
