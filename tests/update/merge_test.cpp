// The merge of an update from the site, case by case: the tree of the last
// scan, the tree the user edited since, the tree of the new scan (none for
// a scan that could not start or was stopped), and what comes out.
#include "update/merge.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vellum::update {
namespace {

// "Name -> url" per line, two spaces of indentation per level; a line
// without an arrow has no URL, and a URL from "/" lies on http://site.
Tree Outline(const std::string& text) {
  Tree tree;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos) continue;
    const std::size_t arrow = line.find(" -> ");
    TreeEntry entry;
    entry.depth = static_cast<int>(indent / 2);
    entry.name = line.substr(indent, arrow == std::string::npos ? arrow : arrow - indent);
    if (arrow != std::string::npos) entry.url = line.substr(arrow + 4);
    if (entry.url.starts_with('/')) entry.url.insert(0, "http://site");
    tree.push_back(entry);
  }
  return tree;
}

std::string Describe(const Change& change) {
  static const char* const kKinds[] = {"",          "added",     "removed",   "renamed",
                                       "kept name", "kept gone", "kept place"};
  std::string text = std::string(kKinds[change.kind]) + " " + change.name;
  if (!change.detail.empty()) text += " (" + change.detail + ")";
  if (!change.parent.empty()) text += " under " + change.parent;
  return text;
}

const char* const kBase =
    "Home -> /\n  About -> /about.html\n  News -> /news/\n    Old news -> /news/old.html\n"
    "  Shop -> /shop.html\n";

const char* const kAboutUs =
    "Home -> /\n  About us -> /about.html\n  News -> /news/\n    Old news -> /news/old.html\n"
    "  Shop -> /shop.html\n";

struct Case {
  const char* name;
  const char* user;
  std::optional<const char*> scan;  // none: the scan did not complete
  const char* merged;               // null: the user's tree
  std::vector<std::string> changes;
};

const Case kCases[] = {
    {"NothingChanged", kBase, kBase, nullptr, {}},
    {"RenamedByTheUserKept",
     "Home -> /\n  Who we are -> /about.html\n  News -> /news/\n    Old news -> /news/old.html\n"
     "  Shop -> /shop.html\n",
     kAboutUs,
     nullptr,
     {"kept name Who we are (About us)"}},
    {"RenamedOnTheSiteTaken", kBase, kAboutUs, kAboutUs, {"renamed About us (About)"}},
    // The user's spelling of an address is the same page.
    {"MovedKeptInTheUsersOrder",
     "Home -> HTTP://Site:80/\n  Shop -> /shop.html\n  News -> /news/index.html\n"
     "    Old news -> /news/old.html\n    About -> http://site/./about.html\n",
     kBase,
     nullptr,
     {"kept place About"}},
    {"RemovedByTheUserStaysRemoved",
     "Home -> /\n  About -> /about.html\n  Shop -> /shop.html\n",
     kBase,
     nullptr,
     {}},
    {"HandEntriesKept",
     "Home -> /\n  About -> /about.html\n  News -> /news/\n    Old news -> /news/old.html\n"
     "  Shop -> /shop.html\nElsewhere\n  Our blog -> http://blog.example/\n",
     kBase,
     nullptr,
     {"kept gone Our blog (made by hand)"}},
    // What a removed entry held moves up into its place.
    {"GonePagesRemovedUnlessRenamed",
     "Home -> /\n  About -> /about.html\n  News -> /news/\n    Old news -> /news/old.html\n"
     "  Our shop -> /shop.html\n",
     "Home -> /\n  About -> /about.html\n  Old news -> /news/old.html\n",
     "Home -> /\n  About -> /about.html\n  Old news -> /news/old.html\n  Our shop -> /shop.html\n",
     {"removed News", "kept gone Our shop (renamed by hand)"}},
    {"NewPageUnderAMovedParent",
     "Home -> /\n  About -> /about.html\n    News -> /news/\n      Old news -> /news/old.html\n"
     "  Shop -> /shop.html\n",
     "Home -> /\n  About -> /about.html\n  News -> /news/\n    Fresh news -> /news/fresh.html\n"
     "      Photos -> /news/photos.html\n    Old news -> /news/old.html\n  Shop -> /shop.html\n",
     "Home -> /\n  About -> /about.html\n    News -> /news/\n      Fresh news -> /news/fresh.html\n"
     "        Photos -> /news/photos.html\n      Old news -> /news/old.html\n"
     "  Shop -> /shop.html\n",
     {"kept place News", "added Fresh news under News", "added Photos under Fresh news"}},
    // A new page whose scan parent the user removed goes under the nearest
    // scan ancestor the tree holds; one at the scan's top level stays there.
    {"NewPagesAtTheScansPlace",
     "Home -> /\n  About -> /about.html\n  Shop -> /shop.html\n",
     "Home -> /\n  About -> /about.html\n  News -> /news/\n    Old news -> /news/old.html\n"
     "    Fresh news -> /news/fresh.html\n  Shop -> /shop.html\nContact -> /contact.html\n",
     "Home -> /\n  About -> /about.html\n  Shop -> /shop.html\n  Fresh news -> /news/fresh.html\n"
     "Contact -> /contact.html\n",
     {"added Fresh news under Home", "added Contact"}},
    {"StoppedUpdateChangesNothing",
     "Home -> /\n  Who we are -> /about.html\n",
     std::nullopt,
     nullptr,
     {}},
};

class MergeCase : public ::testing::TestWithParam<Case> {};

TEST_P(MergeCase, Merges) {
  const Case& c = GetParam();
  const std::optional<Tree> scan = c.scan ? std::optional(Outline(*c.scan)) : std::nullopt;
  AddressKeys keys;
  const MergeResult result = Merge(Outline(kBase), Outline(c.user), scan, keys);
  EXPECT_EQ(result.tree, Outline(c.merged != nullptr ? c.merged : c.user));
  std::vector<std::string> changes;
  for (const Change& change : result.changes) changes.push_back(Describe(change));
  EXPECT_EQ(changes, c.changes);
}

INSTANTIATE_TEST_SUITE_P(Update, MergeCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vellum::update
