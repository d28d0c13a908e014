// Generates one site into a folder through the shared library, for the
// browser test: the same tree in each of the seven output types (and the
// script tree and the index page again with the shipped extra schemes),
// beside the pages that the tree links to; a hostile site's map in every
// layout; and all of it again in HTML5 markup below html5/, with the
// example site's map in every layout.
//
//   make_pages FOLDER
//
// The program lies in the build tree's IDE/ folder, so the engine finds the
// resource folder beside it. Exits non-zero when the engine reported an error.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/map_tree.h"
#include "support/message_log.h"
#include "vellum/vellum.h"

namespace {

namespace fs = std::filesystem;

// Ids of the script tree repeat between branches: "Tools" and "Team" are
// both the first branch of a level-1 list, "Garden" and "Contact" both
// follow a branch. main adds a page per letter from C on, to make the index
// page longer than a screen.
constexpr const char* kOutline = R"(Home -> home.htm
Products -> products.htm
  Tools -> tools.htm
    Hammers -> hammers.htm
    Saws -> saws.htm
  Garden -> garden.htm
About -> about.htm
  Team -> team.htm
    Ann -> ann.htm
    Bob -> bob.htm
  Contact -> contact.htm
Archive
  2019 -> 2019.htm
  2020 -> 2020.htm
_Drafts -> drafts.htm)";

// A page titled with its item's name for every linked item of list.
void WriteLinkedPages(const fs::path& folder, const MapItemList& list) {
  for (int i = 0; i < list.Count; ++i) {
    const MapItem& item = list.Items[i];
    if (item.URL != nullptr) {
      std::ofstream(folder / item.URL) << "<HTML><HEAD><TITLE>" << item.Name
                                       << "</TITLE><LINK REL=\"icon\" HREF=\"data:,\"></HEAD>"
                                       << "<BODY><H1>" << item.Name << "</H1></BODY></HTML>\n";
    }
    WriteLinkedPages(folder, item.Children);
  }
}

// The site map of tree in every layout into dir, as mapN.htm for layout N,
// in the background colour bg_color (none: no colour at all).
void WriteLayouts(const fs::path& dir, MapItemList& tree, const char* bg_color) {
  for (int type = VELLUM_OUTPUT_UL_LIST; type <= VELLUM_OUTPUT_LEVEL_TABLE; ++type) {
    const std::string output = (dir / ("map" + std::to_string(type) + ".htm")).string();
    SiteMapParams params = VellumNewSiteMapParams();
    params.BasePath = output.c_str();
    params.Items = &tree;
    params.Settings.OutputType = static_cast<uint8_t>(type);
    params.Settings.OutputFile = output.c_str();
    params.Settings.BgColor = bg_color;
    params.Settings.HeadTags = "<LINK REL=\"icon\" HREF=\"data:,\">";
    HTMLGSiteMap(&params, VELLUM_GEN_RELATIVE_LINKS | VELLUM_GEN_EXPAND_COLLAPSE_LINKS |
                              VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_BREADCRUMBS);
  }
}

// Scans the site of base into a new project and writes its site map in every
// layout beside base, in markup and bg_color.
void MapSite(const fs::path& base, int32_t markup, const char* bg_color) {
  SiteMapParams scan = VellumNewSiteMapParams();
  AddRequest add{0, VELLUM_KIND_SSITEMAP, &scan, VELLUM_NEW_SITE_MAP_FLAGS};
  MapItemList& tree = HTMLprjAdd(&add)->Items[0].Entries;
  const VellumPageSettings page{sizeof(VellumPageSettings), markup, "en"};
  VellumSetPageSettings(&page);
  const std::string index = base.string();
  scan.BasePath = index.c_str();
  scan.Items = &tree;
  HTMLgenSiteMap(&scan, VELLUM_SCAN_INCLUDE_BASE | VELLUM_SCAN_META_DESCRIPTION);
  WriteLayouts(base.parent_path(), tree, bg_color);
  HTMLprjClose(0);
}

// A site whose pages would run a script in a site map that took their text
// as markup: a META description holding a tag, a file name holding quotes
// and an attribute, another that a browser would decode to a javascript:
// address. The site map in every layout goes into the site's folder, below
// folder under name.
void WriteHostileSite(const fs::path& folder, const char* name, int32_t markup) {
  const fs::path site = folder / name;
  fs::create_directories(site);
  const std::string quote = "x\" autofocus onfocus=\"window.pwned=1\" y=\".htm";
  std::ofstream(site / "index.htm")
      << "<meta name=description content='<img src=x onerror=window.pwned=1 '>"
      << "<a href='" << quote << "'>q</a><a href='javascript&colon;window.pwned=1.htm'>j</a>";
  std::ofstream(site / quote) << "<meta name=description content='Quote'>";
  std::ofstream(site / "javascript&colon;window.pwned=1.htm")
      << "<meta name=description content=J>";
  MapSite(site / "index.htm", markup, "FFFFFF");
}

// The example site, copied below folder under name, with its site map in
// every layout in markup, in no colours of its own: in the reader's light or
// dark scheme.
void WriteExampleSite(const fs::path& folder, const char* name, int32_t markup) {
  const fs::path site = folder / name;
  fs::copy(VELLUM_EXAMPLE_SITE, site, fs::copy_options::recursive);
  MapSite(site / "index.html", markup, nullptr);
}

// The pages of tree into folder, in every layout and with the extra schemes.
void WritePages(const fs::path& folder, MapItemList& tree) {
  fs::create_directories(folder);
  const uint32_t fonts = VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR;
  const struct {
    int output_type;
    const char *file, *scheme;
    uint32_t flags;
  } pages[] = {
      {VELLUM_OUTPUT_UL_LIST, "ul_list.htm", nullptr, fonts},
      {VELLUM_OUTPUT_PAGED_UL_LIST, "paged.htm", nullptr,
       VELLUM_GEN_BREADCRUMBS | VELLUM_GEN_CHILD_COUNTS},
      {VELLUM_OUTPUT_ICON_TREE, "icon_tree.htm", nullptr, fonts},
      {VELLUM_OUTPUT_SCRIPT_TREE, "script_tree.htm", nullptr, VELLUM_GEN_EXPAND_COLLAPSE_LINKS},
      {VELLUM_OUTPUT_NAV_COMBO, "nav_combo.htm", nullptr, 0},
      {VELLUM_OUTPUT_INDEX_PAGE, "index_page.htm", nullptr,
       VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER},
      {VELLUM_OUTPUT_LEVEL_TABLE, "level_table.htm", nullptr, 0},
      {VELLUM_OUTPUT_SCRIPT_TREE, "green_tree.htm", "green", VELLUM_GEN_EXPAND_COLLAPSE_LINKS},
      {VELLUM_OUTPUT_INDEX_PAGE, "round_index.htm", "round", VELLUM_GEN_LETTER_BAR_BEFORE},
  };
  for (const auto& page : pages) {
    const std::string output = (folder / page.file).string();
    // The settings a new project starts with, links relative to the page as
    // a site published from this folder needs.
    SiteMapParams params = VellumNewSiteMapParams();
    params.BasePath = output.c_str();
    params.Items = &tree;
    params.Settings.OutputType = static_cast<uint8_t>(page.output_type);
    params.Settings.OutputFile = output.c_str();
    params.Settings.SchemeName = page.scheme;
    params.Settings.HeadTags = "<LINK REL=\"icon\" HREF=\"data:,\">";
    HTMLGSiteMap(&params, page.flags | VELLUM_GEN_RELATIVE_LINKS);
  }
  WriteLinkedPages(folder, tree);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pages FOLDER\n");
    return 2;
  }
  const fs::path folder = fs::absolute(argv[1]);
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string program = fs::canonical("/proc/self/exe").string();
  using namespace vellum::test;
  HTMLinitmess(RecordInfo, RecordError, nullptr, 0, 0, program.c_str());

  std::string outline = kOutline;
  for (char c = 'c'; c <= 'z'; ++c) {
    outline += std::string("\n") + static_cast<char>(c - 'a' + 'A') + "-page -> " + c + ".htm";
  }
  Tree tree(outline);
  WritePages(folder, tree.list());
  WriteHostileSite(folder, "hostile", VELLUM_MARKUP_CLASSIC);
  // The same in HTML5 markup, and the example site.
  const VellumPageSettings html5{sizeof(VellumPageSettings), VELLUM_MARKUP_HTML5, "en"};
  VellumSetPageSettings(&html5);
  WritePages(folder / "html5", tree.list());
  WriteHostileSite(folder / "html5", "hostile", VELLUM_MARKUP_HTML5);
  WriteExampleSite(folder / "html5", "example", VELLUM_MARKUP_HTML5);
  for (const std::string& info : Messages().info) std::fputs(info.c_str(), stdout);
  for (const std::string& error : Messages().errors)
    std::fprintf(stderr, "error: %s\n", error.c_str());
  return Messages().errors.empty() ? 0 : 1;
}
