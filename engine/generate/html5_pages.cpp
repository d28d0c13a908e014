#include "generate/html5_pages.h"

#include <algorithm>
#include <string_view>

#include "generate/bodies.h"
#include "generate/image_scheme.h"
#include "generate/tree_walk.h"

namespace vellum::generate {
namespace {

bool NonEmpty(const char* text) { return text != nullptr && *text != '\0'; }

// Six hexadecimal digits: a colour the settings may give. Anything else
// (from a project file that may be someone else's) never reaches the style.
bool IsColor(const char* text) {
  if (text == nullptr || std::string_view(text).size() != 6) return false;
  return std::all_of(text, text + 6, [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  });
}

// text inside a quoted attribute: markup characters as references.
void WriteAttributeText(HtmlWriter& out, std::string_view text) {
  for (std::size_t at; (at = text.find_first_of("&<>\"")) != std::string_view::npos;) {
    out.Write(text.substr(0, at));
    out.Write(text[at] == '&'   ? "&amp;"
              : text[at] == '<' ? "&lt;"
              : text[at] == '>' ? "&gt;"
                                : "&quot;");
    text.remove_prefix(at + 1);
  }
  out.Write(text);
}

// The name of the navigation region, and of the tree and table in it.
std::string_view MapLabel(const SiteMapSettings& settings) {
  return NonEmpty(settings.Title) ? std::string_view(settings.Title) : "Site map";
}

// The colours the project sets for its pages; none: the reader's scheme.
bool SetsColors(const Generation& generation) {
  const SiteMapSettings& settings = generation.settings;
  return NonEmpty(settings.BgColor) || NonEmpty(settings.BackgroundImage) ||
         generation.Has(VELLUM_GEN_USE_FONT_COLOR) || generation.Has(VELLUM_GEN_USE_LINK_COLOR) ||
         generation.Has(VELLUM_GEN_USE_VISITED_COLOR);
}

void WriteColor(HtmlWriter& out, std::string_view property, const char* color) {
  if (!IsColor(color)) return;
  out.Write(property);
  out.Write(":#");
  out.Write(color);
  out.Write(";");
}

// A picture's address inside a CSS url("..."): whatever the name holds, it
// stays inside its quotes and the style element.
void WriteCssAddress(HtmlWriter& out, std::string_view address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '\\' || c == '<' || c == '>' || c == '%') {
      const char escaped[] = {'%', kHex[byte >> 4], kHex[byte & 15]};
      out.Write(std::string_view(escaped, 3));
    } else {
      out.Write(std::string_view(&c, 1));
    }
  }
}

std::string_view ListStyle(int bullet_type) {
  static constexpr std::string_view kTypes[] = {"circle", "disc", "square"};
  return bullet_type >= 0 && bullet_type < 3 ? kTypes[bullet_type] : "none";
}

// A page without colours of its own: the reader's light or dark scheme, with
// link colours that keep their contrast on the dark one.
constexpr std::string_view kReadersScheme =
    ":root{color-scheme:light dark}\nbody{background-color:Canvas;color:CanvasText}\n"
    "@media (prefers-color-scheme:dark){a:link{color:#8AB4F8}a:visited{color:#C58AF9}}\n";
constexpr std::string_view kTreeStyle =
    ".vm-tree,.vm-tree ul{list-style:none;margin:0;padding:0}\n"
    ".vm-tree ul{padding-left:1.25em}\n"
    ".vm-tree li{margin:.15em 0}\n"
    ".vm-tree img{vertical-align:middle;margin-right:.3em}\n"
    ".vm-twisty{display:inline-block;width:1.25em;cursor:pointer;user-select:none}\n"
    ".vm-all button{font:inherit;margin:0 .5em .5em 0}\n";
constexpr std::string_view kLetterStyle =
    ".vm-letters{list-style:none;margin:.5em 0;padding:0;display:flex;flex-wrap:wrap;"
    "gap:.25em .5em}\n"
    ".vm-map h2{font-size:1em;margin:1em 0 .25em}\n";
constexpr std::string_view kTableStyle =
    ".vm-scroll{overflow-x:auto}\n"
    ".vm-levels{border-collapse:collapse}\n"
    ".vm-levels th{text-align:left}\n";
constexpr std::string_view kComboStyle =
    ".vm-combo label{display:block;margin-bottom:.25em}\n"
    ".vm-combo select,.vm-combo button{font:inherit;max-width:100%;margin:0 .5em .5em 0}\n";

bool WriteStyle(HtmlWriter& out, const Generation& generation) {
  const SiteMapSettings& settings = generation.settings;
  out.Write("<style>\n");
  if (!SetsColors(generation)) out.Write(kReadersScheme);
  out.Write("body{margin:1em;line-height:1.5;overflow-wrap:anywhere;");
  WriteColor(out, "background-color", settings.BgColor);
  if (NonEmpty(settings.BackgroundImage)) {
    out.Write("background-image:url(\"");
    if (NonEmpty(settings.ImageFolder)) {
      WriteCssAddress(out, settings.ImageFolder);
      out.Write("/");
    }
    WriteCssAddress(out, settings.BackgroundImage);
    out.Write("\");");
  }
  if (generation.Has(VELLUM_GEN_USE_FONT_COLOR)) WriteColor(out, "color", settings.FontColor);
  out.Write("}\n");
  if (generation.Has(VELLUM_GEN_USE_LINK_COLOR)) {
    out.Write("a:link{");
    WriteColor(out, "color", settings.LinkColor);
    out.Write("}\n");
  }
  if (generation.Has(VELLUM_GEN_USE_VISITED_COLOR)) {
    out.Write("a:visited{");
    WriteColor(out, "color", settings.VisitedColor);
    out.Write("}\n");
  }
  out.Write(".vm-map{font-family:Verdana,Arial,Helvetica,sans-serif;");
  if (generation.Has(VELLUM_GEN_USE_FONT_SIZE)) {
    static constexpr std::string_view kSizes[] = {"x-small", "small",    "medium",   "large",
                                                  "x-large", "xx-large", "xxx-large"};
    out.Write("font-size:");
    out.Write(kSizes[std::clamp<int>(settings.FontSize, 0, 6)]);
    out.Write(";");
  }
  if (settings.FontStyle == 1 || settings.FontStyle == 3) out.Write("font-weight:bold;");
  if (settings.FontStyle == 2 || settings.FontStyle == 3) out.Write("font-style:italic;");
  out.Write("}\n.vm-list{list-style-type:");
  out.Write(ListStyle(settings.TopListType));
  out.Write("}\n.vm-list ul{list-style-type:");
  out.Write(ListStyle(settings.SubListType));
  out.Write("}\n.vm-trail{margin:0 0 1em}\n");
  switch (settings.OutputType) {
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE:
      out.Write(kTreeStyle);
      break;
    case VELLUM_OUTPUT_INDEX_PAGE:
      out.Write(kLetterStyle);
      break;
    case VELLUM_OUTPUT_LEVEL_TABLE:
      out.Write(kTableStyle);
      out.Write(".vm-levels td,.vm-levels th{vertical-align:top;padding:.25em .5em;border:");
      out.WriteNumber(std::clamp(settings.TableBorder, 0, 99));
      out.Write("px solid}\n");
      break;
    case VELLUM_OUTPUT_NAV_COMBO:
      out.Write(kComboStyle);
      break;
    default:
      break;
  }
  return out.WriteChecked("</style>\n");
}

bool WriteHead(HtmlWriter& out, const Generation& generation) {
  const SiteMapSettings& settings = generation.settings;
  if (!out.WriteChecked("<!DOCTYPE html>\n<html lang=\"") || !out.WriteChecked(generation.lang) ||
      !out.WriteChecked("\">\n<head>\n<meta charset=\"utf-8\">\n"
                        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                        "<title>") ||
      !out.WriteChecked(MapLabel(settings)) ||
      !out.WriteChecked("</title>\n<meta name=\"generator\" content=\"Vellumark 1.2\">\n")) {
    return false;
  }
  if (NonEmpty(settings.HeadTags) &&
      !(out.WriteChecked(settings.HeadTags) && out.WriteChecked("\n"))) {
    return false;
  }
  return WriteStyle(out, generation) && out.WriteChecked("</head>\n");
}

// A link to url named text; an empty name shows the address. Without url,
// the name alone in a span (a tree's entry) or as it stands.
void WriteLink(HtmlWriter& out, const Generation& generation, const char* text, const char* url,
               bool span = false, const char* suffix = nullptr) {
  if (url == nullptr) {
    if (span) out.Write("<span>");
    if (text != nullptr) out.Write(text);
    if (span) out.Write("</span>");
    return;
  }
  out.Write("<a href=\"");
  out.WriteLinkTarget(generation.relative_links(), url, generation.base_path);
  out.Write("\">");
  if (NonEmpty(text)) {
    out.Write(text);
  } else {
    WriteAttributeText(out, RelativeLink(generation.relative_links(), url, generation.base_path));
  }
  if (suffix != nullptr) {
    out.Write(" ");
    out.Write(suffix);
  }
  out.Write("</a>");
}

// Whether an item shows in a list: one without address, name or children
// has nothing to show.
bool Shows(const MapItem& item) {
  return item.URL != nullptr || NonEmpty(item.Name) || HasChildren(item);
}

// The pictures of the trees, by position in a tree scheme.
constexpr int kLeafPicture = 0;
constexpr int kIconBranchPicture = 1;
constexpr int kScriptBranchPicture = 2;

void WritePicture(HtmlWriter& out, const Generation& generation, const SchemePicture* picture,
                  const char* alt) {
  out.Write("<img src=\"");
  if (NonEmpty(generation.settings.ImageFolder)) {
    out.Write(generation.settings.ImageFolder);
    out.Write("/");
  }
  out.Write(picture->File);
  out.Write("\"");
  if (picture->Width > 0 && picture->Height > 0) {
    out.Write(" width=\"");
    out.WriteNumber(picture->Width);
    out.Write("\" height=\"");
    out.WriteNumber(picture->Height);
    out.Write("\"");
  }
  out.Write(" alt=\"");
  WriteAttributeText(out, alt);
  out.Write("\">");
}

// The nested lists of the UL list and of the two trees: a list item per
// item, its children's list inside it. A tree's entries show a picture of
// the scheme before their name.
bool NestedLists(HtmlWriter& out, const Generation& generation, const MapItemList& root,
                 std::string_view top_list) {
  struct Lists : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    std::string_view top_list;
    bool tree;

    bool EnterList(const MapItemList& list, int level) {
      if (list.Count <= 0) return true;
      if (!out.WriteIndent(level)) return false;
      out.Write(level == 0 ? top_list : "<ul>\n");
      return true;
    }
    bool Item(const MapItem& item, int /*index*/, int level) {
      if (!Shows(item)) return true;
      if (!out.WriteIndent(level + 1)) return false;
      out.Write("<li>");
      if (tree)
        WriteTreeEntry(item);
      else
        WriteLink(out, generation, item.Name, item.URL);
      out.Write(HasChildren(item) ? "\n" : "</li>\n");
      return true;
    }
    void WriteTreeEntry(const MapItem& item) {
      const bool branch = HasChildren(item);
      const int index = !branch ? kLeafPicture
                        : generation.settings.OutputType == VELLUM_OUTPUT_ICON_TREE
                            ? kIconBranchPicture
                            : kScriptBranchPicture;
      const SchemePicture* picture = PictureAt(generation.scheme, index);
      const bool pictured = picture != nullptr && NonEmpty(picture->File);
      if (item.URL == nullptr) {
        out.Write("<span>");
        if (pictured) WritePicture(out, generation, picture, "");
        if (item.Name != nullptr) out.Write(item.Name);
        out.Write("</span>");
        return;
      }
      out.Write("<a href=\"");
      out.WriteLinkTarget(generation.relative_links(), item.URL, generation.base_path);
      out.Write("\">");
      if (pictured) WritePicture(out, generation, picture, "");
      if (NonEmpty(item.Name)) {
        out.Write(item.Name);
      } else {
        WriteAttributeText(
            out, RelativeLink(generation.relative_links(), item.URL, generation.base_path));
      }
      out.Write("</a>");
    }
    bool AfterItem(const MapItem& item, int /*index*/, int level) {
      if (!HasChildren(item)) return true;
      return out.WriteIndent(level + 1) && out.WriteChecked("</li>\n");
    }
    bool LeaveList(const MapItemList& list, int level) {
      if (list.Count <= 0) return true;
      return out.WriteIndent(level) && out.WriteChecked("</ul>\n");
    }
  } lists{{},
          out,
          generation,
          top_list,
          generation.settings.OutputType == VELLUM_OUTPUT_ICON_TREE ||
              generation.settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE};
  return WalkTree(root, lists);
}

bool ListBody(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  return NestedLists(out, generation, root, "<ul class=\"vm-list\">\n");
}

bool TreeBody(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  const SiteMapSettings& settings = generation.settings;
  const bool icons = settings.OutputType == VELLUM_OUTPUT_ICON_TREE;
  if (!icons && generation.Has(VELLUM_GEN_EXPAND_COLLAPSE_LINKS)) {
    // Shown by the script, which alone can open and close the branches.
    out.Write("<p class=\"vm-all\" hidden><button type=\"button\" data-vm=\"open\">");
    out.Write(NonEmpty(settings.ExpandText) ? settings.ExpandText : "Expand all");
    out.Write("</button><button type=\"button\" data-vm=\"close\">");
    out.Write(NonEmpty(settings.CollapseText) ? settings.CollapseText : "Collapse all");
    out.Write("</button></p>\n");
  }
  // The icon tree shows its branches open, as its classic page does.
  return NestedLists(out, generation, root,
                     icons ? "<ul class=\"vm-tree\" data-open>\n" : "<ul class=\"vm-tree\">\n");
}

void WriteTrail(HtmlWriter& out, const Generation& generation, int level) {
  const char* separator = generation.settings.CrumbSeparator;
  out.Write("<p class=\"vm-trail\">");
  for (int i = 0; i <= level; ++i) {
    const Crumb& crumb = generation.crumbs[i];
    if (crumb.target) {
      out.Write("<a href=\"");
      out.WriteLinkTarget(crumb.relative && generation.relative_links(), *crumb.target,
                          generation.base_path);
      out.Write("\">");
      out.Write(crumb.text);
      out.Write("</a>");
    } else {
      out.Write(crumb.text);
    }
    if (i < level && NonEmpty(separator)) {
      out.Write(" <span aria-hidden=\"true\">");
      out.Write(separator);
      out.Write("</span> ");
    } else if (i < level) {
      out.Write(" ");
    }
  }
  out.Write("</p>\n");
}

bool PagedBody(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
               const std::string& page_path) {
  const MapItem* begin = list.Items;
  const MapItem* end = begin + std::max(list.Count, 0);
  auto has_page = [level](const MapItem& item) { return HasPage(item, level); };
  ReportPageLimit(list, level, page_path);
  if (level >= 1 && generation.Has(VELLUM_GEN_BREADCRUMBS)) {
    WriteTrail(out, generation, level);
    LinkTrailHere(generation, level, page_path);
  }
  if (std::any_of(begin, end, has_page)) {
    if (!out.WriteChecked("<ul class=\"vm-list\">\n")) return false;
    WriteBranchPages(generation, list, level,
                     [&](const MapItem& item, const std::string& page, const char* count) {
                       out.Write("\t<li>");
                       WriteLink(out, generation, item.Name, page.c_str(), false, count);
                       out.Write("</li>\n");
                     });
    if (!out.WriteChecked("</ul>\n")) return false;
  }
  if (!std::all_of(begin, end, has_page)) {
    if (!out.WriteChecked("<ul class=\"vm-list\">\n")) return false;
    for (const MapItem* item = begin; item != end; ++item) {
      if (has_page(*item) || item->URL == nullptr) continue;
      out.Write("\t<li>");
      WriteLink(out, generation, item->Name, item->URL);
      out.Write("</li>\n");
    }
    if (!out.WriteChecked("</ul>\n")) return false;
  }
  return true;
}

// The id of a letter's group: the letter or digit itself, "Other", or the
// character's code, so that any key gives a valid id.
std::string LetterId(const SchemePicture& picture) {
  const int key = picture.Key;
  if (key == kOtherKey) return "Other";
  if ((key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z') || (key >= '0' && key <= '9')) {
    return std::string(1, static_cast<char>(key));
  }
  return std::string("c").append(std::to_string(key));
}

// What the letter's picture stands for, for a reader that cannot see it.
std::string LetterName(const Generation& generation, const SchemePicture& picture) {
  if (picture.Key != kOtherKey) return std::string(1, static_cast<char>(picture.Key));
  const char* other = generation.settings.OtherName;
  return NonEmpty(other) ? other : "Other";
}

// The letter's picture, or its name where the scheme gives no picture.
void WriteLetter(HtmlWriter& out, const Generation& generation, const SchemePicture& picture) {
  const std::string name = LetterName(generation, picture);
  if (NonEmpty(picture.File)) {
    WritePicture(out, generation, &picture, name.c_str());
  } else {
    WriteAttributeText(out, name);
  }
}

void LetterBar(HtmlWriter& out, const Generation& generation) {
  if (generation.letters.empty()) return;
  out.Write("<ul class=\"vm-letters\">\n");
  for (const SchemePicture* picture : generation.letters) {
    out.Write("\t<li><a href=\"#");
    out.Write(LetterId(*picture));
    out.Write("\">");
    WriteLetter(out, generation, *picture);
    out.Write("</a></li>\n");
  }
  out.Write("</ul>\n");
}

bool IndexBody(HtmlWriter& out, Generation& generation) {
  ChooseLetters(generation);
  if (generation.Has(VELLUM_GEN_LETTER_BAR_BEFORE)) LetterBar(out, generation);
  struct Groups : IndexVisitor {
    HtmlWriter& out;
    const Generation& generation;
    Groups(HtmlWriter& out, const Generation& generation) : out(out), generation(generation) {}
    void Group(const SchemePicture& picture) override {
      out.Write("<h2 id=\"");
      out.Write(LetterId(picture));
      out.Write("\">");
      WriteLetter(out, generation, picture);
      out.Write("</h2>\n<ul class=\"vm-list\">\n");
    }
    void Rest() override { out.Write("<hr>\n<ul class=\"vm-list\">\n"); }
    void Entry(const IndexEntry& entry) override {
      out.Write("\t<li>");
      WriteLink(out, generation, entry.name, entry.url);
      out.Write("</li>\n");
    }
    void EndGroup() override { out.Write("</ul>\n"); }
  } groups(out, generation);
  WalkIndex(generation, groups);
  if (generation.Has(VELLUM_GEN_LETTER_BAR_AFTER)) LetterBar(out, generation);
  return out.WriteChecked("");
}

bool TableBody(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  const int columns = LevelColumns(root);
  if (columns == 0) return true;
  struct Cells : LevelCells {
    HtmlWriter& out;
    const Generation& generation;
    Cells(HtmlWriter& out, const Generation& generation) : out(out), generation(generation) {}
    void StartRow() override { out.Write("<tr>\n"); }
    bool Cell(const MapItem& item, int rowspan) override {
      out.Write("\t<td");
      if (rowspan > 0) {
        out.Write(" rowspan=\"");
        out.WriteNumber(rowspan);
        out.Write("\"");
      }
      out.Write(">");
      WriteLink(out, generation, item.Name, item.URL);
      return out.WriteChecked("</td>\n");
    }
    void EmptyCell() override { out.Write("\t<td></td>\n"); }
    void EndRow() override { out.Write("</tr>\n"); }
  } cells(out, generation);

  // A wide table scrolls on its own on a narrow screen; a keyboard scrolls
  // it too.
  out.Write("<div class=\"vm-scroll\" role=\"region\" aria-label=\"");
  WriteAttributeText(out, MapLabel(generation.settings));
  out.Write("\" tabindex=\"0\">\n<table class=\"vm-levels\">\n<thead>\n<tr>\n");
  for (int column = 1; column <= columns; ++column) {
    out.Write("\t<th scope=\"col\">Level ");
    out.WriteNumber(column);
    out.Write("</th>\n");
  }
  out.Write("</tr>\n</thead>\n<tbody>\n<tr>\n");
  if (!WalkLevelRows(root, cells)) return false;
  return out.WriteChecked("</tbody>\n</table>\n</div>\n");
}

bool ComboBody(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  const char* title = generation.settings.ComboTitle;
  out.Write("<form class=\"vm-combo\" hidden>\n<label for=\"vm-combo\">");
  out.Write(NonEmpty(title) ? title : "Navigate");
  out.Write("</label>\n<select id=\"vm-combo\">\n");
  // Items without URL give no option; their children still do, one level
  // deeper.
  struct Options : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    bool Item(const MapItem& item, int /*index*/, int level) {
      if (item.URL == nullptr) return true;
      out.Write("<option value=\"");
      out.WriteLinkTarget(generation.relative_links(), item.URL, generation.base_path);
      out.Write("\">");
      for (int i = 0; i < std::min(level, kMaxIndentLevel); ++i) out.Write("&nbsp;&nbsp;&nbsp;");
      if (NonEmpty(item.Name)) {
        out.Write(item.Name);
      } else {
        WriteAttributeText(
            out, RelativeLink(generation.relative_links(), item.URL, generation.base_path));
      }
      out.Write("</option>\n");
      return true;
    }
  } options{{}, out, generation};
  WalkTree(root, options);
  out.Write("</select>\n<button type=\"submit\">Go</button>\n</form>\n<noscript>\n");
  return ListBody(out, generation, root) && out.WriteChecked("</noscript>\n");
}

bool WriteBody(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
               const std::string& page_path) {
  switch (generation.settings.OutputType) {
    case VELLUM_OUTPUT_UL_LIST:
      return ListBody(out, generation, list);
    case VELLUM_OUTPUT_PAGED_UL_LIST:
      return PagedBody(out, generation, list, level, page_path);
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE:
      return TreeBody(out, generation, list);
    case VELLUM_OUTPUT_NAV_COMBO:
      return ComboBody(out, generation, list);
    case VELLUM_OUTPUT_INDEX_PAGE:
      return IndexBody(out, generation);
    case VELLUM_OUTPUT_LEVEL_TABLE:
      return TableBody(out, generation, list);
    default:  // unknown types have an empty map
      return true;
  }
}

// The trees' script: the WAI-ARIA tree view pattern over the nested lists
// (roles, aria-expanded, one entry in the tab order; Up, Down, Right, Left,
// Home, End; Enter follows a link or opens an entry without one), a toggle
// in front of each entry for the mouse, and the expand-all and collapse-all
// buttons.
constexpr std::string_view kTreeScript = R"(<script>
(function () {
  'use strict';
  var each = function (list, f) { Array.prototype.forEach.call(list, f); };
  var groups = 0;
  function group(item) {
    var next = item.nextElementSibling;
    return next && next.tagName === 'UL' ? next : null;
  }
  function shown(item) { return !item.parentNode.closest('ul[hidden]'); }
  function visible(tree) {
    return Array.prototype.filter.call(tree.querySelectorAll('[role=treeitem]'), shown);
  }
  function parentOf(item) {
    var list = item.parentNode.parentNode;
    return list.getAttribute('role') === 'group' ? list.previousElementSibling : null;
  }
  function current(tree, item) {
    if (tree.current) tree.current.tabIndex = -1;
    item.tabIndex = 0;
    tree.current = item;
  }
  function setOpen(tree, item, open) {
    var list = group(item);
    if (!list) return;
    list.hidden = !open;
    item.setAttribute('aria-expanded', String(open));
    item.previousElementSibling.textContent = open ? '\u25BE' : '\u25B8';
    if (!shown(tree.current)) current(tree, item);
  }
  each(document.querySelectorAll('ul.vm-tree'), function (tree) {
    var nav = tree.closest('nav'), buttons = nav && nav.querySelector('.vm-all');
    tree.setAttribute('role', 'tree');
    if (nav) tree.setAttribute('aria-label', nav.getAttribute('aria-label'));
    each(tree.querySelectorAll('li'), function (li) {
      var item = li.firstElementChild, list = group(item), twisty = document.createElement('span');
      li.setAttribute('role', 'none');
      item.setAttribute('role', 'treeitem');
      item.tabIndex = -1;
      twisty.className = 'vm-twisty';
      twisty.setAttribute('aria-hidden', 'true');
      li.insertBefore(twisty, item);
      if (!tree.current) current(tree, item);
      if (!list) return;
      list.setAttribute('role', 'group');
      list.id = 'vm-group' + (++groups);
      item.setAttribute('aria-owns', list.id);
      setOpen(tree, item, tree.hasAttribute('data-open'));
      twisty.addEventListener('click', function () { setOpen(tree, item, list.hidden); });
    });
    tree.addEventListener('focusin', function (event) {
      if (event.target.getAttribute('role') === 'treeitem') current(tree, event.target);
    });
    tree.addEventListener('keydown', function (event) {
      var item = event.target, list = group(item), open = list && !list.hidden, all, next;
      if (event.altKey || event.ctrlKey || event.metaKey) return;
      if (item.getAttribute('role') !== 'treeitem') return;
      switch (event.key) {
        case 'ArrowDown': all = visible(tree); next = all[all.indexOf(item) + 1]; break;
        case 'ArrowUp': all = visible(tree); next = all[all.indexOf(item) - 1]; break;
        case 'ArrowRight': if (open) next = list.querySelector('[role=treeitem]'); else setOpen(tree, item, true); break;
        case 'ArrowLeft': if (open) setOpen(tree, item, false); else next = parentOf(item); break;
        case 'Home': next = visible(tree)[0]; break;
        case 'End': all = visible(tree); next = all[all.length - 1]; break;
        case 'Enter': if (item.tagName === 'A') return; setOpen(tree, item, !open); break;
        default: return;
      }
      event.preventDefault();
      if (next) { current(tree, next); next.focus(); }
    });
    if (!buttons) return;
    buttons.hidden = false;
    buttons.addEventListener('click', function (event) {
      var open = event.target.getAttribute('data-vm');
      if (!open) return;
      each(tree.querySelectorAll('[aria-expanded]'), function (item) { setOpen(tree, item, open === 'open'); });
    });
  });
})();
</script>
)";

// The drop-down list's script: shows the list (the links below it stand in
// without script) and opens the chosen page when its button is pressed.
constexpr std::string_view kComboScript = R"(<script>
Array.prototype.forEach.call(document.querySelectorAll('form.vm-combo'), function (form) {
  form.hidden = false;
  form.addEventListener('submit', function (event) {
    event.preventDefault();
    var target = form.querySelector('select').value;
    if (target) window.location.assign(target);
  });
});
</script>
)";

std::string_view PageScript(int output_type) {
  switch (output_type) {
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE:
      return kTreeScript;
    case VELLUM_OUTPUT_NAV_COMBO:
      return kComboScript;
    default:
      return {};
  }
}

}  // namespace

bool WriteHtml5Page(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
                    const std::string& page_path) {
  const SiteMapSettings& settings = generation.settings;
  out.set_valid_addresses(true);
  if (!WriteHead(out, generation) || !out.WriteChecked("<body>\n<main>\n")) return false;
  if (NonEmpty(settings.TextAbove) &&
      !(out.WriteChecked(settings.TextAbove) && out.WriteChecked("\n"))) {
    return false;
  }
  out.Write("<nav class=\"vm-map\" aria-label=\"");
  WriteAttributeText(out, MapLabel(settings));
  if (!out.WriteChecked("\">\n") || !WriteBody(out, generation, list, level, page_path) ||
      !out.WriteChecked("</nav>\n")) {
    return false;
  }
  if (NonEmpty(settings.TextBelow) &&
      !(out.WriteChecked(settings.TextBelow) && out.WriteChecked("\n"))) {
    return false;
  }
  out.Write("</main>\n");
  if (generation.Has(VELLUM_GEN_PAGE_FOOTER)) {
    out.Write("<footer><p><a href=\"");
    out.Write(kProductPageAddress);
    out.Write("\">Generated with Fernbright Vellumark</a></p></footer>\n");
  }
  out.Write(PageScript(settings.OutputType));
  return out.WriteChecked("</body>\n</html>\n");
}

}  // namespace vellum::generate
