#include "core/text_utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "core/messages.h"
#include "support/message_log.h"

namespace vellum::core {
namespace {

using test::InstallMessageLog;
using test::Messages;
using Texts = std::vector<std::string>;

TEST(TextUtils, ListElementAndInList) {
  // A null expected text: no such element.
  const std::tuple<const char*, int, std::size_t, const char*> rows[] = {
      {"a;b;c", 2, 0, "c"},     {"a;b;c", 3, 0, nullptr},  {"a;b;c", 0, 0, "a"},
      {"", 0, 0, ""},           {"", 1, 0, nullptr},       {"a;;c", 1, 0, ""},
      {nullptr, 0, 0, nullptr}, {"abcdef;g", 0, 4, "abc"}, {"a;b", -1, 0, nullptr}};
  for (const auto& [list, index, capacity, expected] : rows)
    EXPECT_EQ(ListElement(list, index, capacity).value_or("-"), expected ? expected : "-") << index;
  EXPECT_TRUE(InList("HREF", "src;href;action"));
  EXPECT_FALSE(InList("hre", "src;href"));
  EXPECT_FALSE(InList("href", nullptr));
  EXPECT_TRUE(InList("", "a;;b"));
}

// Pairs of text and its unescaped form; one backslash is removed for each
// character fewer.
TEST(TextUtils, UnescapeDropsEachBackslashAndKeepsWhatFollows) {
  const char* const rows[] = {"plain", "plain", "a\\\"b", "a\"b",   "a\\\\b",
                              "a\\b",  "end\\", "end",    "\\x\\y", "xy"};
  for (std::size_t i = 0; i < std::size(rows); i += 2) {
    std::string text = rows[i];
    EXPECT_EQ(Unescape(text.data()), text.size() - std::strlen(rows[i + 1])) << rows[i];
    EXPECT_STREQ(text.c_str(), rows[i + 1]);
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

TEST(TextUtils, PathParts) {
  EXPECT_STREQ(FileNamePart("page.html"), "page.html");
  EXPECT_STREQ(FileNamePart("c:\\site\\"), "");
  EXPECT_STREQ(FileNamePart("c:\\site/img\\a.gif"), "a.gif");
  EXPECT_EQ(SeparatorCount("a\\b/c\\"), 3);
  EXPECT_EQ(SeparatorCount("abc"), 0);
  for (const char* path : {"c:\\", "Z:\\site\\a.htm", "/srv/site"})
    EXPECT_TRUE(IsAbsolutePath(path)) << path;
  for (const char* path : {"C:/x", "1:\\x", "c:", "site/a.htm", "", "[:\\x", "`:\\x"})
    EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

// Rows of "path patterns": a pattern's text after its first dot against the
// path's text after its last, before any "#" or "?".
TEST(TextUtils, ExtensionInList) {
  auto in_list = [](std::string_view row) {
    return ExtensionInList(std::string(row.substr(0, row.find(' '))).c_str(),
                           std::string(row.substr(row.find(' ') + 1)).c_str());
  };
  for (const char* row : {"page.HTM *.htm", "page.htm#top *.htm", "page.html *.gif;*.html",
                          "site.old\\index *.old\\index", "archive.tar.gz *.gz"})
    EXPECT_TRUE(in_list(row)) << row;
  for (const char* row : {"page.htm?x=1.html *.html", "page.htm *.html", "site.old/index *.htm",
                          "README README", "archive.tar.gz *.tar.gz"})
    EXPECT_FALSE(in_list(row)) << row;
  EXPECT_FALSE(ExtensionInList("page.htm", nullptr));
  EXPECT_FALSE(ExtensionInList(nullptr, "*.htm"));
}

// Reports made before the sink is installed are dropped, except those held,
// which arrive with it, in order, once; table texts are formatted whole.
// Text from someone else's page: it reads the same but holds no markup, and
// the references it had stay as they are.
TEST(TextUtils, EscapeMarkupAndLooksLikeScheme) {
  EXPECT_EQ(EscapeMarkup("<a href=\"x\">&#8212;</a>"),
            "&lt;a href=&quot;x&quot;&gt;&#8212;&lt;/a&gt;");
  for (const char* scheme : {"javascript:x", "javascript&colon;x", "a&b/c.htm", "mailto:x"}) {
    EXPECT_TRUE(LooksLikeScheme(scheme)) << scheme;
  }
  for (const char* path : {"a/b:c.htm", "x.htm?a=1&b=2", "#a:b", "", "../x.htm"}) {
    EXPECT_FALSE(LooksLikeScheme(path)) << path;
  }
}

TEST(Messages, ReportsGoToTheirCallbacksAndOnlyHeldOnesArriveWithTheSink) {
  Messages() = {};
  {
    ReportHold hold;
    ReportError("first");
    ReportInfoCode(ErrorCode::kBadProject, "Vellum.cfg", 266);
    ReportRuntimeError(971);
  }
  ReportError("after the hold");
  ReportInfo("after the hold");
  ReportErrorCode(ErrorCode::kFileNotFound, "x");
  EXPECT_EQ(MessageText(ErrorCode::kMemoryOverflow), nullptr);
  auto& log = InstallMessageLog();
  const std::string path(5000, 'p');
  ReportInfo("progress\n");
  ReportErrorCode(ErrorCode::kFileNotFound, path.c_str());
  ReportMemoryOverflow();
  EXPECT_EQ(log.errors, (Texts{"first", "runtime error #971", "file '" + path + "' not found",
                               "memory overflou"}));
  EXPECT_EQ(log.info, (Texts{"'Vellum.cfg' - bad profect (line 266)", "progress\n"}));
  EXPECT_TRUE(log.questions.empty());
  {
    ReportHold hold;  // after the sink it changes nothing
    ReportError("now");
    EXPECT_EQ(log.errors.back(), "now");
  }
  InstallMessageLog();
  EXPECT_TRUE(log.errors.empty());  // a second sink gets nothing
}

}  // namespace
}  // namespace vellum::core
