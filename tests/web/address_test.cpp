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
      {"http://h/.../a./.b/x.y", "http://h/.../a./.b/x.y"},
      // Web addresses as browsers serialise them (WHATWG URL, 4.4-4.5):
      // escapes as UTF-8 bytes in upper case, by the percent-encode set of
      // each part (1.3), and escapes already there kept.
      {"http://h/caf\xC3\xA9 x?q=\xC3\xA9 1#\xC3\xA9 2",
       "http://h/caf%C3%A9%20x?q=%C3%A9%201#%C3%A9%202"},
      {"http://h/\"<>`{}^|?\"<>`'{}#\"<>`'#",
       "http://h/%22%3C%3E%60%7B%7D%5E|?%22%3C%3E`%27{}#%22%3C%3E%60'#"},
      {"http://h/\x01\x7F?\x1F#\x0C.", "http://h/%01%7F?%1F#%0C."},
      {"http://h/a%20b%C3%A9%zz%", "http://h/a%20b%C3%A9%zz%"},
      {"gopher://h/\"a b?'", "gopher://h/%22a%20b?'"},
      {"file:///a b", "file:///a b"},
      {"caf\xC3\xA9 x.htm?\xC3\xA9", "caf\xC3\xA9 x.htm?\xC3\xA9"},
      // Tabs and line breaks are dropped; "\\" in front of the query of an
      // http, https or ftp address is "/" (WHATWG URL, 4.4).
      {"http://h/a\tb\r\nc", "http://h/abc"},
      {"http://H\\a\\..\\b?x\\y#z\\w", "http://h/b?x\\y#z\\w"},
      {"ftp://h/a\\b", "ftp://h/a/b"},
      {"gopher://h/a\\b", "gopher://h/a\\b"},
      {"http://h/a?", "http://h/a?"},
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

// The parts of an address as written (AsWritten) and of its normal form
// (Parse): origin | path | request | folder.
TEST(Address, UrlParts) {
  struct Row {
    const char* address;
    bool normalise;
    std::string parts;
  };
  const Row rows[] = {
      {"http://u@h:8080/a/b.html?x=/y#f", false,
       "http://u@h:8080|/a/b.html|/a/b.html?x=/y|http://u@h:8080/a/"},
      {"HTTP://H:80/a/./../b?q", true, "http://h|/b|/b?q|http://h/"},
      {"https://h", false, "https://h|||https://h/"},
      {"https://h#top", true, "https://h|/|/|https://h/"},
      {"http://[::1]:81/x/", false, "http://[::1]:81|/x/|/x/|http://[::1]:81/x/"},
      {"/site/page.html", true, "none"},
      {"mailto:a@b", false, "none"},
  };
  for (const Row& row : rows) {
    const std::optional<Url> url =
        row.normalise ? Url::Parse(row.address) : Url::AsWritten(row.address);
    const std::string parts = !url ? "none"
                                   : std::string(url->origin()) + "|" + std::string(url->path()) +
                                         "|" + std::string(url->request()) + "|" + url->folder();
    EXPECT_EQ(parts, row.parts) << row.address;
  }
}

}  // namespace
}  // namespace vellum::web
