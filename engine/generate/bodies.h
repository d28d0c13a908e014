// The bodies of the site map page, one per output type, each written between
// the BODY tag and the page end. A body returns false when a checked write
// failed (already reported); the page then ends unfinished.
#pragma once

#include <string>

#include "generate/html_writer.h"
#include "generate/page_writer.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Nested UL lists, one per non-empty list of the tree.
bool UlList(HtmlWriter& out, const Generation& generation, const MapItemList& root);

// The list of one page level: links to a page of its own for each branch
// (written on the way, numbered in the order written), then the leaves as a
// list. Branch pages (level 1 and deeper) start with the trail of their
// parent pages when asked for. page_path is the path the page was written
// under.
bool PagedUlList(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
                 const std::string& page_path);

// A table with one column per tree level; a branch's cell spans the rows of
// its subtree.
bool LevelTable(HtmlWriter& out, const Generation& generation, const MapItemList& root);

// A drop-down list of every linked item, indented by level, that opens the
// chosen page.
void NavCombo(HtmlWriter& out, const Generation& generation, const MapItemList& root);

}  // namespace vellum::generate
