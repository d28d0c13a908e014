// Depth-first walks over the site map tree, and the two tree measures of the
// output types. A tree from a scan or a project file may nest thousands of
// levels, so nothing here recurses: the walk keeps its own stack.
#pragma once

#include <vector>

#include "vellum/vellum.h"

namespace vellum::generate {

// True for an item with a child list to show: a branch of the tree.
inline bool HasChildren(const MapItem& item) { return item.Children.Count > 0; }

// The hooks of WalkTree; a visitor derives from this and hides the ones it
// needs. A hook that returns false ends the walk.
struct TreeVisitor {
  // Before the first item of a list (also of an empty one).
  bool EnterList(const MapItemList& /*list*/, int /*level*/) { return true; }
  // For each item, before its child list is walked.
  bool Item(const MapItem& /*item*/, int /*index*/, int /*level*/) { return true; }
  // For each item, after its child list was walked.
  bool AfterItem(const MapItem& /*item*/, int /*index*/, int /*level*/) { return true; }
  // After the last item of a list.
  bool LeaveList(const MapItemList& /*list*/, int /*level*/) { return true; }
};

// Walks root (level 0) and every child list below it (the level of its item
// plus one), in the order a recursive walk would: each item before its
// children, the children before the next item. A negative count is taken as
// an empty list. False when a hook ended the walk.
template <typename Visitor>
bool WalkTree(const MapItemList& root, Visitor& visitor) {
  // Per open list, the item whose children are being walked (-1 before the
  // first).
  struct Frame {
    const MapItemList* list;
    int index;
  };
  std::vector<Frame> frames;
  if (!visitor.EnterList(root, 0)) return false;
  frames.push_back({&root, -1});
  while (!frames.empty()) {
    Frame& frame = frames.back();
    const MapItemList& list = *frame.list;
    const int level = static_cast<int>(frames.size()) - 1;
    if (frame.index >= 0 && !visitor.AfterItem(list.Items[frame.index], frame.index, level)) {
      return false;
    }
    const int index = ++frame.index;
    if (index >= list.Count) {
      if (!visitor.LeaveList(list, level)) return false;
      frames.pop_back();
      continue;
    }
    const MapItem& item = list.Items[index];
    if (!visitor.Item(item, index, level) || !visitor.EnterList(item.Children, level + 1)) {
      return false;
    }
    frames.push_back({&item.Children, -1});  // invalidates frame
  }
  return true;
}

// The deepest level of a list that the walk enters, empty lists included: 0
// for an empty root list, 1 for a root list of leaves, 2 with grandchildren.
int MaxDepth(const MapItemList& root);

// For every item of the tree, in walk order, the number of table rows its
// subtree takes beyond the first in a table whose last column is
// last_column: for a list of n items, max(n - 1, 0) plus the extra rows of
// each item's child list. An item of the last column or deeper takes a row
// of its own, and its descendants one each below it.
std::vector<int> CountExtraRows(const MapItemList& root, int last_column);

}  // namespace vellum::generate
