#include "scan/site_scan.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/directory_search.h"
#include "core/messages.h"
#include "core/natural_order.h"
#include "core/owned.h"
#include "core/text_utils.h"
#include "scan/scan_tree.h"
#include "scan/site_graph.h"
#include "web/links.h"
#include "web/page_access.h"
#include "web/url_class.h"

namespace vellum::scan {
namespace {

// Places that lose track of the current page's item, which only a list lost
// to an allocation failure can bring about.
constexpr int kPageLostBeforeAppend = 129;
constexpr int kPageLostAfterLinks = 152;
constexpr int kPageLostAfterSibling = 162;
constexpr int kPageLostAfterChild = 175;

bool HasSeparator(std::string_view path) { return path.find_first_of("\\/") != path.npos; }

// The link name of a page: its description or its title, as the flags ask;
// the description falls back to the title, the title to the file's name.
// Pages are someone else's text: what a scan takes from them is kept as
// text, never as markup of the site map.
std::string LinkName(web::TagTokenizer& tokenizer, unsigned scan_flags, std::string_view path) {
  web::PageHeadInfo head;
  web::ReadHead(tokenizer, head);
  const bool by_description = (scan_flags & VELLUM_SCAN_META_DESCRIPTION) != 0;
  const std::optional<std::string>& name =
      by_description && head.description && !head.description->empty() ? head.description
                                                                       : head.title;
  if (name && !name->empty()) return core::EscapeMarkup(*name);
  const std::size_t cut = path.find_last_of("\\/");
  return core::EscapeMarkup(cut == path.npos ? path : path.substr(cut + 1));
}

// The navigation build: from a page, its links become its children or, when
// they link back to it and the build runs at the same level, its siblings;
// then the new siblings and the children are built in turn. Runs on an
// explicit stack, as a site may nest as deep as it has pages.
class NavigationBuild {
 public:
  // only_page: the tree holds the page the build starts from, and nothing else.
  NavigationBuild(SiteGraph& graph, ScanTree& tree, const char* excluded, bool only_page)
      : graph_(graph),
        tree_(tree),
        excluded_(excluded),
        node_of_(graph.pages(), -1),
        by_number_(only_page) {}

  // node: the item of page, the only one of the tree.
  void Run(int page, ScanTree::Node node) {
    Placed(page, tree_.LevelOf(node), node);
    Start(page, true);
    while (!frames_.empty()) Step();
  }

 private:
  // The item of page's address; -1 when the tree holds none. Every item is
  // a page of the graph, and no two pages share an address: known by the
  // page's number, until an append fails (the tree may then have lost
  // items, and its nodes are made afresh).
  ScanTree::Node NodeOf(int page) const {
    return by_number_ ? node_of_[page] : tree_.FindUrl(graph_.Url(page));
  }
  bool InTree(int page) const { return NodeOf(page) >= 0; }

  // Notes that node, the last item of level, is page's.
  void Placed(int page, ScanTree::Level level, ScanTree::Node node) {
    node_of_[page] = node;
    if (static_cast<std::size_t>(level) >= pages_of_level_.size())
      pages_of_level_.resize(level + 1);
    pages_of_level_[level].push_back(page);
  }

  // The part of a build that follows the placing of its page's links: the
  // walk over the page's siblings, then over its children.
  struct Frame {
    int page;
    bool in_children;  // past the siblings
    int next;          // the next index to look at
  };

  // Places the links of page into the tree and, when the page still has its
  // item, pushes the walk over its siblings and children.
  void Start(int page_number, bool same_level) {
    const SiteGraph::Page& page = graph_.Read(page_number, core::kSilent);
    if (page.state != SiteGraph::State::kLoaded) return;
    ScanTree::Node current = NodeOf(page_number);
    for (const int link : page.links) {
      if (InTree(link)) continue;
      // Links outside the site are only collected when they are accepted.
      const std::string& link_url = graph_.Url(link);
      if (excluded_ != nullptr && link_url == excluded_) continue;
      const SiteGraph::Page& linked = graph_.Read(link, core::kReportAsInfo);
      if (current < 0) {
        core::ReportRuntimeError(kPageLostBeforeAppend);
        return;
      }
      // A page that asks to stay out of indexes stays out of the map.
      if (linked.state != SiteGraph::State::kLoaded || linked.noindex) continue;
      const bool links_back =
          std::find(linked.links.begin(), linked.links.end(), page_number) != linked.links.end();
      const ScanTree::Level level =
          same_level && links_back ? tree_.LevelOf(current) : tree_.ChildrenOf(current);
      const ScanTree::Node node = tree_.Append(level, link_url.c_str(), linked.Name(), true);
      if (node >= 0) {
        Placed(link, level, node);
      } else {
        by_number_ = false;
        current = NodeOf(page_number);
      }
    }
    if (current < 0) {
      core::ReportRuntimeError(kPageLostAfterLinks);
      return;
    }
    frames_.push_back({page_number, false, 0});
  }

  // Takes the next unvisited sibling (then child) of the top frame's page
  // and builds from it; ends the frame when there is none left.
  void Step() {
    Frame& frame = frames_.back();
    const ScanTree::Node current = NodeOf(frame.page);
    if (current < 0) {
      core::ReportRuntimeError(frame.in_children ? kPageLostAfterChild : kPageLostAfterSibling);
      frames_.pop_back();
      return;
    }
    const ScanTree::Level level =
        frame.in_children ? tree_.ChildrenOf(current) : tree_.LevelOf(current);
    const int index = tree_.NextUnvisited(level, frame.next);
    if (index == tree_.Count(level)) {
      if (frame.in_children) {
        frames_.pop_back();
      } else {
        frame.in_children = true;
        frame.next = 0;
      }
      return;
    }
    frame.next = index + 1;
    MapItem& item = tree_.ItemAt(level, index);
    item.Visited = 1;
    // The links of a sibling go below it; those of a child may stand beside it.
    const bool same_level = frame.in_children;
    if (item.URL != nullptr && (!web::IsOutsideSite(item.URL, graph_.base()) ||
                                (graph_.link_flags() & web::kFollowOutside) != 0)) {
      const int page = by_number_ ? pages_of_level_[level][index] : graph_.Find(item.URL);
      if (page >= 0) Start(page, same_level);
    }
  }

  SiteGraph& graph_;
  ScanTree& tree_;
  const char* excluded_;
  std::vector<Frame> frames_;
  // While by_number_: the item of each page, and the page of each item.
  std::vector<ScanTree::Node> node_of_;
  std::vector<std::vector<int>> pages_of_level_;  // by level, in the level's order
  bool by_number_;
};

// What a scan needs beside its site: its settings, its progress and its
// report.
struct ScanContext {
  const CrawlSettings& settings;
  core::Progress& progress;
  ScanReport& report;
};

// A base page as the crawl knows it: a page on disk by the address its
// links would give it.
std::string BaseAddress(const char* base) {
  return web::IsWebAddress(base) ? std::string(base) : core::LocalAddressOf(base);
}

int ScanFromPage(const char* base, const char* excluded, MapItemList& root, unsigned scan_flags,
                 const ScanContext& context) {
  if (base == nullptr || *base == '\0') {
    core::ReportError("no base page to scan");
    return 0;
  }
  SiteGraph graph(BaseAddress(base), excluded, LinkFlagsFor(scan_flags), scan_flags,
                  context.settings, context.progress, context.report);
  if (!graph.Crawl()) return 0;
  context.report.base = web::IsWebAddress(base) ? graph.base() : core::LocalPathOf(graph.base());
  const int base_number = graph.base_number();
  const SiteGraph::Page& page = graph.Read(base_number, core::kReportAsError);
  const bool empty = root.Count == 0;
  ScanTree tree(root);
  const ScanTree::Node node =
      tree.Append(ScanTree::kTop, graph.Url(base_number).c_str(), page.Name(), true);
  if (node < 0) return 0;
  tree.Item(node)->Visited = 1;
  NavigationBuild(graph, tree, excluded, empty).Run(base_number, node);
  context.report.kept = graph.TakeKept();
  return 1;
}

// The link name of a page file: the kept one when the file did not change
// since the last scan, else read from the file. False, reported as broken,
// when the file cannot be read.
bool NameOfFile(const std::string& path, unsigned scan_flags, const ScanContext& context,
                std::string& name) {
  const PageVersion version = FileVersion(path);
  const KeptPage* kept =
      context.settings.kept != nullptr ? context.settings.kept->Find(path) : nullptr;
  if (Unchanged(version, kept)) {
    ++context.report.pages_unchanged;
    name = kept->name;
    context.report.KeepExtras(
        path, KeptExtras(context.settings.kept_extras, path, context.settings.sitemap_extras));
  } else {
    core::LoadedText text;
    if (!core::LoadWholePath(path.c_str(), text, core::kReportAsInfo)) {
      context.report.broken.push_back({path, "", 0, "not found"});
      return false;
    }
    ++context.report.pages_read;
    web::TagTokenizer tokenizer;
    tokenizer.Attach(std::move(text));
    name = LinkName(tokenizer, scan_flags, path);
    if (const unsigned wanted = context.settings.sitemap_extras; wanted != 0) {
      context.report.KeepExtras(
          path, web::CollectPageExtras(core::LocalAddressOf(path), tokenizer, wanted));
    }
  }
  if (version.Known())
    context.report.kept.Keep(context.report.kept.Number(path)) = {version, name, false, -1, {}};
  return true;
}

void BuildFromFolder(const char* base_folder, const char* excluded, MapItemList& root,
                     const CountedStringList& files, unsigned scan_flags,
                     const ScanContext& context) {
  const core::AddressPatterns include(context.settings.include);
  const core::AddressPatterns exclude(context.settings.exclude);
  std::string folder = base_folder != nullptr ? base_folder : "";
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  ScanTree tree(root, true);
  for (int i = 0; i < files.Count; ++i) {
    const std::string_view path = files.Entries[i].Text;
    // A file outside the base folder has no place among its folders: it
    // stands at the top, under its whole path.
    const bool below = path.substr(0, folder.size()) == folder;
    const std::string relative(below ? path.substr(folder.size()) : path);
    if (excluded != nullptr && core::EqualsNoCase(relative, excluded)) continue;
    if ((!include.empty() && !include.Matches(path)) ||
        (!exclude.empty() && exclude.Matches(path))) {
      continue;
    }
    if (context.report.pages_read + context.report.pages_unchanged >= context.settings.page_limit) {
      core::ReportInfo(core::FormatText("Page limit reached: the scan reads %i pages at most\n",
                                        context.settings.page_limit)
                           .c_str());
      break;
    }
    if (!context.progress.Next(files.Entries[i].Text)) break;
    std::string name;
    if (!NameOfFile(files.Entries[i].Text, scan_flags, context, name)) continue;

    // Down the folder items named after the folders of the path, making
    // those not met before.
    ScanTree::Level level = ScanTree::kTop;
    std::string_view folders = below ? std::string_view(relative) : std::string_view();
    folders = folders.substr(0, std::min(folders.size(), folders.find_last_of("\\/")));
    bool placed = true;
    while (placed && HasSeparator(relative) && !folders.empty()) {
      const std::size_t end = std::min(folders.size(), folders.find_first_of("\\/"));
      const std::string folder_name = core::EscapeMarkup(folders.substr(0, end));
      folders.remove_prefix(std::min(folders.size(), end + 1));
      if (folder_name.empty()) continue;
      ScanTree::Node node = tree.FindName(level, folder_name);
      if (node < 0) node = tree.Append(level, nullptr, folder_name.c_str(), false);
      placed = node >= 0;
      if (placed) level = tree.ChildrenOf(node);
    }
    // A file's path is never to be read as an address with a scheme, nor
    // its "#", "?" or "%" as parts of one.
    const std::string address = core::LocalAddressOf(relative);
    const std::string url = core::LooksLikeScheme(address) ? "./" + address : address;
    if (placed) tree.Append(level, url.c_str(), name.c_str(), true);
  }
}

int ScanFolder(const char* folder, const char* excluded, MapItemList& root, unsigned scan_flags,
               const ScanContext& context) {
  if (folder != nullptr && web::IsWebAddress(folder)) {
    core::ReportError(
        core::FormatText("'%s' is a web address: only a folder on disk is listed", folder).c_str());
    return 0;
  }
  std::error_code error;
  if (folder != nullptr && *folder != '\0' && !std::filesystem::is_directory(folder, error)) {
    core::ReportError(core::FormatText("folder '%s' not found", folder).c_str());
    return 0;
  }
  context.report.base = folder != nullptr ? folder : "";
  core::Owned<CountedStringList> files;
  core::ListFolder(folder, config::TheConfig().ExtPage, *files, LinkFlagsFor(scan_flags));
  BuildFromFolder(folder, excluded, root, *files, scan_flags, context);
  return 1;
}

int ScanProject(const Project* project, const char* excluded, MapItemList& root,
                unsigned scan_flags, const ScanContext& context) {
  if (project == nullptr) {
    core::ReportError("no project to scan");
    return 0;
  }
  if (project->Type == 0) {
    return ScanFromPage(project->Source, excluded, root, scan_flags, context);
  }
  context.report.base = project->Source != nullptr ? project->Source : "";
  BuildFromFolder(project->Source, excluded, root, project->SourceFiles, scan_flags, context);
  return 1;
}

const char* NameOf(const MapItem& item) { return item.Name != nullptr ? item.Name : ""; }

bool ByName(const MapItem& a, const MapItem& b) { return std::strcmp(NameOf(a), NameOf(b)) < 0; }

bool ByNaturalName(const MapItem& a, const MapItem& b) {
  return core::NaturalCompare(NameOf(a), NameOf(b)) < 0;
}

// Sorts every level of the tree as order asks; the order the pages were
// found in is the order the scan built.
void SortTree(MapItemList& root, int order) {
  if (order == VELLUM_ORDER_FOUND) return;
  const auto less = order == VELLUM_ORDER_NATURAL ? ByNaturalName : ByName;
  std::vector<MapItemList*> pending{&root};
  while (!pending.empty()) {
    MapItemList* list = pending.back();
    pending.pop_back();
    std::stable_sort(list->Items, list->Items + list->Count, less);
    for (int i = 0; i < list->Count; ++i) {
      if (list->Items[i].Children.Count > 0) pending.push_back(&list->Items[i].Children);
    }
  }
}

}  // namespace

unsigned LinkFlagsFor(unsigned scan_flags) {
  unsigned flags = web::kPageLinks;
  if ((scan_flags & VELLUM_SCAN_IGNORE_BOOKMARKS) == 0) flags |= web::kKeepBookmarks;
  if ((scan_flags & VELLUM_SCAN_IGNORE_ARGUMENTS) == 0) flags |= web::kKeepArguments;
  if ((scan_flags & VELLUM_SCAN_ADD_OTHER_SITES) != 0) flags |= web::kOutsideSite;
  if ((scan_flags & VELLUM_SCAN_FOLLOW_OTHER_SITES) != 0) flags |= web::kFollowOutside;
  return flags;
}

bool ListLinkedPages(const char* start, int start_report, const CrawlSettings& settings,
                     core::Progress& progress, std::vector<std::string>& pages) {
  if (start == nullptr || *start == '\0') return false;
  ScanReport report;
  SiteGraph graph(BaseAddress(start), nullptr, web::kPageLinks, 0, settings, progress, report);
  graph.KeepAddressesOnly();
  graph.ReportBaseAs(start_report);
  if (!graph.Crawl()) return false;
  pages = graph.LoadedPages();
  for (std::string& page : pages) {
    if (!web::IsWebAddress(page)) page = core::LocalPathOf(page);
  }
  return true;
}

int ScanSite(const SiteMapParams& params, MapItemList& tree, unsigned scan_flags,
             const CrawlSettings& settings, core::Progress& progress, ScanReport& report) {
  const char* excluded = params.Settings.OutputFile;
  const ScanContext context{settings, progress, report};
  int result = 0;
  switch (params.Settings.Mode) {
    case 0:
      result = ScanFromPage(params.BasePath, excluded, tree, scan_flags, context);
      break;
    case 1:
      result = ScanFolder(params.BasePath, excluded, tree, scan_flags, context);
      break;
    case 2:
      result = ScanProject(params.StartEntry, excluded, tree, scan_flags, context);
      break;
  }
  if (!progress.stopped()) SortTree(tree, settings.order);
  return result;
}

}  // namespace vellum::scan
