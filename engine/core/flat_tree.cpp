#include "core/flat_tree.h"

#include <algorithm>

#include "core/map_item_list.h"

namespace vellum::core {

Tree Flatten(const MapItemList& list) {
  Tree flat;
  struct Position {
    const MapItemList* list;
    int next;
  };
  std::vector<Position> pending{{&list, 0}};
  while (!pending.empty()) {
    Position& at = pending.back();
    if (at.next >= at.list->Count) {
      pending.pop_back();
      continue;
    }
    const MapItem& item = at.list->Items[at.next++];
    flat.push_back({static_cast<int>(pending.size() - 1), item.URL != nullptr ? item.URL : "",
                    item.Name != nullptr ? item.Name : ""});
    if (item.Children.Count > 0) pending.push_back({&item.Children, 0});
  }
  return flat;
}

bool Unflatten(const Tree& tree, MapItemList& list) {
  Clear(list);
  // The list each depth appends to; an entry's children list stays where it
  // is while its siblings grow, as it is reached through the latest entry.
  std::vector<MapItemList*> levels{&list};
  for (const TreeEntry& entry : tree) {
    const std::size_t depth = std::min<std::size_t>(std::max(entry.depth, 0), levels.size() - 1);
    levels.resize(depth + 1);
    MapItem* item = Append(*levels.back(), entry.url.empty() ? nullptr : entry.url.c_str(),
                           entry.name.empty() ? nullptr : entry.name.c_str());
    if (item == nullptr) {
      Clear(list);
      return false;
    }
    levels.push_back(&item->Children);
  }
  return true;
}

}  // namespace vellum::core
