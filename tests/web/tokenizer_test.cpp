#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/memory.h"
#include "web/tag_tokenizer.h"

namespace vellum::web {
namespace {

using namespace std::string_literals;

// The tokens of a page, one word each: <A> a start tag, </A> an end tag,
// ?text an unknown tag (its bytes), 'text' a text run.
std::string Walk(std::string_view html) {
  TagTokenizer tokenizer;
  EXPECT_TRUE(tokenizer.AttachCopy(html));
  std::string tokens;
  for (TokenKind kind; (kind = tokenizer.Next()) != TokenKind::kEnd;) {
    if (!tokens.empty()) tokens += ' ';
    if (kind == TokenKind::kStartTag || kind == TokenKind::kEndTag) {
      tokens.append(kind == TokenKind::kStartTag ? "<" : "</").append(tokenizer.tag()->name);
      tokens += '>';
    } else if (kind == TokenKind::kUnknownTag) {
      tokens.append("?").append(tokenizer.TokenText());
    } else {
      tokens.append("'").append(tokenizer.TokenText()).append("'");
    }
  }
  return tokens;
}

TEST(TagTokenizer, TokensOfAPage) {
  const std::pair<std::string, std::string> rows[] = {
      {"  text with  blanks  <b>", "'text with  blanks  ' <B>"},
      {"<b>  \r\n\t </b>", "<B> </B>"},
      {"<foo>x</FOO>", "?<foo> 'x' ?</FOO>"},
      {"<!-- a > b -->after", "<!--> 'after'"},
      {"<!--a>b-->", "?<!--a> 'b-->'"},
      {"<!-- never closed > x", "<!--> 'x'"},
      {"<a\thref=x>", "?<a\thref=x>"},
      {"</a", "</A>"},
      {"</>", "?</>"},
      {"<", "?<"},
      {"<!DOCTYPE html PUBLIC \"x\"><HTML>", "<!DOCTYPE> <HTML>"},
      {"<Title>T</tItLe>", "<TITLE> 'T' </TITLE>"},
      {"<h7><spacer><cfmail>", "<H7> <SPACER> <CFMAIL>"},
      {"<a\0b>c"s, "<A> 'c'"},
      {"x\0y<b>"s, "'x\0y' <B>"s},
  };
  for (const auto& [html, tokens] : rows) EXPECT_EQ(Walk(html), tokens) << html;
}

// The value of attribute name on the first token of html: the value, or
// <no value> when the attribute is there without one, or <missing>.
std::string ValueOn(std::string_view html, std::string_view name) {
  TagTokenizer tokenizer;
  EXPECT_TRUE(tokenizer.AttachCopy(html));
  tokenizer.Next();
  const Attribute* attribute = tokenizer.FindAttribute(name);
  if (attribute == nullptr) return "<missing>";
  if (!attribute->value) return "<no value>";
  return std::string(tokenizer.ValueOf(*attribute));
}

TEST(TagTokenizer, AttributeValues) {
  std::string sixty;  // 59 attributes: one more fits
  for (int i = 0; i < 59; ++i) sixty.append(" c").append(std::to_string(i)).append("=1");
  struct Row {
    std::string html;
    const char* name;
    const char* value;
  };
  const Row rows[] = {
      {"<A HREF = \"x y.htm\" >", "href", "x y.htm"},
      {"<img src='pic.gif' width=100%>", "WIDTH", "100"},
      {"<img width=-5px>", "WIDTH", "-5"},
      {"<body onload=\"x()\">", "ONLOAD", "<missing>"},
      {"<body onload=\"x()\" background=bg.gif>", "BACKGROUND", "bg.gif"},
      {"<a href=\"\">", "HREF", ""},
      {"<a href=>", "HREF", "<no value>"},
      {"<a href==x>", "HREF", "<no value>"},
      {"<a href=\"x\" href=\"y\">", "HREF", "x"},
      {"<a name=n href='it\"s'>", "HREF", "it\"s"},
      {"<a href=x<b>", "HREF", "x"},
      {"<a href='multi\nline'>", "HREF", "multi\nline"},
      {"<a title=\"t\" href \"x.htm\">", "HREF", "<no value>"},
      {"<!DOCTYPE html href=x>", "HREF", "<missing>"},
      {"<b href=x>", "HREF", "<missing>"},
      {"</a href=x>", "HREF", "<missing>"},
      {"text<a href=x>", "HREF", "<missing>"},
      {"<meta NAME=\"Description\" content='Hi there'>", "content", "Hi there"},
      {"<a href=x\0y.htm>"s, "HREF", "x\0y.htm"},
      {"<a\0href=x>"s, "HREF", "x"},
      {"<a "s + std::string(49, 'h') + "href=x>", "HREF", "x"},
      {"<a" + sixty + " href=x>", "HREF", "x"},
      {"<a" + sixty + " c59=59 href=x>", "HREF", "<missing>"},
  };
  for (const Row& row : rows) EXPECT_EQ(ValueOn(row.html, row.name), row.value) << row.html;
}

// Where a tag ends and what its attributes hold, as an HTML5 tokenizer
// reads them (WHATWG HTML, 13.2.5): a ">" in a quoted value is part of the
// value, and "/" separates names.
TEST(TagTokenizer, TagsEndWhereHtml5EndsThem) {
  struct Row {
    const char* name;  // the case, and the section it comes from
    std::string html;
    const char* attribute;
    const char* value;   // as ValueOn gives it
    const char* tokens;  // as Walk gives them
  };
  const Row rows[] = {
      {"13.2.5.36: '>' in a double-quoted value", "<a title=\"a > b\" href=\"x.html\">t</a>",
       "HREF", "x.html", "<A> 't' </A>"},
      {"13.2.5.36: the value is '>'", "<a href=\">\">t", "HREF", ">", "<A> 't'"},
      {"13.2.5.37: '>' in a single-quoted value", "<a href='>'>t", "HREF", ">", "<A> 't'"},
      {"13.2.5.37: the other quote inside", "<a title='say \"hi\">' href=a>b", "HREF", "a",
       "<A> 'b'"},
      {"13.2.5.36: '>' in a later value", "<a id=\"1\" title=\"a>b\" href=c.htm>t", "HREF", "c.htm",
       "<A> 't'"},
      {"13.2.5.35: blanks around '='", "<a href = \"a>b.htm\" >t", "HREF", "a>b.htm", "<A> 't'"},
      {"13.2.5.36: unclosed quote runs to the end", "<a href=\"x.htm>t</a>", "HREF", "<no value>",
       "<A>"},
      {"13.2.5.36: unclosed quote before a link", "<a title=\"x><a href=y>", "HREF", "<missing>",
       "<A>"},
      {"13.2.5.38: unquoted value ends at '>'", "<a href=x.htm>t", "HREF", "x.htm", "<A> 't'"},
      {"13.2.5.38: quotes and '=' in an unquoted value", "<a href=x\"y=z title=\">\">t", "HREF",
       "x\"y=z", "<A> 't'"},
      {"13.2.5.32: '/' after the tag name", "<a/href=\"b\">t", "HREF", "b", "<A> 't'"},
      {"13.2.5.40: '/' between attributes", "<img/src='p.gif'/alt=x/>", "SRC", "p.gif", "<IMG>"},
      {"13.2.5.40: '/' in front of '>'", "<br/>t", "X", "<missing>", "<BR> 't'"},
      {"13.2.5.33: '/' ends a name without value", "<a href/>t", "HREF", "<no value>", "<A> 't'"},
      {"13.2.5.38: '/' inside an unquoted value", "<a href=/d/x.htm/>", "HREF", "/d/x.htm/", "<A>"},
      {"13.2.5.34: name without value", "<td nowrap background=bg.gif>", "BACKGROUND", "bg.gif",
       "<TD>"},
      {"13.2.5.34: name without value at the end", "<a href>t", "HREF", "<no value>", "<A> 't'"},
      {"13.2.5.7: end tag with a quoted '>'", "</a title=\">\">t", "HREF", "<missing>", "</A> 't'"},
      {"13.2.5.42: a declaration ends at its first '>'", "<!x a=\">\">t", "HREF", "<missing>",
       "?<!x a=\"> '\">t'"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ValueOn(row.html, row.attribute), row.value) << row.name;
    EXPECT_EQ(Walk(row.html), row.tokens) << row.name;
  }
}

TEST(TagTokenizer, TokenStartIsBeforeTheBlanksAndTokenBeginAtTheTag) {
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy("<p>  <b x=1>"));
  tokenizer.Next();
  tokenizer.Next();
  EXPECT_EQ(tokenizer.token_start(), 3u);
  EXPECT_EQ(tokenizer.token_begin(), 5u);
  EXPECT_EQ(tokenizer.attributes_start(), 7u);
  EXPECT_EQ(tokenizer.position(), 12u);
  tokenizer.Rewind();
  EXPECT_EQ(tokenizer.Next(), TokenKind::kStartTag);
  EXPECT_EQ(tokenizer.position(), 3u);

  // A tag name is cut after 125 bytes: the rest counts as attributes.
  ASSERT_TRUE(tokenizer.AttachCopy(std::string("<") + std::string(130, 'a') + " x>"));
  EXPECT_EQ(tokenizer.Next(), TokenKind::kUnknownTag);
  EXPECT_EQ(tokenizer.attributes_start(), 1 + kMaxTagName);
}

TEST(TagTokenizer, EditsKeepThePositionsOnTheirBytes) {
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy("<p> <b>text"));
  tokenizer.Next();
  tokenizer.Next();  // <b>: begin 4, position 7
  EXPECT_FALSE(tokenizer.IsModified());

  char* at = tokenizer.Edit(3, 2);  // between "<p>" and the blank
  ASSERT_NE(at, nullptr);
  at[0] = '<';
  at[1] = 'i';
  EXPECT_EQ(tokenizer.token_begin(), 6u);
  EXPECT_EQ(tokenizer.position(), 9u);
  EXPECT_TRUE(tokenizer.IsModified());

  ASSERT_NE(tokenizer.Edit(9, -2), nullptr);  // "te" of the text
  EXPECT_EQ(std::string(tokenizer.text(), tokenizer.length()), "<p><i <b>xt");
  EXPECT_EQ(tokenizer.position(), 9u);
  ASSERT_EQ(tokenizer.Next(), TokenKind::kText);
  EXPECT_EQ(tokenizer.TokenText(), "xt");

  ASSERT_NE(tokenizer.Edit(2, -100), nullptr);  // more than there is: up to the end
  EXPECT_EQ(std::string(tokenizer.text(), tokenizer.length()), "<p");
  EXPECT_EQ(tokenizer.position(), 2u);
  EXPECT_EQ(tokenizer.Edit(2, 0), tokenizer.text() + 2);
  EXPECT_EQ(tokenizer.Edit(3, 1), nullptr);  // beyond the end

  // An edit that cannot grow the text leaves it as it was.
  ASSERT_TRUE(tokenizer.AttachCopy("<p>x"));
  core::testing::FailAllocationAfter(0);
  EXPECT_EQ(tokenizer.Edit(1, 1000), nullptr);
  core::testing::FailAllocationAfter(-1);
  EXPECT_EQ(std::string(tokenizer.text(), tokenizer.length()), "<p>x");
  EXPECT_FALSE(tokenizer.IsModified());
}

TEST(TagTokenizer, HostilePagesEndEveryWalk) {
  // Each walk must end, every token must move forward, and every attribute
  // query must stay inside the text.
  // Long text runs, NUL bytes and attribute floods are scanned whole in the
  // scan tests; here long runs of tag bytes and random pages of them.
  std::vector<std::string> pages = {"<a href=\""s + std::string(1 << 20, 'y'),
                                    std::string(1 << 16, '<'), "<a "s + std::string(1 << 20, '='),
                                    "<!-- "s + std::string(1 << 20, '-')};
  std::mt19937 random(20240229);
  const std::string alphabet = "<>/=\"' \t\n\r!-aAbhrefsciptHREF0129\0\xff"s;
  for (int i = 0; i < 300; ++i) {
    std::string page(random() % 400, ' ');
    for (char& c : page) c = alphabet[random() % alphabet.size()];
    pages.push_back(page);
  }
  for (const std::string& page : pages) {
    TagTokenizer tokenizer;
    ASSERT_TRUE(tokenizer.AttachCopy(page));
    std::size_t tokens = 0;
    for (TokenKind kind; (kind = tokenizer.Next()) != TokenKind::kEnd; ++tokens) {
      ASSERT_GT(tokenizer.position(), tokenizer.token_start());
      ASSERT_LE(tokenizer.position(), page.size());
      for (const char* name : {"HREF", "SRC", "X"}) {
        if (std::optional<std::string_view> value = tokenizer.AttributeValue(name)) {
          ASSERT_GE(value->data(), tokenizer.text());
          ASSERT_LE(value->data() + value->size(), tokenizer.text() + page.size());
        }
      }
      if (kind == TokenKind::kStartTag && tokenizer.tag()->content == kRawContent) {
        tokenizer.SkipTo("</script>");
      }
    }
    ASSERT_LE(tokens, page.size());
  }
}

}  // namespace
}  // namespace vellum::web
