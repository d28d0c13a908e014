// Site map trees written as text: built from an outline, and dumped back one
// item a line, so tests state and compare whole trees at a glance.
#pragma once

#include <string>
#include <string_view>

#include "vellum/vellum.h"

namespace vellum::test {

// A tree built from an outline, one item per line, two spaces of indentation
// per level: "Name -> url" ("-> url" for an empty name, "~ -> url" for an
// absent one; a line without an arrow has no URL). Freed with the object.
class Tree {
 public:
  explicit Tree(std::string_view outline);
  ~Tree();
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  MapItemList& list() { return list_; }

 private:
  MapItemList list_{0, nullptr};
};

// "name | URL" per item ("-" for an absent name or URL), children indented by
// two spaces; every occurrence of root in a URL is written as "ROOT/".
std::string DumpTree(const MapItemList& tree, const std::string& root = "");

}  // namespace vellum::test
