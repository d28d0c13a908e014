#include "core/directory_search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/counted_string_list.h"
#include "support/scratch_dir.h"

namespace vellum::core {
namespace {

using test::ScratchDir;

TEST(DirectorySearch, WildcardsIgnoreCaseAndStarDotStarMatchesEveryName) {
  const std::string many_a(200, 'a');
  struct Row {
    const char* pattern;
    const char* name;
    bool expected;
  };
  const Row rows[] = {
      {"*.*", "README", true},
      {"*.*", "a.b.c", true},
      {"*.htm", "INDEX.HTM", true},
      {"*.htm", "index.html", false},
      {"a?c.txt", "abc.txt", true},
      {"a?c.txt", "ac.txt", false},
      {"*.scm", "blue.scm", true},
      {"*", "", true},
      {"b*e*x", "bee", false},
      {"index.*", "index", true},
      {"*a*a*a*a*a*b", many_a.c_str(), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WildcardMatch(row.pattern, row.name), row.expected) << row.pattern << " " << row.name;
  }
}

TEST(DirectorySearch, EntriesAreSortedAndCarryTheirKind) {
  ScratchDir dir;
  dir.Write("b.htm", "12345");
  dir.Write("A.HTM", "");
  dir.Write("c.gif", "");
  dir.Write("sub.htm/x", "");
  auto entries = SearchDirectory(dir / "*.htm");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "A.HTM");
  EXPECT_EQ(entries[1].name, "b.htm");
  EXPECT_EQ(entries[1].size, 5);
  EXPECT_EQ(entries[2].name, "sub.htm");
  EXPECT_TRUE(entries[2].is_directory);
  EXPECT_TRUE(SearchDirectory(dir / "missing/*.*").empty());
}

std::vector<std::string> ListedPaths(const CountedStringList& list, const std::string& root) {
  std::vector<std::string> paths;
  for (int i = 0; i < list.Count; ++i) {
    std::string path = list.Entries[i].Text;
    paths.push_back(path.substr(path.find(root) == 0 ? root.size() : 0));
  }
  return paths;
}

TEST(ListFolder, FilesFirstThenSubFoldersDepthFirstSkippingDotFolders) {
  ScratchDir dir;
  for (const char* name : {"b.htm", "a.HTML", "c.gif", "sub/z.htm", "sub/deep/y.htm", "sub2/x.htm",
                           ".git/w.htm", "sub2/.hidden/v.htm"}) {
    dir.Write(name, "");
  }
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "sub/loop").c_str()), 0);
  const std::string root = dir.path().string() + "/";

  CountedStringList list{};
  ListFolder(dir.path().c_str(), "*.htm;*.html", list, 0x1);
  EXPECT_EQ(ListedPaths(list, root), (std::vector<std::string>{"b.htm", "a.HTML", "sub/z.htm",
                                                               "sub/deep/y.htm", "sub2/x.htm"}));
  Clear(list);

  ListFolder(root.c_str(), "*.htm", list, 0x1 | kNoSubfolders);
  EXPECT_EQ(ListedPaths(list, root), std::vector<std::string>{"b.htm"});
  Clear(list);
}

}  // namespace
}  // namespace vellum::core
