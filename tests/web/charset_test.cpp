#include "web/charset.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "web/page_access.h"

namespace vellum::web {
namespace {

using namespace std::string_literals;

// The charset a page's title is read in: the answer's, else the page's
// declaration, else UTF-8 when the page is valid UTF-8, else Windows-1252;
// names that are not known count as none.
TEST(Charset, TheTitleIsReadInTheCharsetInForce) {
  const struct {
    const char* name;
    std::string page;
    const char* http_charset;
    std::string title;
  } rows[] = {
      {"Latin-1 declared", "<meta charset=ISO-8859-1><title>caf\xE9</title>", "", "caf\xC3\xA9"},
      {"Latin-1 declared in a Content-Type",
       "<meta http-equiv=\"content-type\" content=\"text/html; "
       "charset=latin1\"><title>\xE9</title>",
       "", "\xC3\xA9"},
      {"Latin-1 undeclared", "<title>caf\xE9</title>", "", "caf\xC3\xA9"},
      {"Windows-1252 undeclared", "<title>\x93q\x94 \x80</title>", "",
       "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC"},
      {"UTF-8 undeclared", "<title>caf\xC3\xA9</title>", "", "caf\xC3\xA9"},
      {"UTF-8 declared", "<meta charset='utf-8'><title>caf\xC3\xA9</title>", "", "caf\xC3\xA9"},
      {"the declaration wins over valid UTF-8", "<meta charset=iso-8859-1><title>\xC3\xA9</title>",
       "", "\xC3\x83\xC2\xA9"},
      {"the answer wins over the declaration", "<meta charset=iso-8859-1><title>\xC3\xA9</title>",
       "utf-8", "\xC3\xA9"},
      {"an unknown answer charset leaves the declaration",
       "<meta charset=iso-8859-1><title>\xC3\xA9</title>", "x-nothing", "\xC3\x83\xC2\xA9"},
      {"an unknown declaration is none", "<meta charset=x-nothing><title>caf\xE9</title>", "",
       "caf\xC3\xA9"},
      {"a converter option is not a name", "<meta charset=utf-8//IGNORE><title>a\xE9</title>", "",
       "a\xC3\xA9"},
      {"UTF-7 is never read", "<meta charset=utf-7><title>+ADw-</title>", "", "+ADw-"},
      {"a declared UTF-16 is UTF-8", "<meta charset=utf-16><title>\xC3\xA9</title>", "",
       "\xC3\xA9"},
      {"the system's converter", "<meta charset=koi8-r><title>\xF0\xD2\xC9\xD7\xC5\xD4</title>", "",
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
      {"invalid UTF-8 is replaced", "<meta charset=utf-8><title>a\xFF\xC3 b\xED\xA0\x80</title>",
       "", "a\xEF\xBF\xBD\xEF\xBF\xBD b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"what the converter lets through is checked", "<title>a\xF5\xA9\xA9\xA9</title>", "utf(8)",
       "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a cut sequence is replaced", "<title>a\x82</title>", "shift_jis", "a\xEF\xBF\xBD"},
      {"a byte without character is replaced", "<title>a\xFF</title>", "shift_jis",
       "a\xEF\xBF\xBD"},
      {"a byte Windows-1252 leaves out is replaced", "<title>a\x81</title>", "", "a\xEF\xBF\xBD"},
      {"NUL would end the text", "<title>a\0b</title>"s, "",
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TagTokenizer tokenizer;
    ASSERT_TRUE(tokenizer.AttachCopy(row.page));
    PageHeadInfo head;
    ASSERT_TRUE(ReadHead(tokenizer, head, row.http_charset));
    EXPECT_EQ(head.title, row.title);
  }
}

TEST(Charset, OfContentType) {
  const struct {
    const char *header, *charset;
  } rows[] = {
      {"text/html; charset=UTF-8", "utf-8"},
      {"text/html;charset=\"ISO-8859-1\"", "iso-8859-1"},
      {"text/html; format=flowed ; CharSet = 'Shift_JIS' ; x=y", "shift_jis"},
      {"text/html; charset=\"utf-8", "utf-8"},
      {"text/html", ""},
      {"text/html; charset=", ""},
      {"text/html; mycharset=utf-8", ""},
      {"", ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(CharsetOfContentType(row.header), row.charset) << row.header;
}

TEST(Charset, ValidUtf8) {
  for (std::string_view valid : {"", "plain", "caf\xC3\xA9", "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBD"}) {
    EXPECT_TRUE(IsValidUtf8(valid)) << valid;
  }
  for (std::string_view invalid :
       {"\xE9", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\x80"}) {
    EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
  }
}

TEST(Charset, CharacterReferences) {
  const struct {
    const char *text, *decoded;
  } rows[] = {
      {"a&amp;b &lt;&GT; &quot;", "a&b <> \""},
      {"&eacute;&Eacute;&#233;&#xE9;&#XE9;", "\xC3\xA9\xC3\x89\xC3\xA9\xC3\xA9\xC3\xA9"},
      {"&mdash;&thetasym;&#x10FFFF;", "\xE2\x80\x94\xCF\x91\xF4\x8F\xBF\xBF"},
      {"&#150;", "\xE2\x80\x93"},  // the C1 range read as Windows-1252
      {"&#0; &#xD800; &#x110000; &#; &#x; &#12a;", "&#0; &#xD800; &#x110000; &#; &#x; &#12a;"},
      {"&EACUTE; &nosuch; &amp &", "&EACUTE; &nosuch; &amp &"},
      {"&amp;lt;", "&lt;"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DecodeCharacterReferences(row.text), row.decoded) << row.text;
  }
}

}  // namespace
}  // namespace vellum::web
