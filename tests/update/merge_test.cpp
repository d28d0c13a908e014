// The merge of an update from the site, case by case: the tree of the last
// scan, the tree the user edited since, the tree of the new scan (none for
// a scan that could not start or was stopped), and what comes out.
#include "update/merge.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "update/update.h"

namespace vellum::update {
namespace {

// "Name -> url" per line, two spaces of indentation per level; a line
// without an arrow has no URL.
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
    "Home -> http://site/\n"
    "  About -> http://site/about.html\n"
    "  News -> http://site/news/\n"
    "    Old news -> http://site/news/old.html\n"
    "  Shop -> http://site/shop.html\n";

struct Case {
  const char* name;
  const char* user;
  std::optional<const char*> scan;  // none: the scan did not complete
  const char* merged;
  std::vector<std::string> changes;
};

const Case kCases[] = {
    {"NothingChanged", kBase, kBase, kBase, {}},
    {"RenamedByTheUserKept",
     "Home -> http://site/\n"
     "  Who we are -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  About us -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  Who we are -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     {"kept name Who we are (About us)"}},
    {"RenamedOnTheSiteTaken",
     kBase,
     "Home -> http://site/\n"
     "  About us -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  About us -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     {"renamed About us (About)"}},
    // The user's spelling of an address is the same page.
    {"MovedKeptInTheUsersOrder",
     "Home -> HTTP://Site:80/\n"
     "  Shop -> http://site/shop.html\n"
     "  News -> http://site/news/index.html\n"
     "    Old news -> http://site/news/old.html\n"
     "    About -> http://site/./about.html\n",
     kBase,
     "Home -> HTTP://Site:80/\n"
     "  Shop -> http://site/shop.html\n"
     "  News -> http://site/news/index.html\n"
     "    Old news -> http://site/news/old.html\n"
     "    About -> http://site/./about.html\n",
     {"kept place About"}},
    {"RemovedByTheUserStaysRemoved",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  Shop -> http://site/shop.html\n",
     kBase,
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  Shop -> http://site/shop.html\n",
     {}},
    {"HandEntriesKept",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n"
     "Elsewhere\n"
     "  Our blog -> http://blog.example/\n",
     kBase,
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n"
     "Elsewhere\n"
     "  Our blog -> http://blog.example/\n",
     {"kept gone Our blog (made by hand)"}},
    // What a removed entry held moves up into its place.
    {"GonePagesRemovedUnlessRenamed",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "  Our shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  Old news -> http://site/news/old.html\n",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  Old news -> http://site/news/old.html\n"
     "  Our shop -> http://site/shop.html\n",
     {"removed News", "kept gone Our shop (renamed by hand)"}},
    {"NewPageUnderAMovedParent",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "    News -> http://site/news/\n"
     "      Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Fresh news -> http://site/news/fresh.html\n"
     "      Photos -> http://site/news/photos.html\n"
     "    Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "    News -> http://site/news/\n"
     "      Fresh news -> http://site/news/fresh.html\n"
     "        Photos -> http://site/news/photos.html\n"
     "      Old news -> http://site/news/old.html\n"
     "  Shop -> http://site/shop.html\n",
     {"kept place News", "added Fresh news under News", "added Photos under Fresh news"}},
    // A new page whose scan parent the user removed goes under the nearest
    // scan ancestor the tree holds; one at the scan's top level stays there.
    {"NewPagesAtTheScansPlace",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  Shop -> http://site/shop.html\n",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  News -> http://site/news/\n"
     "    Old news -> http://site/news/old.html\n"
     "    Fresh news -> http://site/news/fresh.html\n"
     "  Shop -> http://site/shop.html\n"
     "Contact -> http://site/contact.html\n",
     "Home -> http://site/\n"
     "  About -> http://site/about.html\n"
     "  Shop -> http://site/shop.html\n"
     "  Fresh news -> http://site/news/fresh.html\n"
     "Contact -> http://site/contact.html\n",
     {"added Fresh news under Home", "added Contact"}},
    {"StoppedUpdateChangesNothing",
     "Home -> http://site/\n"
     "  Who we are -> http://site/about.html\n",
     std::nullopt,
     "Home -> http://site/\n"
     "  Who we are -> http://site/about.html\n",
     {}},
};

class MergeCase : public ::testing::TestWithParam<Case> {};

TEST_P(MergeCase, Merges) {
  const Case& c = GetParam();
  const std::optional<Tree> scan = c.scan ? std::optional(Outline(*c.scan)) : std::nullopt;
  AddressKeys keys;
  const MergeResult result = Merge(Outline(kBase), Outline(c.user), scan, std::ref(keys));
  EXPECT_EQ(result.tree, Outline(c.merged));
  std::vector<std::string> changes;
  for (const Change& change : result.changes) changes.push_back(Describe(change));
  EXPECT_EQ(changes, c.changes);
}

INSTANTIATE_TEST_SUITE_P(Update, MergeCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vellum::update
