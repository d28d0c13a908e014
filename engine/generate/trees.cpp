// The two trees drawn with the pictures of a tree scheme: the static icon
// tree and the expandable script tree.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "generate/bodies.h"
#include "generate/image_scheme.h"
#include "generate/tree_walk.h"

namespace vellum::generate {
namespace {

// The pictures of a tree scheme, by position.
enum TreePicture : int {
  kLeafPicture = 0,
  kBranchPicture = 1,  // icon tree
  kFolderPicture = 2,  // script tree, behind the toggle
  kTogglePicture = 3,  // script tree, closed
};

// A picture of the scheme; nothing when the scheme lacks it.
void WritePicture(HtmlWriter& out, const Generation& generation, int index, const char* css_class,
                  const char* name = nullptr, const char* align = nullptr) {
  const SchemePicture* picture = PictureAt(generation.scheme, index);
  if (picture == nullptr) return;
  out.WriteImg(generation.settings.ImageFolder, picture->File, picture->Width, picture->Height,
               css_class, name, align, nullptr);
}

void WriteItemLink(HtmlWriter& out, const Generation& generation, const MapItem& item) {
  out.WriteLink(item.Name, item.URL, generation.base_path, generation.relative_links(), nullptr,
                true);
}

// text with every marker replaced by value; the rest, "%" signs included,
// as it stands.
void WriteFilled(HtmlWriter& out, std::string_view text, std::string_view marker,
                 std::string_view value) {
  for (std::size_t at; (at = text.find(marker)) != std::string_view::npos;) {
    out.Write(text.substr(0, at));
    out.Write(value);
    text.remove_prefix(at + marker.size());
  }
  out.Write(text);
}

constexpr std::string_view kScriptStart =
    "<SCRIPT LANGUAGE=\"JavaScript\">\n<!--\nvar version = parseInt(navigator.appVersion);\n"
    "NS4 = (document.layers) ? true:false;\n"
    "IE4 = ((document.all) && (version >= 4)) ? true:false;\n"
    "DOM = document.documentElement && !NS4;\nver4 = NS4 || IE4 || DOM;\n\n"
    "if (NS4)\n\t{\n\torigWidth = innerWidth;\n\torigHeight = innerHeight;\n\t}\n"
    "function reDo()\n\t{\n\tif (innerWidth != origWidth || innerHeight != origHeight)\n"
    "\t\tlocation.reload();\n\t}\nif (NS4)\n\tonresize = reDo;\n\n"
    "var firstItem = 0;\nvar lastItem;\nif (NS4)\n\tlastItem = document.layers.length - 1;\n"
    "else if (IE4)\n\tlastItem = document.all.tags(\"DIV\").length - 1;\n\n"
    "function onClicked(el) {}\nfunction onExpandAll() {}\nfunction onCollapseAll() {}\n\n"
    "function getIndexIE(el)\n\t{\n\tind = -1;\n\ttempColl = document.all.tags(\"DIV\");\n"
    "\tfor (i = 0 ; i < tempColl.length ; i++)\n\t\t{\n\t\tvar theItem = tempColl(i);\n"
    "\t\tif (theItem == el)\n\t\t\t{\n\t\t\tind = i;\n\t\t\tbreak;\n\t\t\t}\n\t\t}\n"
    "\treturn ind;\n\t}\n\n";

// "%s" stands for the font-size word, six times.
constexpr std::string_view kScriptStyles =
    "function getFntSize(s)\n\t{\n\tif(!IE4)\n\t\t{\n"
    "\t\tif (s==\"xx-small\")\n\t\t\treturn \"x-small\";\n"
    "\t\tif (s==\"x-small\")\n\t\t\treturn \"small\";\n"
    "\t\tif (s==\"small\")\n\t\t\treturn \"medium\";\n"
    "\t\tif (s==\"medium\")\n\t\t\treturn \"large\";\n"
    "\t\tif (s==\"large\")\n\t\t\treturn \"x-large\";\n"
    "\t\tif (s==\"x-large\")\n\t\t\treturn \"xx-large\";\n\t\t}\n\treturn s;\n\t}\n\n"
    "\tif (ver4)\n\t\t{\n\t\twith(document)\n\t\t{\n"
    "\t\twrite(\"<STYLE TYPE='text/css'>\");\n"
    "\t\twrite(\".SXLR,.SXR {color:#003063; font-family:Verdana,Arial,Helvetica; "
    "font-size:\"+getFntSize(\"%s\")+\"; }\");\n"
    "\t\twrite(\".SXLP0,.SXP0 {color:#003063; font-family:Verdana,Arial,Helvetica; "
    "font-size:\"+getFntSize(\"%s\")+\"; }\");\n"
    "\t\twrite(\".SXLC0,.SXC0 {color:#003063; font-family:Verdana,Arial,Helvetica; "
    "font-size:\"+getFntSize(\"%s\")+\"; }\");\n"
    "\t\twrite(\".SXLP1,.SXP1 {color:#003063; font-family:Verdana,Arial,Helvetica; "
    "font-size:\"+getFntSize(\"%s\")+\"; }\");\n"
    "\t\twrite(\".SXLC1,.SXC1 {color:#003063; font-family:Verdana,Arial,Helvetica; "
    "font-size:\"+getFntSize(\"%s\")+\"; }\");\n"
    "\t\twrite(\".SXLP2,.SXP2 {color:#003063; font-family:Verdana,Arial,Helvetica; "
    "font-size:\"+getFntSize(\"%s\")+\"; }\");\n"
    "\t\tif (NS4)\n\t\t\t{\n\t\t\twrite(\".TP {position:relative}\");\n"
    "\t\t\tleftpos = 10;\n\t\t\ttoppos = 40;\n"
    "\t\t\twrite(\".below {left:\"+leftpos+\";position:absolute}\");\n"
    "\t\t\twrite(\".im {vertical-align:top}\");\n"
    "\t\t\twrite(\".SXP0 {left:\"+leftpos+\";position:absolute; visibility:hidden}\");\n"
    "\t\t\twrite(\".SXR {left:\"+leftpos+\";position:absolute;top:\"+toppos+\";"
    "visibility:hidden}\");\n"
    "\t\t\twrite(\".SXP1 {left:\"+leftpos+\";position:absolute; visibility:hidden}\");\n"
    "\t\t\twrite(\".SXC0 {left:\"+leftpos+\";position:absolute;visibility:hidden}\");\n"
    "\t\t\twrite(\".SXP2 {left:\"+leftpos+\";position:absolute; visibility:hidden}\");\n"
    "\t\t\twrite(\".SXC1 {left:\"+leftpos+\";position:absolute;visibility:hidden}\");\n"
    "\t\t\t}\n\t\telse\n\t\t\twrite(\".tbl {width='100%'}\");\n"
    "\t\twrite(\"</STYLE>\");\n\t\t}\n\t\t}\n";

// "%s" stands for the picture folder.
constexpr std::string_view kScriptEnd =
    "\nvar showLevel = 0;\nvar imf = \"%s\";\nvar bOpenIcon = true;\nvar nDays = 30;\n"
    "if(DOM)\n\tdocument.write(\"<\"+\"SCRIPT LANGUAGE='JavaScript1.2' SRC='tree0.js'></\"+"
    "\"SCRIPT>\");\nelse\n\tdocument.write(\"<\"+\"SCRIPT LANGUAGE='JavaScript1.2' "
    "SRC='tree4.js'></\"+\"SCRIPT>\");\n//-->\n</SCRIPT>\n";

// "%i" stands for the number of items of the root list, three times.
constexpr std::string_view kTreeEnd =
    "\n<DIV ID=\"SXR%i\" CLASS=SXR>\n</DIV>\n\n<SCRIPT LANGUAGE=\"JavaScript1.2\">\n<!--\n"
    "if (IE4)\n\t{\n\tfirstItem = getIndexIE(SXR__0);\n\tlastItem = getIndexIE(SXR%i);\n"
    "\tdocument.write('<IMG STYLE=\"display:none\" NAME=\"SXIcon\">\\n"
    "<IMG STYLE=\"display:none\" NAME=\"SXIcon2\">\\n');\n\t}\n"
    "else if (NS4)\n\t{\n\tfirstItem = getIndexNS(document.SXR__0);\n"
    "\tlastItem = getIndexNS(document.SXR%i);\n"
    "\tfor(i = firstItem ; i <= lastItem && i < document.layers.length ; i++)\n"
    "\t\tdocument.layers [i].visibility = \"show\";\n\tsetPosition();\n\t}\n"
    "onload=initialize;\nonunload=saveCookie;\n//-->\n</SCRIPT>\n";

std::string_view FontSizeWord(int size_index) {
  static constexpr std::string_view kWords[] = {"xx-small", "x-small", "small",   "medium",
                                                "large",    "x-large", "xx-large"};
  if (size_index < 0 || size_index >= static_cast<int>(std::size(kWords))) return "x-small";
  return kWords[size_index];
}

// The picture folder as the scripts use it: with a "/" at its end.
std::string ScriptImageFolder(const char* image_folder) {
  std::string folder = image_folder != nullptr ? image_folder : "";
  if (folder.empty()) return folder;
  if (folder.back() == '\\') {
    folder.back() = '/';
  } else if (folder.back() != '/') {
    folder += '/';
  }
  return folder;
}

// "I<level>SXE<index>Z": the key of the branch at (level, index), from which
// the ids and names of its heading and pictures are made.
std::string BranchKey(int level, int index) {
  std::string key = "I";
  key += std::to_string(level);
  key += "SXE";
  key += std::to_string(index);
  key += 'Z';
  return key;
}

// The name of a branch's toggle ('M') or folder ('N') picture.
std::string PictureName(char prefix, const std::string& key) {
  std::string name(1, prefix);
  name += key;
  name += "SXP";
  return name;
}

// The opening of the table that indents a heading or a group.
void WriteIndentTable(HtmlWriter& out, int width) {
  out.Write("<TABLE CLASS=TBL CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD NOWRAP WIDTH=");
  out.WriteNumber(width);
  out.Write("></TD><TD CLASS=SXLR>\n");
}

constexpr int kLevelIndent = 20;      // pixels per level
constexpr int kLeafExtraIndent = 16;  // leaves stand under the branch's link

// The DIVs of the script tree. Per list, at most one group of leaves is open
// at a time; a branch closes it, and the branch's own DIV holds only its
// heading, so the DIVs of its children follow it rather than nest in it.
struct ScriptDivs : TreeVisitor {
  struct List {
    int item = 0;  // the item being written
    bool group_open = false;
    // The numbers in the ids of the list's deeper groups: the parent's
    // position, and after the list's first branch 2 in place of the index.
    int group_level = 0;
    int group_index = 0;
  };

  HtmlWriter& out;
  const Generation& generation;
  Font font;
  std::vector<List> lists;

  ScriptDivs(HtmlWriter& out, const Generation& generation)
      : out(out), generation(generation), font(generation.font()) {}

  bool EnterList(const MapItemList& /*list*/, int level) {
    List list;
    if (level > 0) {
      list.group_level = level - 1;
      list.group_index = lists[level - 1].item;
    }
    lists.push_back(list);
    return true;
  }

  bool Item(const MapItem& item, int index, int level) {
    List& list = lists[level];
    list.item = index;
    if (HasChildren(item)) {
      CloseGroup(list);
      WriteHeading(item, index, level);
    } else {
      if (!list.group_open) OpenGroup(list, index, level);
      out.OpenFont(0, font);
      WritePicture(out, generation, kLeafPicture, "ICO");
      WriteItemLink(out, generation, item);
      out.CloseFont(0, font);
    }
    return true;
  }

  bool AfterItem(const MapItem& item, int /*index*/, int level) {
    if (HasChildren(item)) lists[level].group_index = 2;
    return true;
  }

  bool LeaveList(const MapItemList& /*list*/, int level) {
    CloseGroup(lists[level]);
    lists.pop_back();
    return true;
  }

  void OpenGroup(List& list, int index, int level) {
    if (level == 0) {
      out.Write("<DIV ID=\"SXR");
      out.WriteNumber(index);
      out.Write("\" CLASS=SXR>\n");
    } else {
      out.Write("<DIV ID=\"");
      out.Write(BranchKey(list.group_level, list.group_index));
      out.Write("SXC\" CLASS=SXC0>\n");
    }
    WriteIndentTable(out, level * kLevelIndent + kLeafExtraIndent);
    list.group_open = true;
  }

  void CloseGroup(List& list) {
    if (!list.group_open) return;
    out.Write("</TD></TR></TABLE>\n</DIV>\n");
    list.group_open = false;
  }

  void WriteHeading(const MapItem& item, int index, int level) {
    const std::string key = BranchKey(level, index);
    out.Write("<DIV ID=\"");
    out.Write(key);
    out.Write("SXP\" CLASS=SXP");
    out.WriteNumber(level);
    out.Write(">\n");
    if (level > 0) WriteIndentTable(out, level * kLevelIndent);
    out.OpenFont(0, font);
    out.Write("<A HREF=\"javascript:void(0);\" onClick=\"onClicked('");
    out.Write(key);
    out.Write("'); return false\">\n");
    WritePicture(out, generation, kTogglePicture, "im", PictureName('M', key).c_str(), "absmiddle");
    out.Write("</A>");
    WritePicture(out, generation, kFolderPicture, "im", PictureName('N', key).c_str(), "absmiddle");
    out.Write("&nbsp");
    WriteItemLink(out, generation, item);
    out.CloseFont(0, font);
    if (level > 0) out.Write("</TD></TR></TABLE>\n");
    out.Write("</DIV>\n");
  }
};

}  // namespace

bool IconTree(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  // The root list and the child lists of branches; a leaf's empty child
  // list is no list of the tree.
  struct Icons : TreeVisitor {
    HtmlWriter& out;
    const Generation& generation;
    Font font;

    bool EnterList(const MapItemList& list, int level) {
      if (level == 0 || list.Count > 0) out.OpenFont(0, font);
      return true;
    }
    bool Item(const MapItem& item, int /*index*/, int /*level*/) {
      const bool branch = HasChildren(item);
      WritePicture(out, generation, branch ? kBranchPicture : kLeafPicture, "ICO");
      WriteItemLink(out, generation, item);
      return !branch ||
             out.WriteChecked(
                 "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD NOWRAP WIDTH=20></TD><TD>\n");
    }
    bool AfterItem(const MapItem& item, int /*index*/, int /*level*/) {
      return !HasChildren(item) || out.WriteChecked("</TD></TR></TABLE>\n");
    }
    bool LeaveList(const MapItemList& list, int level) {
      if (level == 0 || list.Count > 0) out.CloseFont(0, font);
      return true;
    }
  } icons{{}, out, generation, generation.font()};
  return WalkTree(root, icons);
}

bool WriteScriptTreeHead(HtmlWriter& out, const Generation& generation) {
  if (!out.WriteChecked(kScriptStart)) return false;
  WriteFilled(out, kScriptStyles, "%s", FontSizeWord(generation.settings.FontSize));
  WriteFilled(out, kScriptEnd, "%s", ScriptImageFolder(generation.settings.ImageFolder));
  return true;
}

bool ScriptTree(HtmlWriter& out, const Generation& generation, const MapItemList& root) {
  const SiteMapSettings& settings = generation.settings;
  auto text = [](const char* value) { return value != nullptr ? value : ""; };
  if (generation.Has(VELLUM_GEN_EXPAND_COLLAPSE_LINKS)) {
    out.Write(
        "<A HREF=\"javascript:void(0);\" onClick=\"onExpandAll(); return false\">\n"
        "<FONT class=\"SXLR\">");
    out.Write(text(settings.ExpandText));
    out.Write(
        "</FONT></A>\n&nbsp;|&nbsp;\n"
        "<A HREF=\"javascript:void(0);\" onClick=\"onCollapseAll(); return false\">\n"
        "<FONT class=\"SXLR\">");
    out.Write(text(settings.CollapseText));
    out.Write("</FONT></A>\n");
  }
  out.Write("<DIV ID=\"TP\" CLASS=TP>&nbsp;</DIV>\n\n\n<DIV ID=\"SXR__0\" CLASS=SXR>\n</DIV>\n");
  ScriptDivs divs(out, generation);
  WalkTree(root, divs);
  WriteFilled(out, kTreeEnd, "%i", std::to_string(std::max(root.Count, 0)));
  return true;
}

}  // namespace vellum::generate
