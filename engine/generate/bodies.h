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

// Every item as a picture and a link; the children of a branch below it,
// indented by a table with an empty first cell.
bool IconTree(HtmlWriter& out, const Generation& generation, const MapItemList& root);

// The script block that the expandable tree puts into the page head: the
// style of its classes (in the font size of the settings), the picture
// folder and the choice of tree0.js or tree4.js.
bool WriteScriptTreeHead(HtmlWriter& out, const Generation& generation);

// The expandable tree: a flat run of DIVs between two markers, a heading
// with a toggle for each branch and a group for each run of leaves, that
// the scripts beside the page open and close.
bool ScriptTree(HtmlWriter& out, const Generation& generation, const MapItemList& root);

// The alphabetical index of generation.index_entries, grouped under the
// pictures of the index scheme that take their names' first characters,
// with letter bars of jump links when asked for. Fills generation.letters
// with the pictures that head a group.
bool IndexPage(HtmlWriter& out, Generation& generation);

// True when a letter picture of scheme (not the other picture) takes the
// names that begin with c, a character widened as a signed char.
bool SchemeHasLetter(const ImageScheme& scheme, int c);

// A drop-down list of every linked item, indented by level, that opens the
// chosen page.
void NavCombo(HtmlWriter& out, const Generation& generation, const MapItemList& root);

}  // namespace vellum::generate
