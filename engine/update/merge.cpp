#include "update/merge.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellum::update {
namespace {

// The first node of each key number; -1 none.
class ByKey {
 public:
  int Find(int key) const { return key < static_cast<int>(first_.size()) ? first_[key] : -1; }
  bool Has(int key) const { return Find(key) >= 0; }
  // Makes node the first of key, unless key has one.
  void Add(int key, int node) {
    if (key >= static_cast<int>(first_.size())) first_.resize(key + 1, -1);
    if (first_[key] < 0) first_[key] = node;
  }
  void Clear() { first_.assign(first_.size(), -1); }

 private:
  std::vector<int> first_;
};

// A tree with parents and children by index, built from the flat form. Its
// texts are views into the trees merged.
struct Node {
  int key = -1;
  std::string_view url;
  std::string_view name;
  int parent = -1;
  std::vector<int> children;
};

struct Nodes {
  std::vector<Node> nodes;
  std::vector<int> top;
  ByKey by_key;  // depth first

  std::vector<int>& ListOf(int parent) { return parent < 0 ? top : nodes[parent].children; }
  const std::vector<int>& ListOf(int parent) const {
    return parent < 0 ? top : nodes[parent].children;
  }
  int ParentKey(int node) const {
    const int parent = nodes[node].parent;
    return parent < 0 ? -1 : nodes[parent].key;
  }
};

// The key of an entry: its address's, or for an entry without one, its name
// under its parent's key.
int KeyOf(const TreeEntry& entry, int parent_key, AddressKeys& keys) {
  if (!entry.url.empty()) return keys(entry.url);
  return keys.Made(std::to_string(parent_key).append(1, '/').append(entry.name));
}

Nodes Build(const Tree& tree, AddressKeys& keys) {
  Nodes built;
  built.nodes.reserve(tree.size());
  std::vector<int> path;  // the last node at each depth
  for (const TreeEntry& entry : tree) {
    const std::size_t depth = std::min<std::size_t>(std::max(entry.depth, 0), path.size());
    path.resize(depth);
    const int parent = path.empty() ? -1 : path.back();
    const int number = static_cast<int>(built.nodes.size());
    Node node;
    node.url = entry.url;
    node.name = entry.name;
    node.parent = parent;
    node.key = KeyOf(entry, parent < 0 ? -1 : built.nodes[parent].key, keys);
    built.by_key.Add(node.key, number);
    built.nodes.push_back(std::move(node));
    built.ListOf(parent).push_back(number);
    path.push_back(number);
  }
  return built;
}

Tree Flatten(const Nodes& tree) {
  Tree flat;
  flat.reserve(tree.nodes.size());
  struct Position {
    const std::vector<int>* list;
    std::size_t next;
  };
  std::vector<Position> pending{{&tree.top, 0}};
  while (!pending.empty()) {
    Position& at = pending.back();
    if (at.next == at.list->size()) {
      pending.pop_back();
      continue;
    }
    const Node& node = tree.nodes[(*at.list)[at.next++]];
    flat.push_back(
        {static_cast<int>(pending.size() - 1), std::string(node.url), std::string(node.name)});
    if (!node.children.empty()) pending.push_back({&node.children, 0});
  }
  return flat;
}

class Merger {
 public:
  Merger(const Tree& base, const Tree& user, const Tree& scan, AddressKeys& keys)
      : base_(Build(base, keys)), result_(Build(user, keys)), scan_(Build(scan, keys)) {}

  MergeResult Run() {
    TakeUserEntries();
    AddNewPages();
    MergeResult merged;
    merged.tree = Flatten(result_);
    merged.changes = std::move(changes_);
    return merged;
  }

 private:
  // Decides each entry of the user's tree, children before their parents,
  // so that the entries a removed one holds are final when they move up.
  void TakeUserEntries() {
    const std::size_t count = result_.nodes.size();
    std::vector<std::optional<Change>> decided(count);
    std::vector<char> removed(count, 0);
    for (std::size_t i = count; i-- > 0;) {
      Node& node = result_.nodes[i];
      bool gone = false;
      decided[i] = Decide(static_cast<int>(i), gone);
      removed[i] = gone;
      std::vector<int> kept;
      for (const int child : node.children) {
        if (!removed[child]) {
          kept.push_back(child);
          continue;
        }
        for (const int moved : result_.nodes[child].children) kept.push_back(moved);
      }
      node.children = std::move(kept);
    }
    std::vector<int> top;
    for (const int entry : result_.top) {
      if (!removed[entry]) {
        top.push_back(entry);
        continue;
      }
      for (const int moved : result_.nodes[entry].children) top.push_back(moved);
    }
    result_.top = std::move(top);
    for (std::optional<Change>& change : decided) {
      if (change) changes_.push_back(std::move(*change));
    }
    // The tree as it stands now: parents and the first entry of each key.
    result_.by_key.Clear();
    Reindex(-1);
  }

  void Reindex(int root) {
    std::vector<int> pending{root};
    while (!pending.empty()) {
      const int parent = pending.back();
      pending.pop_back();
      const std::vector<int>& list = result_.ListOf(parent);
      for (auto it = list.rbegin(); it != list.rend(); ++it) {
        result_.nodes[*it].parent = parent;
        pending.push_back(*it);
      }
      if (parent >= 0) result_.by_key.Add(result_.nodes[parent].key, parent);
    }
  }

  // What becomes of an entry of the user's tree; removed is set when it goes.
  std::optional<Change> Decide(int number, bool& removed) {
    const Node& node = result_.nodes[number];
    // A second entry of one page is the user's own copy.
    const bool first = result_.by_key.Find(node.key) == number;
    const int in_scan = scan_.by_key.Find(node.key);
    const int in_base = first ? base_.by_key.Find(node.key) : -1;
    const bool scanned = in_scan >= 0;
    if (in_base < 0) {
      // Made by hand.
      if (scanned || node.url.empty()) return std::nullopt;
      return Change{
          Change::kKeptGone, std::string(node.url), std::string(node.name), "made by hand", {}};
    }
    const Node& before = base_.nodes[in_base];
    const bool renamed_by_user = node.name != before.name;
    if (!scanned) {
      if (renamed_by_user) {
        return Change{Change::kKeptGone,
                      std::string(node.url),
                      std::string(node.name),
                      "renamed by hand",
                      {}};
      }
      removed = true;
      return Change{Change::kRemoved, std::string(node.url), std::string(node.name), {}, {}};
    }
    Node& own = result_.nodes[number];
    const std::string_view site_name = scan_.nodes[in_scan].name;
    if (site_name != before.name) {
      if (!renamed_by_user) {
        Change change{Change::kRenamed,
                      std::string(own.url),
                      std::string(site_name),
                      std::string(own.name),
                      {}};
        own.name = site_name;
        return change;
      }
      if (site_name != own.name) {
        return Change{Change::kKeptName,
                      std::string(own.url),
                      std::string(own.name),
                      std::string(site_name),
                      {}};
      }
    }
    if (result_.ParentKey(number) != base_.ParentKey(in_base)) {
      return Change{Change::kKeptPlace, std::string(own.url), std::string(own.name), {}, {}};
    }
    return std::nullopt;
  }

  // The scan's pages that neither the base nor the tree holds, in the
  // scan's order, so that a new page's new parent is placed before it.
  void AddNewPages() {
    for (std::size_t i = 0; i < scan_.nodes.size(); ++i) {
      const Node& page = scan_.nodes[i];
      if (result_.by_key.Has(page.key) || base_.by_key.Has(page.key)) continue;
      int anchor = page.parent;
      while (anchor >= 0 && !result_.by_key.Has(scan_.nodes[anchor].key)) {
        anchor = scan_.nodes[anchor].parent;
      }
      const int parent = anchor < 0 ? -1 : result_.by_key.Find(scan_.nodes[anchor].key);
      const int number = static_cast<int>(result_.nodes.size());
      Node added;
      added.key = page.key;
      added.url = page.url;
      added.name = page.name;
      added.parent = parent;
      result_.nodes.push_back(std::move(added));
      std::vector<int>& list = result_.ListOf(parent);
      const std::size_t at =
          anchor == page.parent ? PlaceAmongSiblings(static_cast<int>(i), parent) : list.size();
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), number);
      result_.by_key.Add(page.key, number);
      changes_.push_back(
          {Change::kAdded,
           std::string(page.url),
           std::string(page.name),
           {},
           std::string(parent < 0 ? std::string_view() : result_.nodes[parent].name)});
    }
  }

  // Where in the list of parent a new page goes: behind the nearest of its
  // scan siblings before it that the list holds, else in front of the
  // nearest after it, else at the end.
  std::size_t PlaceAmongSiblings(int page, int parent) const {
    const std::vector<int>& siblings = scan_.ListOf(scan_.nodes[page].parent);
    const std::vector<int>& list = result_.ListOf(parent);
    const auto self = std::find(siblings.begin(), siblings.end(), page);
    const auto position_of = [&](int sibling) -> std::optional<std::size_t> {
      const int found = result_.by_key.Find(scan_.nodes[sibling].key);
      if (found < 0 || result_.nodes[found].parent != parent) return std::nullopt;
      const auto at = std::find(list.begin(), list.end(), found);
      return static_cast<std::size_t>(at - list.begin());
    };
    for (auto it = self; it != siblings.begin();) {
      if (const auto at = position_of(*--it)) return *at + 1;
    }
    for (auto it = self + 1; it != siblings.end(); ++it) {
      if (const auto at = position_of(*it)) return *at;
    }
    return list.size();
  }

  Nodes base_;
  Nodes result_;
  Nodes scan_;
  std::vector<Change> changes_;
};

}  // namespace

MergeResult Merge(const Tree& base, const Tree& user, const std::optional<Tree>& scan,
                  AddressKeys& keys) {
  if (!scan) return {user, {}};
  return Merger(base, user, *scan, keys).Run();
}

}  // namespace vellum::update
