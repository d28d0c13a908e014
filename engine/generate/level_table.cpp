// The table with one column per tree level.
#include <algorithm>
#include <vector>

#include "generate/bodies.h"
#include "generate/tree_walk.h"

namespace vellum::generate {

// The table has a column per level down to kMaxIndentLevel: deeper items
// go into the last column, each in a row of its own below its parent, so
// that a tree as deep as a crawler trap gives does not make a page that
// grows with the square of its depth.
bool LevelTable(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  const int depth = std::min(MaxDepth(root), kMaxIndentLevel);
  struct Rows : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    Font font;
    int depth;
    std::vector<int> extra_rows;  // per item, in walk order
    std::size_t next = 0;

    bool Item(const MapItem& item, int index, int level) {
      // The first item of a list goes on in the row that is open: the
      // table's first one, or its parent's, unless the parent's row is
      // closed in the last column.
      const int last_column = depth - 1;
      if (index > 0 || level > last_column) out.Write("<TR VALIGN=\"TOP\">\n");
      out.Write("<TD");
      if (const int extra = extra_rows[next++]; extra > 0 && level < last_column) {
        out.Write(" ROWSPAN=\"");
        out.WriteNumber(extra + 1);
        out.Write("\"");
      }
      out.Write(">\n");
      out.OpenFont(1, font);
      if (!out.WriteIndent(1)) return false;
      out.WriteLink(item.Name, item.URL, generation.base_path, generation.relative_links(), nullptr,
                    true);
      out.CloseFont(1, font);
      out.Write("</TD>\n");
      // A branch leaves the row to its descendants; a leaf above the last
      // level fills the columns to the right.
      if (level < last_column && item.Children.Count > 0) return true;
      for (int column = level + 1; column < depth; ++column) out.Write("<TD>\n\t&nbsp;\n</TD>\n");
      out.Write("</TR>\n");
      return true;
    }
  } rows{{}, out, generation, generation.font(), depth, CountExtraRows(root, depth - 1)};

  out.Write("<TABLE BORDER=");
  out.WriteNumber(generation.settings.TableBorder);
  out.Write(" CELLPADDING=0 CELLSPACING=0>\n<TR VALIGN=\"TOP\">\n");
  if (!WalkTree(root, rows)) return false;
  out.Write("</TABLE>\n");
  return true;
}

}  // namespace vellum::generate
