// The bodies of the site map page, one per output type, each written between
// the BODY tag and the page end. A body returns false when a checked write
// failed (already reported); the page then ends unfinished.
#pragma once

#include <functional>
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

// True for an item that gets a page of its own below a page at level: a
// branch above the last page level.
bool HasPage(const MapItem& item, int level);

// On the pages of the last level: reports how many items below the
// branches of list the page at page_path leaves out, when it leaves any.
void ReportPageLimit(const MapItemList& list, int level, const std::string& page_path);

// Deeper pages' trails link back to the page at page_path, of level.
void LinkTrailHere(Generation& generation, int level, const std::string& page_path);

// Writes the link to a branch page: the item, the page's path, and its
// "(n)" count of children when asked for (else null).
using BranchLinkWriter =
    std::function<void(const MapItem& item, const std::string& page, const char* count)>;

// For each branch of list that gets a page of its own (in list order, until
// a page fails): link writes the link to it, then its page is written,
// numbered in the order written, its trail ending in the branch's item.
void WriteBranchPages(Generation& generation, const MapItemList& list, int level,
                      const BranchLinkWriter& link);

// A table with one column per tree level; a branch's cell spans the rows of
// its subtree.
bool LevelTable(HtmlWriter& out, const Generation& generation, const MapItemList& root);

// The rows of the level table, as cells: a row per item that starts one;
// a branch's cell spans the rows of its subtree (rowspan, 0 for one row),
// a leaf above the last column is followed by empty cells to the right.
// The first row is open before the first cell. False when Cell was.
struct LevelCells {
  virtual ~LevelCells() = default;
  virtual void StartRow() = 0;
  virtual bool Cell(const MapItem& item, int rowspan) = 0;
  virtual void EmptyCell() = 0;
  virtual void EndRow() = 0;
};
bool WalkLevelRows(const MapItemList& root, LevelCells& cells);

// The number of columns of the level table of root.
int LevelColumns(const MapItemList& root);

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

// Fills generation.letters with the pictures of the scheme that head a
// group of generation.index_entries, in scheme order (at most 255).
void ChooseLetters(Generation& generation);

// The groups of the index page: each picture of the scheme that takes the
// first character of any entry heads a group of every entry it takes (a
// name may be in several); without an other picture, the entries that no
// letter takes follow as the rest.
struct IndexVisitor {
  virtual ~IndexVisitor() = default;
  virtual void Group(const SchemePicture& picture) = 0;  // a group starts
  virtual void Rest() = 0;                               // the rest starts
  virtual void Entry(const IndexEntry& entry) = 0;
  virtual void EndGroup() = 0;  // after a group's or the rest's last entry
};
void WalkIndex(const Generation& generation, IndexVisitor& visitor);

// True when a letter picture of scheme (not the other picture) takes the
// names that begin with c, a character widened as a signed char.
bool SchemeHasLetter(const ImageScheme& scheme, int c);

// A drop-down list of every linked item, indented by level, that opens the
// chosen page.
void NavCombo(HtmlWriter& out, const Generation& generation, const MapItemList& root);

}  // namespace vellum::generate
