#include "web/address.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vellum::web {
namespace {

TEST(Address, SpellingsOfOneAddressHaveOneNormalForm) {
  const std::pair<const char*, const char*> rows[] = {
      // URLs
      {"http://host", "http://host/"},
      {"HTTP://Host.Example:80", "http://host.example/"},
      {"https://h:443/a", "https://h/a"},
      {"https://h:80/a", "https://h:80/a"},
      {"ftp://User:Pw@FTP.h:21/x", "ftp://User:Pw@ftp.h/x"},
      {"http://h:/a", "http://h/a"},
      {"http://[::1]:8080/a", "http://[::1]:8080/a"},
      {"http://h/a/./b/../c", "http://h/a/c"},
      {"http://h/../../x", "http://h/x"},
      {"http://h/a/b/..", "http://h/a/"},
      {"http://h/a/.", "http://h/a/"},
      {"http://h/a//../b", "http://h/a/b"},
      {"http://h/A/B.HTM?q=/../x#/./y", "http://h/A/B.HTM?q=/../x#/./y"},
      {"http://h?q", "http://h/?q"},
      {"http://h/..a/b..", "http://h/..a/b.."},
      // Local paths
      {"./a.html", "a.html"},
      {"sub/../up.html", "up.html"},
      {"/site/./a/../b.html", "/site/b.html"},
      {"../../x.htm", "../../x.htm"},
      {"a/../../x.htm", "../x.htm"},
      {"/../x.htm", "/x.htm"},
      {"C:\\site\\a\\..\\b.htm", "C:\\site\\b.htm"},
      {"C:\\site\\images\\a/../b.htm", "C:\\site\\images\\b.htm"},
      {"C:\\..\\x.htm", "C:\\x.htm"},
      {"a/./b.htm?x=./y#../z", "a/b.htm?x=./y#../z"},
      {"./", "."},
      {"a/..", "."},
      {"", ""},
      {"mailto:me@x", "mailto:me@x"},
      // Hostile spellings keep a stable normal form.
      {"http://h::/a", "http://h/a"},
      {"http://", "http:///"},
      {"sub/../http://h/x", "./http://h/x"},
      {"..\\..\\", "..\\..\\"},
  };
  for (const auto& [address, normal] : rows) {
    EXPECT_EQ(NormaliseAddress(address), normal) << address;
    EXPECT_EQ(NormaliseAddress(normal), normal) << normal;  // a normal form stays as it is
  }
}

TEST(Address, UnmatchedParentsAreCounted) {
  EXPECT_EQ(NormaliseLocalPath("a/../../b").unmatched_parents, 1);
  EXPECT_EQ(NormaliseLocalPath("/a/../../../b").unmatched_parents, 2);
  EXPECT_EQ(NormaliseLocalPath("../a/../b").unmatched_parents, 1);
  EXPECT_EQ(NormaliseLocalPath("a/b/../c").unmatched_parents, 0);
}

TEST(Address, FoldersAndIndexPages) {
  struct Row {
    const char* address;
    std::string folder;
    std::optional<std::string> index_folder;
  };
  const Row rows[] = {
      {"http://h/", "http://h/", {}},
      {"http://h/d/index.html", "http://h/d/", "http://h/d/"},
      {"http://h/d/INDEX.HTM#top", "http://h/d/", "http://h/d/"},
      {"http://h/Default.html", "http://h/", "http://h/"},
      {"http://h/index.php?page=2", "http://h/", {}},
      {"http://h/d/index.shtml", "http://h/d/", "http://h/d/"},
      {"http://h/d/myindex.html", "http://h/d/", {}},
      {"http://h/d/index.html/x.htm", "http://h/d/index.html/", {}},
      {"http://h/a?x=/index.html", "http://h/", {}},
      {"http://index.html", "http://index.html/", {}},
      {"/site/sub/default.htm", "/site/sub/", "/site/sub/"},
      {"index.htm", "", ""},
      {"page.htm", "", {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FolderOf(row.address), row.folder) << row.address;
    EXPECT_EQ(IndexPageFolder(row.address), row.index_folder) << row.address;
  }
}

}  // namespace
}  // namespace vellum::web
