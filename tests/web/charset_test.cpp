#include "web/charset.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "web/page_access.h"

namespace vellum::web {
namespace {

using namespace std::string_literals;

// text, ASCII or Latin-1, in UTF-16 of either byte order.
std::string Utf16(std::string_view text, bool big_endian) {
  std::string out;
  for (char c : text) out += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

// The encoding a page's title is read in, by the WHATWG Encoding Standard:
// a byte order mark's, else the answer's label, else the page's
// declaration, else UTF-8 when the page is valid UTF-8, else Windows-1252;
// what is not a label of the standard's table counts as none.
TEST(Charset, TheTitleIsReadInTheEncodingInForce) {
  const std::string le = "\xFF\xFE", be = "\xFE\xFF";
  const struct {
    const char* name;
    const char* section;  // of the WHATWG Encoding Standard
    std::string page;
    const char* http_charset;
    std::optional<std::string> title;
  } rows[] = {
      {"Latin-1 declared", "4.2", "<meta charset=ISO-8859-1><title>caf\xE9</title>", "",
       "caf\xC3\xA9"},
      {"Latin-1 declared in a Content-Type", "4.2",
       "<meta http-equiv=\"content-type\" content=\"text/html; "
       "charset=latin1\"><title>\xE9</title>",
       "", "\xC3\xA9"},
      {"Windows-1252 undeclared", "9", "<title>\x93q\x94 \x80</title>", "",
       "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC"},
      {"UTF-8 undeclared", "8.1.1", "<title>caf\xC3\xA9</title>", "", "caf\xC3\xA9"},
      {"the declaration wins over valid UTF-8", "4.2",
       "<meta charset=iso-8859-1><title>\xC3\xA9</title>", "", "\xC3\x83\xC2\xA9"},
      {"the answer wins over the declaration", "4.2",
       "<meta charset=iso-8859-1><title>\xC3\xA9</title>", "utf-8", "\xC3\xA9"},
      {"an unknown answer charset leaves the declaration", "4.2",
       "<meta charset=iso-8859-1><title>\xC3\xA9</title>", "x-nothing", "\xC3\x83\xC2\xA9"},
      {"the first declaration counts, and only a Content-Type's", "4.2",
       "<meta http-equiv=refresh content=\"0; charset=utf-8\"><meta charset=iso-8859-1>"
       "<meta charset=utf-8><title>\xC3\xA9</title>",
       "", "\xC3\x83\xC2\xA9"},
      {"an unknown declaration is none", "4.2", "<meta charset=x-nothing><title>caf\xE9</title>",
       "", "caf\xC3\xA9"},
      {"a converter option is not a label", "4.2",
       "<meta charset=utf-8//IGNORE><title>a\xE9</title>", "", "a\xC3\xA9"},
      {"UTF-7 is never read", "4.2", "<meta charset=utf-7><title>+ADw-</title>", "", "+ADw-"},
      {"IBM037 is no label", "4.2", "<meta charset=IBM037><title>caf\xC3\xA9</title>", "",
       "caf\xC3\xA9"},
      {"labels ignore case and blanks around them", "4.2", "<title>\xC0</title>", " Windows-1251\t",
       "\xD0\x90"},
      {"a label of Shift_JIS", "4.2", "<meta charset=x-sjis><title>\x82\xA0</title>", "",
       "\xE3\x81\x82"},
      {"a declared UTF-16 is UTF-8", "4.2", "<meta charset=utf-16><title>\xC3\xA9</title>", "",
       "\xC3\xA9"},
      {"a declared x-user-defined is Windows-1252", "14.5",
       "<meta charset=x-user-defined><title>\x80</title>", "", "\xE2\x82\xAC"},
      {"the system's converter", "9",
       "<meta charset=koi8-r><title>\xF0\xD2\xC9\xD7\xC5\xD4</title>", "",
       "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
      {"invalid UTF-8 is replaced", "8.1.1",
       "<meta charset=utf-8><title>a\xFF\xC3 b\xED\xA0\x80</title>", "",
       "a\xEF\xBF\xBD\xEF\xBF\xBD b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a cut sequence is replaced", "12.3", "<title>a\x82</title>", "shift_jis", "a\xEF\xBF\xBD"},
      {"a byte without character is replaced", "12.3", "<title>a\xFF</title>", "shift_jis",
       "a\xEF\xBF\xBD"},
      {"a byte Windows-1252 leaves out is replaced", "9", "<title>a\x81</title>", "",
       "a\xEF\xBF\xBD"},
      {"NUL would end the text", "8.1.1", "<title>a\0b</title>"s, "",
       "a\xEF\xBF\xBD"
       "b"},
      // Byte order marks, and UTF-16.
      {"UTF-16LE with its mark", "6", le + Utf16("<title>caf\xE9</title>", false), "",
       "caf\xC3\xA9"},
      {"the mark wins over the answer", "6", le + Utf16("<title>caf\xE9</title>", false),
       "utf-16be", "caf\xC3\xA9"},
      {"a UTF-8 mark wins over the answer and the declaration", "6",
       "\xEF\xBB\xBF<meta charset=iso-8859-1><title>caf\xC3\xA9</title>", "windows-1252",
       "caf\xC3\xA9"},
      {"UTF-16 from the answer alone", "14.4", Utf16("<title>caf\xE9</title>", false), "utf-16",
       "caf\xC3\xA9"},
      {"a lone surrogate is replaced", "14.2",
       be + Utf16("<title>a", true) + "\xD8\x00"s + Utf16("b</title>", true), "",
       "a\xEF\xBF\xBD"
       "b"},
      {"a surrogate pair is one character", "14.2",
       le + Utf16("<title>", false) + "\x3D\xD8\x00\xDE"s + Utf16("</title>", false), "",
       "\xF0\x9F\x98\x80"},
      {"the replacement encoding reads no tags", "14.1", "<title>x</title>", "iso-2022-kr",
       std::nullopt},
      {"x-user-defined from the answer", "14.5", "<title>a\x80</title>", "x-user-defined",
       "a\xEF\x9E\x80"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " (WHATWG Encoding Standard " + row.section + ")");
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
