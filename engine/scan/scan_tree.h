// The site map tree while a scan builds it: the caller's MapItemList, grown
// only by appending, with indexes beside it so that finding an item by its
// URL, or a level's first item by its link name, takes constant time instead
// of a walk over the whole tree. The results are those of the walks: the
// first item in depth-first pre-order, the first item of a level.
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "scan/text_index.h"
#include "vellum/vellum.h"

namespace vellum::scan {

class ScanTree {
 public:
  using Node = int;   // an item of the tree; -1 for none
  using Level = int;  // one MapItemList of the tree
  static constexpr Level kTop = 0;

  // Indexes what root already holds; by name too with by_name (FindName),
  // which a tree of a site's size would not carry for nothing.
  explicit ScanTree(MapItemList& root, bool by_name = false);
  ScanTree(const ScanTree&) = delete;
  ScanTree& operator=(const ScanTree&) = delete;

  // The item, valid until the next Append. Nodes stay valid across appends
  // (a failed one indexes the tree afresh and makes new ones).
  MapItem* Item(Node node);
  Level LevelOf(Node node) const { return nodes_[node].level; }
  // The level of node's children.
  Level ChildrenOf(Node node);
  int Count(Level level) const { return levels_[level].count; }
  MapItem& ItemAt(Level level, int index) { return levels_[level].items[index]; }

  // Appends an item (an absent name becomes " " when default_name is set).
  // On failure the tree is indexed afresh from what the list kept, and the
  // result is -1.
  Node Append(Level level, const char* url, const char* name, bool default_name);

  Node FindUrl(std::string_view url) const;
  Node FindName(Level level, std::string_view name) const;  // made with by_name only

  // The first item of level at or after index that is not marked visited;
  // Count(level) when there is none.
  int NextUnvisited(Level level, int index);

 private:
  struct LevelRecord {
    Node parent;     // -1 for the top level
    MapItem* items;  // the level's array and count, as of its last change
    int count;
    int first_unvisited;  // every item before it is visited
  };
  struct NameKey {
    Level level;
    std::string_view name;  // the item's own
    bool operator==(const NameKey&) const = default;
  };
  struct NameKeyHash {
    std::size_t operator()(const NameKey& key) const {
      return std::hash<std::string_view>()(key.name) ^ static_cast<std::size_t>(key.level);
    }
  };
  struct NodeRecord {
    Level level;
    int index;
    Level children;  // -1 until asked for
  };

  MapItemList& Header(Level level);
  Level AddLevel(Node parent, MapItemList& list);
  Node AddNode(Level level, int index);
  void IndexAll();

  MapItemList& root_;
  std::vector<LevelRecord> levels_;
  std::vector<NodeRecord> nodes_;
  struct UrlOf {
    const ScanTree* tree;
    std::string_view operator()(Node node) const;
  };
  // The first node of each URL, of the nodes up to url_indexed_: brought
  // up to date when asked, as a build that knows its nodes never asks.
  mutable TextIndex<UrlOf> by_url_{UrlOf{this}};
  mutable std::size_t url_indexed_ = 0;
  const bool by_name_;
  std::unordered_map<NameKey, Node, NameKeyHash> first_by_name_;
};

}  // namespace vellum::scan
