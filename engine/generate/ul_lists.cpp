// The nested UL list and the list split into a page per branch.
#include <algorithm>
#include <string_view>

#include "core/messages.h"
#include "generate/bodies.h"
#include "generate/output_files.h"
#include "generate/tree_walk.h"

namespace vellum::generate {
namespace {

std::string_view ListOpening(int bullet_type) {
  switch (bullet_type) {
    case 0:
      return "<UL CLASS=\"UL0\" TYPE=\"circle\">\n";
    case 1:
      return "<UL CLASS=\"UL0\" TYPE=\"disc\">\n";
    case 2:
      return "<UL CLASS=\"UL0\" TYPE=\"square\">\n";
    default:
      return "<UL CLASS=\"UL0\" STYLE=\"list-style-type:none\">\n";
  }
}

// The line of an item in a list; an item without URL has none.
void WriteListItem(HtmlWriter& out, const Generation& generation, const MapItem& item) {
  if (item.URL == nullptr) return;
  out.Write("<LI>");
  out.WriteLink(item.Name, item.URL, generation.base_path, generation.relative_links(), nullptr,
                true);
}

void WriteTrail(HtmlWriter& out, const Generation& generation, int level) {
  const char* separator = generation.settings.CrumbSeparator;
  for (int i = 0; i <= level; ++i) {
    const Crumb& crumb = generation.crumbs[i];
    if (crumb.target) {
      out.Write("<A HREF=\"");
      out.WriteLinkTarget(crumb.relative && generation.relative_links(), *crumb.target,
                          generation.base_path);
      out.Write("\">");
      out.Write(crumb.text);
      out.Write("</A>");
    } else {
      out.Write(crumb.text);
    }
    if (i < level) {
      out.Write("&nbsp;");
      if (separator != nullptr) out.Write(separator);
      out.Write("&nbsp;");
    }
  }
}

// The number of items below the branches of list, which the pages of the
// last level leave out.
int ItemsBelowBranches(const MapItemList& list) {
  struct Counter : TreeVisitor {
    int items = 0;
    bool Item(const MapItem& /*item*/, int /*index*/, int /*level*/) {
      ++items;
      return true;
    }
  } counter;
  for (int i = 0; i < list.Count; ++i) WalkTree(list.Items[i].Children, counter);
  return counter.items;
}

}  // namespace

bool HasPage(const MapItem& item, int level) {
  return HasChildren(item) && level + 1 < kMaxPageLevels;
}

void ReportPageLimit(const MapItemList& list, int level, const std::string& page_path) {
  if (level + 1 != kMaxPageLevels) return;
  if (const int left_out = ItemsBelowBranches(list); left_out > 0) {
    core::ReportInfo(core::FormatText("   '%s' - the pages stop at %d levels: %d %s below it "
                                      "left out\n",
                                      PageFileOf(page_path).c_str(), kMaxPageLevels, left_out,
                                      left_out == 1 ? "item" : "items")
                         .c_str());
  }
}

void LinkTrailHere(Generation& generation, int level, const std::string& page_path) {
  generation.crumbs[level].target = page_path;
  generation.crumbs[level].relative = false;
}

void WriteBranchPages(Generation& generation, const MapItemList& list, int level,
                      const BranchLinkWriter& link) {
  const SiteMapSettings& settings = generation.settings;
  const char* output_file = settings.OutputFile != nullptr ? settings.OutputFile : "";
  for (int i = 0; i < list.Count && !generation.files->failed(); ++i) {
    const MapItem& item = list.Items[i];
    if (!HasPage(item, level)) continue;
    const std::string page = NumberedPageName(output_file, ++generation.page_counter);
    const bool counted = generation.Has(VELLUM_GEN_CHILD_COUNTS);
    const std::string count = counted ? core::FormatText("(%i)", item.Children.Count) : "";
    link(item, page, counted ? count.c_str() : nullptr);
    // The last step of the branch page's trail is the page its item names.
    Crumb& crumb = generation.crumbs[level + 1];
    crumb.text = item.Name != nullptr ? item.Name : "";
    crumb.target.reset();
    if (item.URL != nullptr) crumb.target = item.URL;
    crumb.relative = true;
    WritePage(generation, item.Children, page, level + 1);
  }
}

bool UlList(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  struct Lists : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    Font font;

    bool EnterList(const MapItemList& list, int level) {
      if (list.Count <= 0) return true;
      if (!out.WriteIndent(level)) return false;
      const SiteMapSettings& settings = generation.settings;
      out.Write(ListOpening(level == 0 ? settings.TopListType : settings.SubListType));
      out.OpenFont(level + 1, font);
      return true;
    }
    bool Item(const MapItem& item, int /*index*/, int level) {
      if (!out.WriteIndent(level + 1)) return false;
      WriteListItem(out, generation, item);
      return true;
    }
    bool LeaveList(const MapItemList& list, int level) {
      if (list.Count <= 0) return true;
      out.CloseFont(level + 1, font);
      return out.WriteIndent(level) && out.WriteChecked("</UL>\n");
    }
  } lists{{}, out, generation, generation.font()};
  return WalkTree(root, lists);
}

bool PagedUlList(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
                 const std::string& page_path) {
  const MapItem* begin = list.Items;
  const MapItem* end = begin + std::max(list.Count, 0);
  auto has_page = [level](const MapItem& item) { return HasPage(item, level); };
  const bool has_branches = std::any_of(begin, end, has_page);
  const bool has_leaves = !std::all_of(begin, end, has_page);
  const Font font = generation.font();
  ReportPageLimit(list, level, page_path);

  out.OpenFont(0, font);
  if (level >= 1 && generation.Has(VELLUM_GEN_BREADCRUMBS)) {
    WriteTrail(out, generation, level);
    LinkTrailHere(generation, level, page_path);
    if (has_branches) out.Write("<BR>&nbsp;<BR>\n<HR SIZE=0>\n");
  }
  if (has_branches) {
    if (!out.WriteChecked(
            "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD NOWRAP WIDTH=20></TD><TD>\n")) {
      return false;
    }
    WriteBranchPages(generation, list, level,
                     [&](const MapItem& item, const std::string& page, const char* count) {
                       out.WriteLink(item.Name, page.c_str(), generation.base_path,
                                     generation.relative_links(), count, true);
                     });
    if (!out.WriteChecked("</TD></TR></TABLE>\n")) return false;
  }
  if (has_leaves) {
    if (!out.WriteChecked("<BR>\n<HR SIZE=0>\n")) return false;
    out.Write(ListOpening(0));
    for (const MapItem* item = begin; item != end; ++item) {
      if (!has_page(*item)) WriteListItem(out, generation, *item);
    }
    if (!out.WriteChecked("</UL>\n")) return false;
  }
  out.CloseFont(0, font);
  return true;
}

}  // namespace vellum::generate
