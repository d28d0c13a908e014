// The drop-down navigation list.
#include <algorithm>

#include "generate/bodies.h"
#include "generate/tree_walk.h"

namespace vellum::generate {

void NavCombo(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  const Font font = generation.font();
  out.OpenFont(0, font);
  out.Write(
      "<FORM>\n<SELECT NAME=\"NavList\" ONCHANGE=\"onSelect(this)\" "
      "STYLE=\"background-color:White; "
      "color:#003164; font-family:Verdana,Arial,Helvetica; font-size:x-small;\">\n"
      "<OPTION VALUE=\"#\" SELECTED>");
  if (generation.settings.ComboTitle != nullptr) out.Write(generation.settings.ComboTitle);
  out.Write("</OPTION>\n<OPTION VALUE=\"#\">---------------</OPTION>\n");

  // Items without URL give no option; their children still do, one level
  // deeper.
  struct Options : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    bool Item(const MapItem& item, int /*index*/, int level) {
      if (item.URL == nullptr) return true;
      out.Write("<OPTION VALUE=\"");
      out.WriteLinkTarget(generation.relative_links(), item.URL, generation.base_path);
      out.Write("\">");
      for (int i = 0; i < std::min(level, kMaxIndentLevel); ++i) out.Write("&nbsp;&nbsp;&nbsp;");
      if (item.Name != nullptr) out.Write(item.Name);
      out.Write("</OPTION>\n");
      return true;
    }
  } options{{}, out, generation};
  WalkTree(root, options);

  out.Write("</SELECT>\n</FORM>\n");
  out.CloseFont(0, font);
}

}  // namespace vellum::generate
