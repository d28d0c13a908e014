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
#include "core/text_utils.h"
#include "scan/scan_tree.h"
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

// The link name of a page: its description or its title, as the flags ask.
// Pages are someone else's text: what a scan takes from them is kept as
// text, never as markup of the site map.
std::optional<std::string> LinkName(web::TagTokenizer& tokenizer, unsigned scan_flags) {
  web::PageHeadInfo head;
  web::ReadHead(tokenizer, head);
  const std::optional<std::string>& name =
      (scan_flags & VELLUM_SCAN_META_DESCRIPTION) != 0 ? head.description : head.title;
  if (!name) return std::nullopt;
  return core::EscapeMarkup(*name);
}

const char* NameOrNone(const std::optional<std::string>& name) {
  return name ? name->c_str() : nullptr;
}

// The pages of a navigation scan, each read at most once: its link name and
// its links, kept for the rest of the scan. URLs are numbered as they are
// met, so that the links of all pages share their texts.
class SiteReader {
 public:
  struct Page {
    bool read = false;
    bool loaded = false;
    std::optional<std::string> name;
    std::vector<int> links;  // in order of first appearance
  };

  SiteReader(std::string base, unsigned link_flags, unsigned scan_flags, core::Progress& progress)
      : base_(std::move(base)),
        link_flags_(link_flags),
        scan_flags_(scan_flags),
        progress_(progress) {}

  const std::string& base() const { return base_; }
  unsigned link_flags() const { return link_flags_; }
  // Whether the scan was asked to stop: from then on no page is read.
  bool stopped() const { return progress_.stopped(); }

  int Number(std::string_view url) {
    auto found = numbers_.find(url);
    if (found != numbers_.end()) return found->second;
    urls_.emplace_back(url);
    pages_.emplace_back();
    const int number = static_cast<int>(urls_.size() - 1);
    numbers_.emplace(urls_.back(), number);
    return number;
  }

  const std::string& Url(int number) const { return urls_[number]; }

  // The page, read when it is first asked for, with that ask's report mode.
  const Page& Read(int number, int report_mode) {
    Page& page = pages_[number];
    if (page.read) return page;
    page.read = true;
    if (!progress_.Next(urls_[number].c_str())) return page;
    core::LoadedText text;
    if (!web::LoadPage(urls_[number].c_str(), text, report_mode)) return page;
    page.loaded = true;
    web::TagTokenizer tokenizer;
    tokenizer.Attach(std::move(text));
    page.name = LinkName(tokenizer, scan_flags_);
    CountedStringList links{};
    web::CollectLinks(base_, urls_[number], tokenizer, links, link_flags_);
    for (int i = 0; i < links.Count; ++i) page.links.push_back(Number(links.Entries[i].Text));
    core::Clear(links);
    return page;
  }

 private:
  std::string base_;
  unsigned link_flags_;
  unsigned scan_flags_;
  core::Progress& progress_;
  std::deque<std::string> urls_;  // stable, so that the index can view them
  std::deque<Page> pages_;        // stable, so that callers can hold a page
  std::unordered_map<std::string_view, int> numbers_;
};

// The navigation build: from a page, its links become its children or, when
// they link back to it and the build runs at the same level, its siblings;
// then the new siblings and the children are built in turn. Runs on an
// explicit stack, as a site may nest as deep as it has pages.
class NavigationBuild {
 public:
  NavigationBuild(SiteReader& reader, ScanTree& tree, const char* excluded)
      : reader_(reader), tree_(tree), excluded_(excluded) {}

  void Run(int page) {
    Start(page, true);
    while (!frames_.empty() && !reader_.stopped()) Step();
  }

 private:
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
    const SiteReader::Page& page = reader_.Read(page_number, core::kSilent);
    if (!page.loaded) return;
    const std::string& url = reader_.Url(page_number);
    for (const int link : page.links) {
      // Links outside the site are only collected when they are accepted.
      const std::string& link_url = reader_.Url(link);
      if ((excluded_ != nullptr && link_url == excluded_) || tree_.FindUrl(link_url) >= 0) {
        continue;
      }
      const SiteReader::Page& linked = reader_.Read(link, core::kReportAsInfo);
      if (reader_.stopped()) return;
      const ScanTree::Node current = tree_.FindUrl(url);
      if (current < 0) {
        core::ReportRuntimeError(kPageLostBeforeAppend);
        return;
      }
      if (!linked.loaded) continue;
      const bool links_back =
          std::find(linked.links.begin(), linked.links.end(), page_number) != linked.links.end();
      const ScanTree::Level level =
          same_level && links_back ? tree_.LevelOf(current) : tree_.ChildrenOf(current);
      tree_.Append(level, link_url.c_str(), NameOrNone(linked.name), true);
    }
    if (tree_.FindUrl(url) < 0) {
      core::ReportRuntimeError(kPageLostAfterLinks);
      return;
    }
    frames_.push_back({page_number, false, 0});
  }

  // Takes the next unvisited sibling (then child) of the top frame's page
  // and builds from it; ends the frame when there is none left.
  void Step() {
    Frame& frame = frames_.back();
    const ScanTree::Node current = tree_.FindUrl(reader_.Url(frame.page));
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
    if (item.URL != nullptr && (!web::IsOutsideSite(item.URL, reader_.base()) ||
                                (reader_.link_flags() & web::kFollowOutside) != 0)) {
      Start(reader_.Number(item.URL), same_level);
    }
  }

  SiteReader& reader_;
  ScanTree& tree_;
  const char* excluded_;
  std::vector<Frame> frames_;
};

int ScanFromPage(const char* base, const char* excluded, MapItemList& root, unsigned scan_flags,
                 core::Progress& progress) {
  if (base == nullptr || *base == '\0') {
    core::ReportError("no base page to scan");
    return 0;
  }
  SiteReader reader(base, LinkFlagsFor(scan_flags), scan_flags, progress);
  const int base_number = reader.Number(base);
  const SiteReader::Page& page = reader.Read(base_number, core::kReportAsError);
  if (!page.loaded) return 0;
  ScanTree tree(root);
  const ScanTree::Node node = tree.Append(ScanTree::kTop, base, NameOrNone(page.name), true);
  if (node < 0) return 0;
  tree.Item(node)->Visited = 1;
  NavigationBuild(reader, tree, excluded).Run(base_number);
  return 1;
}

void BuildFromFolder(const char* base_folder, const char* excluded, MapItemList& root,
                     const CountedStringList& files, unsigned scan_flags,
                     core::Progress& progress) {
  std::string folder = base_folder != nullptr ? base_folder : "";
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  ScanTree tree(root);
  for (int i = 0; i < files.Count; ++i) {
    const std::string_view path = files.Entries[i].Text;
    // A file outside the base folder has no place among its folders: it
    // stands at the top, under its whole path.
    const bool below = path.substr(0, folder.size()) == folder;
    const std::string relative(below ? path.substr(folder.size()) : path);
    if (excluded != nullptr && core::EqualsNoCase(relative, excluded)) continue;
    if (!progress.Next(files.Entries[i].Text)) break;
    core::LoadedText text;
    if (!web::LoadPage(files.Entries[i].Text, text, core::kReportAsInfo)) continue;
    web::TagTokenizer tokenizer;
    tokenizer.Attach(std::move(text));
    const std::optional<std::string> name = LinkName(tokenizer, scan_flags);

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
    // A file's path is never to be read as an address with a scheme.
    const std::string url = core::LooksLikeScheme(relative) ? "./" + relative : relative;
    if (placed) tree.Append(level, url.c_str(), NameOrNone(name), true);
  }
}

int ScanFolder(const char* folder, const char* excluded, MapItemList& root, unsigned scan_flags,
               core::Progress& progress) {
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
  CountedStringList files{};
  core::ListFolder(folder, config::TheConfig().ExtPage, files, LinkFlagsFor(scan_flags));
  BuildFromFolder(folder, excluded, root, files, scan_flags, progress);
  core::Clear(files);
  return 1;
}

int ScanProject(const Project* project, const char* excluded, MapItemList& root,
                unsigned scan_flags, core::Progress& progress) {
  if (project == nullptr) {
    core::ReportError("no project to scan");
    return 0;
  }
  if (project->Type == 0) {
    return ScanFromPage(project->Source, excluded, root, scan_flags, progress);
  }
  BuildFromFolder(project->Source, excluded, root, project->SourceFiles, scan_flags, progress);
  return 1;
}

bool ByName(const MapItem& a, const MapItem& b) {
  return std::strcmp(a.Name != nullptr ? a.Name : "", b.Name != nullptr ? b.Name : "") < 0;
}

void SortTree(MapItemList& root) {
  std::vector<MapItemList*> pending{&root};
  while (!pending.empty()) {
    MapItemList* list = pending.back();
    pending.pop_back();
    std::stable_sort(list->Items, list->Items + list->Count, ByName);
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

int ScanSite(const SiteMapParams& params, MapItemList& tree, unsigned scan_flags,
             core::Progress& progress) {
  const char* excluded = params.Settings.OutputFile;
  int result = 0;
  switch (params.Settings.Mode) {
    case 0:
      result = ScanFromPage(params.BasePath, excluded, tree, scan_flags, progress);
      break;
    case 1:
      result = ScanFolder(params.BasePath, excluded, tree, scan_flags, progress);
      break;
    case 2:
      result = ScanProject(params.StartEntry, excluded, tree, scan_flags, progress);
      break;
  }
  if (!progress.stopped()) SortTree(tree);
  return result;
}

int ScanSite(const SiteMapParams& params, MapItemList& tree, unsigned scan_flags) {
  core::Progress progress(VELLUM_PROGRESS_SCAN);
  return ScanSite(params, tree, scan_flags, progress);
}

}  // namespace vellum::scan
