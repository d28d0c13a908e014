// The three-way merge of an update from the site: the tree the last scan
// built (the base), the tree the user has now (edited by hand since), and
// the tree a new scan of the site built. Pure: plain trees in, a tree and
// the list of what changed out.
//
// Entries are known by a key: a page's is its address's (address_keys.h),
// an entry without an address is known by its name under its parent's key. Rules, for each page:
//  - found again: the user's name, place and order stay; when the user
//    never changed the name and the site did, the site's name is taken;
//  - new (in neither the base nor the user's tree): put under the entry
//    that holds its scan parent (or the nearest scan ancestor the tree
//    holds), beside the scan siblings it follows, else at the top level;
//  - gone (in the base, not found now): removed, unless the user renamed
//    it; what it holds moves up into its place;
//  - made by hand (never in the base): stays; one whose page the scan did
//    not find is reported as kept;
//  - removed by the user (in the base, not in the user's tree): stays
//    removed.
// Without a scan (one that could not start or was stopped) the user's tree
// comes back as it is, with no change.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/flat_tree.h"
#include "update/address_keys.h"
#include "vellum/vellum.h"

namespace vellum::update {

using core::Tree;
using core::TreeEntry;

struct Change {
  // The values of the public header's VELLUM_CHANGE_.
  enum Kind {
    // A new page of the site, put into the tree.
    kAdded = VELLUM_CHANGE_ADDED,
    // A page gone from the site, taken out.
    kRemoved = VELLUM_CHANGE_REMOVED,
    // The site's new name taken (detail: the old name).
    kRenamed = VELLUM_CHANGE_RENAMED,
    // The user's name kept over the site's new one (detail: the site's name).
    kKeptName = VELLUM_CHANGE_KEPT_NAME,
    // Not found on the site, kept: the user renamed it or made it by hand
    // (detail: which).
    kKeptGone = VELLUM_CHANGE_KEPT_GONE,
    // Found again where the user moved it, kept there.
    kKeptPlace = VELLUM_CHANGE_KEPT_PLACE,
  };

  Kind kind;
  std::string url;
  std::string name;    // as the tree now holds it
  std::string detail;  // see the kinds
  std::string parent;  // kAdded: the name of the entry it went under, ""
                       // at the top level

  bool operator==(const Change&) const = default;
};

struct MergeResult {
  Tree tree;
  std::vector<Change> changes;  // in the order of the merged tree, additions
                                // after the rest
};

// The three trees name mostly the same pages: keys numbers them once.
MergeResult Merge(const Tree& base, const Tree& user, const std::optional<Tree>& scan,
                  AddressKeys& keys);

}  // namespace vellum::update
