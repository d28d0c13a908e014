#include "generate/tree_walk.h"

#include <algorithm>
#include <utility>

namespace vellum::generate {

int MaxDepth(const MapItemList& root) {
  struct Deepest : TreeVisitor {
    int max = 0;
    bool EnterList(const MapItemList& /*list*/, int level) {
      max = std::max(max, level);
      return true;
    }
  } deepest;
  WalkTree(root, deepest);
  return deepest.max;
}

std::vector<int> CountExtraRows(const MapItemList& root, int last_column) {
  // A subtree takes one row per leaf, and one per item of the last column;
  // an item's extra rows are its rows beyond the first.
  struct Rows : TreeVisitor {
    int last_column;
    std::vector<int> rows;
    std::vector<int> open;  // walk indexes of the items whose children are walked
    bool Item(const MapItem& /*item*/, int /*index*/, int level) {
      open.push_back(static_cast<int>(rows.size()));
      rows.push_back(level >= last_column ? 1 : 0);
      return true;
    }
    bool AfterItem(const MapItem& /*item*/, int /*index*/, int /*level*/) {
      int& own = rows[open.back()];
      open.pop_back();
      own = std::max(own, 1);
      if (!open.empty()) rows[open.back()] += own;
      return true;
    }
  } counter{{}, last_column, {}, {}};
  WalkTree(root, counter);
  for (int& rows : counter.rows) --rows;
  return std::move(counter.rows);
}

}  // namespace vellum::generate
