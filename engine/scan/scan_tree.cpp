#include "scan/scan_tree.h"

#include <algorithm>

#include "core/map_item_list.h"

namespace vellum::scan {

ScanTree::ScanTree(MapItemList& root, bool by_name) : root_(root), by_name_(by_name) { IndexAll(); }

void ScanTree::IndexAll() {
  levels_.clear();
  nodes_.clear();
  by_url_.Clear();
  url_indexed_ = 0;
  first_by_name_.clear();
  AddLevel(-1, root_);
  // Depth first, pre-order, so that the first item indexed under a URL is
  // the one a walk of the tree would meet first.
  struct Position {
    Level level;
    int index;
  };
  std::vector<Position> pending{{kTop, 0}};
  while (!pending.empty()) {
    Position& at = pending.back();
    if (at.index == levels_[at.level].count) {
      pending.pop_back();
      continue;
    }
    const Node node = AddNode(at.level, at.index++);
    if (Item(node)->Children.Count > 0) pending.push_back({ChildrenOf(node), 0});
  }
}

ScanTree::Level ScanTree::AddLevel(Node parent, MapItemList& list) {
  levels_.push_back({parent, list.Items, list.Count, 0});
  return static_cast<Level>(levels_.size() - 1);
}

ScanTree::Node ScanTree::AddNode(Level level, int index) {
  const Node node = static_cast<Node>(nodes_.size());
  nodes_.push_back({level, index, -1});
  const MapItem& item = levels_[level].items[index];
  if (by_name_ && item.Name != nullptr) first_by_name_.try_emplace({level, item.Name}, node);
  return node;
}

std::string_view ScanTree::UrlOf::operator()(Node node) const {
  const NodeRecord& record = tree->nodes_[node];
  return tree->levels_[record.level].items[record.index].URL;
}

MapItem* ScanTree::Item(Node node) {
  const NodeRecord& record = nodes_[node];
  return &levels_[record.level].items[record.index];
}

MapItemList& ScanTree::Header(Level level) {
  const Node parent = levels_[level].parent;
  return parent < 0 ? root_ : Item(parent)->Children;
}

ScanTree::Level ScanTree::ChildrenOf(Node node) {
  if (nodes_[node].children < 0) {
    const Level level = AddLevel(node, Item(node)->Children);
    nodes_[node].children = level;
  }
  return nodes_[node].children;
}

ScanTree::Node ScanTree::Append(Level level, const char* url, const char* name, bool default_name) {
  MapItemList& list = Header(level);
  const MapItem* item =
      default_name ? core::AppendWithDefaultName(list, url, name) : core::Append(list, url, name);
  if (item == nullptr) {
    // The list may have lost its entries, or kept one without its texts.
    IndexAll();
    return -1;
  }
  levels_[level].items = list.Items;
  levels_[level].count = list.Count;
  return AddNode(level, list.Count - 1);
}

ScanTree::Node ScanTree::FindUrl(std::string_view url) const {
  for (; url_indexed_ < nodes_.size(); ++url_indexed_) {
    const Node node = static_cast<Node>(url_indexed_);
    const NodeRecord& record = nodes_[node];
    const char* text = levels_[record.level].items[record.index].URL;
    if (text == nullptr) continue;
    const std::uint32_t hash = by_url_.Hash(text);
    if (by_url_.Find(text, hash) < 0) by_url_.Add(hash, node);
  }
  return by_url_.Find(url);
}

ScanTree::Node ScanTree::FindName(Level level, std::string_view name) const {
  auto found = first_by_name_.find({level, name});
  return found == first_by_name_.end() ? -1 : found->second;
}

int ScanTree::NextUnvisited(Level level, int index) {
  LevelRecord& record = levels_[level];
  while (record.first_unvisited < record.count && record.items[record.first_unvisited].Visited) {
    ++record.first_unvisited;
  }
  index = std::max(index, record.first_unvisited);
  while (index < record.count && record.items[index].Visited) ++index;
  // A level that lost its items to a failed allocation may be shorter than
  // where its walk had got to.
  return std::min(index, record.count);
}

}  // namespace vellum::scan
