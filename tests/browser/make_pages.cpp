// Generates one site into a folder with the built engine, for the browser
// test: the same tree in each of the seven output types (and the script tree
// and the index page again with the shipped extra schemes), beside the pages
// that the tree links to.
//
//   make_pages FOLDER
//
// The program lies in the build tree's IDE/ folder, so the engine finds the
// resource folder beside it. Exits non-zero when the engine reported an error.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vellum/vellum.h"

namespace {

namespace fs = std::filesystem;

// Ids of the script tree repeat between branches: "Tools" and "Team" are
// both the first branch of a level-1 list, "Garden" and "Contact" both
// follow a branch. Enough names to make the index page longer than a screen.
constexpr std::string_view kOutline = R"(Home -> home.htm
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
_Drafts -> drafts.htm
Catalogue -> catalogue.htm
Delivery -> delivery.htm
Events -> events.htm
FAQ -> faq.htm
Gallery -> gallery.htm
History -> history.htm
Imprint -> imprint.htm
Jobs -> jobs.htm
Kits -> kits.htm
Links -> links.htm
Maps -> maps.htm
News -> news.htm
Offers -> offers.htm
Partners -> partners.htm
Quality -> quality.htm
Returns -> returns.htm
Shipping -> shipping.htm
Terms -> terms.htm
Updates -> updates.htm
Videos -> videos.htm
Warranty -> warranty.htm
Xmas -> xmas.htm
Yard -> yard.htm
Zinc -> zinc.htm)";

// A tree from an outline: two spaces of indentation per level, "Name ->
// url", or a name alone for an item without URL. The texts live in strings_.
class Tree {
 public:
  explicit Tree(std::string_view outline) {
    std::vector<std::vector<MapItem>*> levels{&root_};
    while (!outline.empty()) {
      std::string_view line = outline.substr(0, outline.find('\n'));
      outline.remove_prefix(std::min(outline.size(), line.size() + 1));
      const std::size_t level = line.find_first_not_of(' ') / 2;
      line.remove_prefix(level * 2);
      const std::size_t arrow = line.find(" -> ");
      MapItem item{};
      item.Name = Keep(line.substr(0, arrow));
      if (arrow != std::string_view::npos) item.URL = Keep(line.substr(arrow + 4));
      levels.resize(level + 1);
      levels[level]->push_back(item);
      children_.push_back(std::make_unique<std::vector<MapItem>>());
      owners_.push_back({levels[level], levels[level]->size() - 1});
      levels.push_back(children_.back().get());
    }
    // Vectors no longer move: point each item at its children now.
    for (std::size_t i = 0; i < owners_.size(); ++i) {
      MapItem& item = (*owners_[i].list)[owners_[i].index];
      item.Children = {static_cast<int32_t>(children_[i]->size()), children_[i]->data()};
    }
    list_ = {static_cast<int32_t>(root_.size()), root_.data()};
  }

  MapItemList* list() { return &list_; }

  // Every linked item, for the pages the tree links to.
  std::vector<const MapItem*> Linked() const {
    std::vector<const MapItem*> items;
    for (const Owner& owner : owners_) {
      const MapItem& item = (*owner.list)[owner.index];
      if (item.URL != nullptr) items.push_back(&item);
    }
    return items;
  }

 private:
  struct Owner {
    std::vector<MapItem>* list;
    std::size_t index;
  };

  const char* Keep(std::string_view text) {
    strings_.push_back(std::make_unique<std::string>(text));
    return strings_.back()->c_str();
  }

  std::vector<MapItem> root_;
  std::vector<std::unique_ptr<std::vector<MapItem>>> children_;
  std::vector<Owner> owners_;
  std::vector<std::unique_ptr<std::string>> strings_;
  MapItemList list_{};
};

int errors = 0;

int32_t PrintInfo(const char* text) {
  std::fputs(text, stdout);
  return 1;
}

int32_t PrintError(const char* text) {
  std::fprintf(stderr, "error: %s\n", text);
  ++errors;
  return 1;
}

struct Page {
  int output_type;
  const char* file;
  const char* scheme;
  uint32_t flags;
};

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
  HTMLinitmess(PrintInfo, PrintError, nullptr, 0, 0, program.c_str());

  Tree tree(kOutline);
  const uint32_t fonts = VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR;
  const Page pages[] = {
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
  for (const Page& page : pages) {
    const std::string output = (folder / page.file).string();
    // Links relative to the page, as a site published from this folder needs.
    SiteMapParams params{};
    params.BasePath = output.c_str();
    SiteMapSettings& settings = params.Settings;
    settings.OutputType = static_cast<uint8_t>(page.output_type);
    settings.OutputFile = output.c_str();
    settings.ImageFolder = "img";
    settings.SchemeName = page.scheme;
    settings.Title = page.file;
    settings.ComboTitle = "Go to";
    settings.TopCrumbText = "Site";
    settings.CrumbSeparator = "&gt;";
    settings.ExpandText = "Expand all";
    settings.CollapseText = "Collapse all";
    settings.OtherName = "Other";
    settings.FontColor = "003063";
    settings.FontSize = 2;
    settings.TableBorder = 1;
    settings.HeadTags = "<LINK REL=\"icon\" HREF=\"data:,\">";
    params.Items = tree.list();
    HTMLGSiteMap(&params, page.flags | VELLUM_GEN_RELATIVE_LINKS);
  }
  for (const MapItem* item : tree.Linked()) {
    std::ofstream(folder / item->URL) << "<HTML><HEAD><TITLE>" << item->Name
                                      << "</TITLE><LINK REL=\"icon\" HREF=\"data:,\"></HEAD>"
                                      << "<BODY><H1>" << item->Name << "</H1></BODY></HTML>\n";
  }
  return errors == 0 ? 0 : 1;
}
