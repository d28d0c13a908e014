// The table with one column per tree level.
#include <algorithm>
#include <vector>

#include "generate/bodies.h"
#include "generate/tree_walk.h"

namespace vellum::generate {

int LevelColumns(const MapItemList& root) { return std::min(MaxDepth(root), kMaxIndentLevel); }

// The table has a column per level down to kMaxIndentLevel: deeper items
// go into the last column, each in a row of its own below its parent, so
// that a tree as deep as a crawler trap gives does not make a page that
// grows with the square of its depth.
bool WalkLevelRows(const MapItemList& root, LevelCells& cells) {
  struct Rows : TreeVisitor {
    LevelCells& cells;
    int depth;
    std::vector<int> extra_rows;  // per item, in walk order
    std::size_t next = 0;

    bool Item(const MapItem& item, int index, int level) {
      // The first item of a list goes on in the row that is open: the
      // table's first one, or its parent's, unless the parent's row is
      // closed in the last column.
      const int last_column = depth - 1;
      if (index > 0 || level > last_column) cells.StartRow();
      const int extra = extra_rows[next++];
      if (!cells.Cell(item, extra > 0 && level < last_column ? extra + 1 : 0)) return false;
      // A branch leaves the row to its descendants; a leaf above the last
      // level fills the columns to the right.
      if (level < last_column && item.Children.Count > 0) return true;
      for (int column = level + 1; column < depth; ++column) cells.EmptyCell();
      cells.EndRow();
      return true;
    }
  } rows{{}, cells, LevelColumns(root), CountExtraRows(root, LevelColumns(root) - 1)};
  return WalkTree(root, rows);
}

bool LevelTable(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  struct Cells : LevelCells {
    HtmlWriter& out;
    const Generation& generation;
    Font font;
    Cells(HtmlWriter& out, const Generation& generation)
        : out(out), generation(generation), font(generation.font()) {}

    void StartRow() override { out.Write("<TR VALIGN=\"TOP\">\n"); }
    bool Cell(const MapItem& item, int rowspan) override {
      out.Write("<TD");
      if (rowspan > 0) {
        out.Write(" ROWSPAN=\"");
        out.WriteNumber(rowspan);
        out.Write("\"");
      }
      out.Write(">\n");
      out.OpenFont(1, font);
      if (!out.WriteIndent(1)) return false;
      out.WriteLink(item.Name, item.URL, generation.base_path, generation.relative_links(), nullptr,
                    true);
      out.CloseFont(1, font);
      out.Write("</TD>\n");
      return true;
    }
    void EmptyCell() override { out.Write("<TD>\n\t&nbsp;\n</TD>\n"); }
    void EndRow() override { out.Write("</TR>\n"); }
  } cells(out, generation);

  out.Write("<TABLE BORDER=");
  out.WriteNumber(generation.settings.TableBorder);
  out.Write(" CELLPADDING=0 CELLSPACING=0>\n<TR VALIGN=\"TOP\">\n");
  if (!WalkLevelRows(root, cells)) return false;
  out.Write("</TABLE>\n");
  return true;
}

}  // namespace vellum::generate
