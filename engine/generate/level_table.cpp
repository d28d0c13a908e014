// The table with one column per tree level.
#include <vector>

#include "generate/bodies.h"
#include "generate/tree_walk.h"

namespace vellum::generate {

bool LevelTable(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  struct Rows : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    Font font;
    int depth;
    std::vector<int> extra_rows;  // per item, in walk order
    std::size_t next = 0;

    bool Item(const MapItem& item, int index, int level) {
      // The first item of a list goes on in the row that is open: the
      // table's first one, or its parent's.
      if (index > 0) out.Write("<TR VALIGN=\"TOP\">\n");
      out.Write("<TD");
      if (const int extra = extra_rows[next++]; extra > 0) {
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
      const bool last_level = level == depth - 1;
      if (!last_level && item.Children.Count > 0) return true;
      for (int column = level + 1; column < depth; ++column) out.Write("<TD>\n\t&nbsp;\n</TD>\n");
      out.Write("</TR>\n");
      return true;
    }
  } rows{{}, out, generation, generation.font(), MaxDepth(root), CountExtraRows(root)};

  out.Write("<TABLE BORDER=");
  out.WriteNumber(generation.settings.TableBorder);
  out.Write(" CELLPADDING=0 CELLSPACING=0>\n<TR VALIGN=\"TOP\">\n");
  if (!WalkTree(root, rows)) return false;
  out.Write("</TABLE>\n");
  return true;
}

}  // namespace vellum::generate
