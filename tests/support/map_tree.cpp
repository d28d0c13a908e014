#include "support/map_tree.h"

#include <algorithm>
#include <vector>

#include "core/map_item_list.h"

namespace vellum::test {

Tree::Tree(std::string_view outline) {
  // The list that receives the next item of each level.
  std::vector<MapItemList*> levels{&list_};
  while (!outline.empty()) {
    std::string_view line = outline.substr(0, outline.find('\n'));
    outline.remove_prefix(std::min(outline.size(), line.size() + 1));
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string_view::npos) continue;
    line.remove_prefix(indent);
    const std::size_t level = indent / 2;
    // "-> url" is an item with an empty name.
    const std::size_t arrow = line.starts_with("-> ") ? 0 : line.find(" -> ");
    const bool linked = arrow != std::string_view::npos;
    const std::string name(line.substr(0, arrow));
    const std::string url(linked ? line.substr(line.find("-> ", arrow) + 3) : "");
    MapItem* item = core::Append(*levels.at(level), linked ? url.c_str() : nullptr,
                                 name == "~" ? nullptr : name.c_str());
    levels.resize(level + 1);
    levels.push_back(&item->Children);
  }
}

Tree::~Tree() { core::Clear(list_); }

std::string DumpTree(const MapItemList& tree, const std::string& root) {
  std::string dump;
  struct Position {
    const MapItemList* list;
    int index;
  };
  std::vector<Position> pending{{&tree, 0}};
  while (!pending.empty()) {
    Position& at = pending.back();
    if (at.index == at.list->Count) {
      pending.pop_back();
      continue;
    }
    const MapItem& item = at.list->Items[at.index++];
    std::string url = item.URL != nullptr ? item.URL : "-";
    if (!root.empty()) {
      for (std::size_t found; (found = url.find(root)) != std::string::npos;) {
        url.replace(found, root.size(), "ROOT/");
      }
    }
    dump += std::string(2 * (pending.size() - 1), ' ') + (item.Name != nullptr ? item.Name : "-") +
            " | " + url + "\n";
    if (item.Children.Count > 0) pending.push_back({&item.Children, 0});
  }
  return dump;
}

}  // namespace vellum::test
