// A site map tree as plain data: its entries depth first, each before its
// children, with their depths. Flat, so that copies, comparisons and walks of
// a tree as deep as a site may nest never recurse.
#pragma once

#include <string>
#include <vector>

#include "vellum/vellum.h"

namespace vellum::core {

// One entry; "" stands for an absent URL or name.
struct TreeEntry {
  int depth = 0;  // 0 at the top level
  std::string url;
  std::string name;

  bool operator==(const TreeEntry&) const = default;
};
// Every entry is at most one level deeper than the one before it.
using Tree = std::vector<TreeEntry>;

Tree Flatten(const MapItemList& list);

// Replaces list with the entries of tree (a deeper jump is taken as one
// level). False, with "memory overflou" reported and list emptied, when
// memory ran out.
bool Unflatten(const Tree& tree, MapItemList& list);

}  // namespace vellum::core
