// entry: editing the site map tree one entry at a time.
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands.h"
#include "session.h"

namespace vellumark {
namespace {

using Path = std::vector<int32_t>;

// The parts of a path of link names: split at each "/", where "\/" stands
// for a slash inside a name and "\\" for a backslash.
std::vector<std::string> NameParts(const std::string& text) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '/' || text[i + 1] == '\\')) {
      parts.back() += text[++i];
    } else if (text[i] == '/') {
      parts.emplace_back();
    } else {
      parts.back() += text[i];
    }
  }
  return parts;
}

std::string TextOf(const char* text) { return text != nullptr ? text : ""; }

// Every entry whose URL is url, depth first.
std::vector<Path> WithUrl(const MapItemList& root, const std::string& url) {
  std::vector<Path> found;
  struct Level {
    const MapItemList* list;
    int32_t next;
  };
  std::vector<Level> levels{{&root, 0}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.list->Count) {
      levels.pop_back();
      continue;
    }
    const MapItem& item = level.list->Items[level.next++];
    if (item.URL != nullptr && url == item.URL) {
      Path path;
      for (const Level& on : levels) path.push_back(on.next - 1);
      found.push_back(std::move(path));
    }
    if (item.Children.Count > 0) levels.push_back({&item.Children, 0});
  }
  return found;
}

// The entries at a path of link names: at each level, every entry of that
// name below the entries found so far.
std::vector<Path> WithNames(MapItemList& root, const std::string& text) {
  std::vector<Path> found{Path{}};
  for (const std::string& name : NameParts(text)) {
    std::vector<Path> next;
    for (const Path& at : found) {
      const MapItemList* list =
          at.empty() ? &root : &VellumTreeEntry(&root, at.data(), int32_t(at.size()))->Children;
      for (int32_t i = 0; i < list->Count; ++i) {
        if (TextOf(list->Items[i].Name) != name) continue;
        Path path = at;
        path.push_back(i);
        next.push_back(std::move(path));
      }
    }
    found = std::move(next);
  }
  return found;
}

// The one entry that text names: by its URL, else by its path of link
// names. A text that names none, or several, ends the command.
Path Find(MapItemList& root, const std::string& text) {
  std::vector<Path> found = WithUrl(root, text);
  if (found.empty()) found = WithNames(root, text);
  if (found.size() == 1) return found.front();
  throw std::runtime_error(found.empty()
                               ? "no entry '" + Printable(text) + "'"
                               : "'" + Printable(text) + "' names " + std::to_string(found.size()) +
                                     " entries; name one by its path of link names");
}

MapItemList& ListHolding(MapItemList& root, const Path& path) {
  if (path.size() < 2) return root;
  return VellumTreeEntry(&root, path.data(), int32_t(path.size() - 1))->Children;
}

MapItemList& ChildrenOf(MapItemList& root, const Path& path) {
  return VellumTreeEntry(&root, path.data(), int32_t(path.size()))->Children;
}

// A place in the tree: a list and an index there, as the options say.
struct Place {
  MapItemList* list;
  int32_t index;
};

// Where --under, --after, --before or --top put an entry; the end of the
// top level when none is given.
Place TakePlace(Arguments& arguments, MapItemList& root, bool required) {
  const std::optional<std::string> under = arguments.Option("under");
  const std::optional<std::string> after = arguments.Option("after");
  const std::optional<std::string> before = arguments.Option("before");
  const bool top = arguments.Flag("top");
  const int given =
      int(under.has_value()) + int(after.has_value()) + int(before.has_value()) + int(top);
  if (given > 1) throw UsageError("give one of --under, --after, --before and --top");
  if (given == 0 && required) throw UsageError("say where: --under, --after, --before or --top");
  if (under) {
    MapItemList& children = ChildrenOf(root, Find(root, *under));
    return {&children, children.Count};
  }
  if (after || before) {
    const Path path = Find(root, after ? *after : *before);
    return {&ListHolding(root, path), path.back() + (after ? 1 : 0)};
  }
  return {&root, root.Count};
}

const char* OrNull(const std::optional<std::string>& text) {
  return text && !text->empty() ? text->c_str() : nullptr;
}

int Add(Arguments& arguments, MapItemList& root) {
  const std::optional<std::string> name = arguments.Option("name");
  const std::optional<std::string> url = arguments.Option("url");
  const Place place = TakePlace(arguments, root, /*required=*/false);
  arguments.ExpectEnd();
  return VellumTreeInsert(place.list, place.index, OrNull(url), OrNull(name)) != nullptr;
}

int Remove(Arguments& arguments, MapItemList& root) {
  const Path path = Find(root, arguments.Positional("ENTRY"));
  arguments.ExpectEnd();
  MapItem* entry = VellumTreeEntry(&root, path.data(), int32_t(path.size()));
  const int32_t count = 1 + VellumTreeSize(&entry->Children);
  VellumTreeRemove(&root, entry);
  std::printf("removed %d %s\n", count, count == 1 ? "entry" : "entries");
  return 1;
}

int Rename(Arguments& arguments, MapItemList& root) {
  const Path path = Find(root, arguments.Positional("ENTRY"));
  const std::optional<std::string> name = arguments.Option("name");
  const std::optional<std::string> url = arguments.Option("url");
  arguments.ExpectEnd();
  if (!name && !url) throw UsageError("nothing to change: give --name or --url");
  MapItem* entry = VellumTreeEntry(&root, path.data(), int32_t(path.size()));
  if (name) VellumTreeSetText(&entry->Name, name->c_str());
  if (url) VellumTreeSetText(&entry->URL, url->c_str());
  return 1;
}

int Move(Arguments& arguments, MapItemList& root) {
  const Path path = Find(root, arguments.Positional("ENTRY"));
  MapItemList& from = ListHolding(root, path);
  Place place = TakePlace(arguments, root, /*required=*/true);
  arguments.ExpectEnd();
  // The place is counted with the entry still where it is.
  if (place.list == &from && place.index > path.back()) --place.index;
  if (VellumTreeTransfer(&from, path.back(), place.list, place.index) == 0) {
    ReportFailure("an entry cannot move into its own subtree");
    return 0;
  }
  return 1;
}

}  // namespace

int RunEntry(Arguments& arguments) {
  const std::string path = arguments.Positional("PROJECT");
  const std::string action = arguments.Positional("add, remove, rename or move");
  int (*const run)(Arguments&, MapItemList&) = action == "add"      ? Add
                                               : action == "remove" ? Remove
                                               : action == "rename" ? Rename
                                               : action == "move"   ? Move
                                                                    : nullptr;
  if (run == nullptr) throw UsageError("unknown entry action '" + action + "'");
  ScriptItem* item = OpenSiteMap(path).item;
  if (item == nullptr) return ExitStatus();
  if (run(arguments, item->Entries) != 0) SaveProject();
  return ExitStatus();
}

}  // namespace vellumark
