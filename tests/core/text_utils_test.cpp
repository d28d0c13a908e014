#include "core/text_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace vellum::core {
namespace {

TEST(TextUtils, CharacterClasses) {
  EXPECT_TRUE(IsWordDelimiter('\0'));
  EXPECT_TRUE(IsTagNameDelimiter('\0'));
  EXPECT_TRUE(IsNumberChar('.'));
  EXPECT_TRUE(IsNumberChar('7'));
  EXPECT_FALSE(IsNumberChar('a'));
  for (char c : std::string(" .;{}[]()<>!,=?:#+-*/%^&`'\"\\|\t\n\r"))
    EXPECT_TRUE(IsWordDelimiter(c)) << c;
  for (char c : std::string("aZ0_$@~")) EXPECT_FALSE(IsWordDelimiter(c)) << c;
  for (char c : std::string("<>=\"' \n\r")) EXPECT_TRUE(IsTagNameDelimiter(c)) << c;
  EXPECT_FALSE(IsTagNameDelimiter('\t'));
  for (char c : std::string(" \t\n\r")) EXPECT_TRUE(IsBlank(c));
  EXPECT_FALSE(IsBlank('\0'));
}

TEST(TextUtils, ListElement) {
  struct Row {
    const char* list;
    int index;
    std::size_t capacity;
    const char* expected;  // null: no such element
  };
  const Row rows[] = {
      {"a;b;c", 2, 0, "c"},     {"a;b;c", 3, 0, nullptr},  {"a;b;c", 0, 0, "a"},
      {"", 0, 0, ""},           {"", 1, 0, nullptr},       {"a;;c", 1, 0, ""},
      {nullptr, 0, 0, nullptr}, {"abcdef;g", 0, 4, "abc"}, {"a;b", -1, 0, nullptr},
  };
  for (const Row& row : rows) {
    auto element = ListElement(row.list, row.index, row.capacity);
    if (row.expected == nullptr) {
      EXPECT_FALSE(element.has_value()) << row.index;
    } else {
      ASSERT_TRUE(element.has_value()) << row.index;
      EXPECT_EQ(*element, row.expected);
    }
  }
}

TEST(TextUtils, InListComparesWholeElementsWithoutCase) {
  EXPECT_TRUE(InList("HREF", "src;href;action"));
  EXPECT_FALSE(InList("hre", "src;href"));
  EXPECT_FALSE(InList("href", nullptr));
  EXPECT_TRUE(InList("", "a;;b"));
}

TEST(TextUtils, Unescape) {
  struct Row {
    const char* in;
    const char* out;
    int removed;
  };
  const Row rows[] = {
      {"plain", "plain", 0}, {"a\\\"b", "a\"b", 1}, {"a\\\\b", "a\\b", 1},
      {"end\\", "end", 1},   {"\\x\\y", "xy", 2},
  };
  for (const Row& row : rows) {
    std::string text = row.in;
    EXPECT_EQ(Unescape(text.data()), row.removed) << row.in;
    EXPECT_STREQ(text.c_str(), row.out);
  }
}

TEST(TextUtils, FindNoCase) {
  const char* text = "Hello <A HREF=x>";
  EXPECT_EQ(FindNoCase(text, "a href"), text + 7);
  EXPECT_EQ(FindNoCase(text, ""), text);
  EXPECT_EQ(FindNoCase("", ""), nullptr);
  EXPECT_EQ(FindNoCase(text, "href=y"), nullptr);
  EXPECT_EQ(FindNoCase("ab", "abc"), nullptr);
}

TEST(TextUtils, AppendCharAndLowerCase) {
  char text[8] = "AbZ";
  AppendChar(text, '!');
  EXPECT_STREQ(text, "AbZ!");
  LowerCase(text);
  EXPECT_STREQ(text, "abz!");
}

TEST(TextUtils, FileNamePartAndSeparators) {
  EXPECT_STREQ(FileNamePart("page.html"), "page.html");
  EXPECT_STREQ(FileNamePart("c:\\site\\"), "");
  EXPECT_STREQ(FileNamePart("c:\\site/img\\a.gif"), "a.gif");
  EXPECT_STREQ(FileNamePart("/srv/site/index.htm"), "index.htm");
  EXPECT_EQ(SeparatorCount("a\\b/c\\"), 3);
  EXPECT_EQ(SeparatorCount("abc"), 0);
}

TEST(TextUtils, ExtensionInList) {
  struct Row {
    const char* path;
    const char* patterns;
    bool expected;
  };
  const Row rows[] = {
      {"page.HTM", "*.htm", true},
      {"page.htm#top", "*.htm", true},
      {"page.htm?x=1.html", "*.html", false},
      {"page.htm", "*.html", false},
      {"page.html", "*.gif;*.html", true},
      {"site.old\\index", "*.old\\index", true},
      {"site.old/index", "*.htm", false},
      {"README", "README", false},  // a pattern without "." never matches
      {"page.htm", nullptr, false},
      {nullptr, "*.htm", false},
      {"archive.tar.gz", "*.tar.gz", false},  // the pattern's first dot, the path's last
      {"archive.tar.gz", "*.gz", true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ExtensionInList(row.path, row.patterns), row.expected)
        << (row.path ? row.path : "(none)") << " " << (row.patterns ? row.patterns : "(none)");
  }
}

TEST(TextUtils, IsAbsolutePath) {
  EXPECT_TRUE(IsAbsolutePath("c:\\"));
  EXPECT_TRUE(IsAbsolutePath("Z:\\site\\a.htm"));
  EXPECT_FALSE(IsAbsolutePath("C:/x"));
  EXPECT_FALSE(IsAbsolutePath("1:\\x"));
  EXPECT_FALSE(IsAbsolutePath("c:"));
  EXPECT_TRUE(IsAbsolutePath("/srv/site"));
  EXPECT_FALSE(IsAbsolutePath("site/a.htm"));
  EXPECT_FALSE(IsAbsolutePath(""));
}

}  // namespace
}  // namespace vellum::core
