#include "web/tag_tokenizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/memory.h"

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
    switch (kind) {
      case TokenKind::kStartTag:
        tokens += "<"s + tokenizer.tag()->name + ">";
        break;
      case TokenKind::kEndTag:
        tokens += "</"s + tokenizer.tag()->name + ">";
        break;
      case TokenKind::kUnknownTag:
        tokens += "?" + std::string(tokenizer.TokenText());
        break;
      default:
        tokens += "'" + std::string(tokenizer.TokenText()) + "'";
    }
  }
  return tokens;
}

TEST(TagTokenizer, TokensOfAPage) {
  struct Row {
    const char* html;
    const char* tokens;
  };
  const Row rows[] = {
      {"<a href=page.htm>Text</a>", "<A> 'Text' </A>"},
      {"  text with  blanks  <b>", "'text with  blanks  ' <B>"},
      {"<b>  \r\n\t </b>", "<B> </B>"},
      {"<foo>x</FOO>", "?<foo> 'x' ?</FOO>"},
      {"<!-- a > b -->after", "<!--> 'after'"},
      {"<!--a>b-->", "?<!--a> 'b-->'"},
      {"<!-- never closed > x", "<!--> 'x'"},
      {"<a href=\"a>b.htm\">", "<A> 'b.htm\">'"},
      {"<a\thref=x>", "?<a\thref=x>"},
      {"<a href=\"x.htm", "<A>"},
      {"</a", "</A>"},
      {"</>", "?</>"},
      {"<", "?<"},
      {"< a>", "?< a>"},
      {"<!DOCTYPE html PUBLIC \"x\"><HTML>", "<!DOCTYPE> <HTML>"},
      {"<Title>T</tItLe>", "<TITLE> 'T' </TITLE>"},
      {"<h7><spacer><cfmail>", "<H7> <SPACER> <CFMAIL>"},
  };
  for (const Row& row : rows) EXPECT_EQ(Walk(row.html), row.tokens) << row.html;
  EXPECT_EQ(Walk("<a\0b>c"s), "<A> 'c'");
  EXPECT_EQ(Walk("x\0y<b>"s), "'x\0y'"s + " <B>");
}

TEST(TagTokenizer, TagNamesAreCutAfter125Bytes) {
  const std::string long_name(130, 'a');
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy("<" + long_name + " x>"));
  EXPECT_EQ(tokenizer.Next(), TokenKind::kUnknownTag);
  EXPECT_EQ(tokenizer.attributes_start(), 1 + kMaxTagName);
  EXPECT_EQ(tokenizer.Next(), TokenKind::kEnd);
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
  std::string sixty;
  for (int i = 0; i < 59; ++i) sixty += " c" + std::to_string(i) + "=" + std::to_string(i);
  struct Row {
    std::string html;
    const char* name;
    const char* value;
  };
  const Row rows[] = {
      {"<a href=page.htm>Text</a>", "HREF", "page.htm"},
      {"<A HREF = \"x y.htm\" >", "href", "x y.htm"},
      {"<a href\n=\n'q.htm'>", "Href", "q.htm"},
      {"<img src='pic.gif' width=100%>", "SRC", "pic.gif"},
      {"<img src='pic.gif' width=100%>", "WIDTH", "100"},
      {"<img width=-5px>", "WIDTH", "-5"},
      {"<a href=\"a>b.htm\">", "HREF", "<no value>"},
      {"<body onload=\"x()\">", "ONLOAD", "<missing>"},
      {"<body onload=\"x()\" background=bg.gif>", "BACKGROUND", "bg.gif"},
      {"<a href=2001.htm>", "HREF", "2001"},
      {"<a href=\"\">", "HREF", ""},
      {"<a href>", "HREF", "<no value>"},
      {"<a href=>", "HREF", "<no value>"},
      {"<a href = >", "HREF", "<no value>"},
      {"<a href==x>", "HREF", "<no value>"},
      {"<td background = bg.gif nowrap>", "BACKGROUND", "bg.gif"},
      {"<td background = bg.gif nowrap>", "NOWRAP", "<no value>"},
      {"<a href=\"x\" href=\"y\">", "HREF", "x"},
      {"<a name=n href='it\"s'>", "HREF", "it\"s"},
      {"<a href=x<b>", "HREF", "x"},
      {"<a href=\"x.htm", "HREF", "<no value>"},
      {"<a href='multi\nline'>", "HREF", "multi\nline"},
      {"<a title=\"t\" href \"x.htm\">", "HREF", "<no value>"},
      {"<a title=\"t\" href \"x.htm\">", "TITLE", "t"},
      {"<!DOCTYPE html href=x>", "HREF", "<missing>"},
      {"<b href=x>", "HREF", "<missing>"},
      {"<!-- href=x -->", "HREF", "<missing>"},
      {"<meta NAME=\"Description\" content='Hi there'>", "content", "Hi there"},
      {"<a href=x\0y.htm>"s, "HREF", "x\0y.htm"},
      {"<a\0href=x>"s, "HREF", "x"},
      {"<a \0 href=x>"s, "HREF", "x"},
      {"<a " + std::string(49, 'h') + "href=x>", "HREF", "x"},
      {"<a" + sixty + " href=x>", "HREF", "x"},
      {"<a" + sixty + " c59=59 href=x>", "HREF", "<missing>"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ValueOn(row.html, row.name), row.value) << row.html << " " << row.name;
  }
}

TEST(TagTokenizer, AttributesAreParsedOncePerTagAndOnlyForStartTags) {
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy("<a href=p1.htm>x</a href=p2.htm><a href=p3.htm>"));
  tokenizer.Next();
  const Attribute* first = tokenizer.FindAttribute("HREF");
  EXPECT_EQ(first, tokenizer.FindAttribute("href"));
  EXPECT_EQ(tokenizer.AttributeValue("HREF"), "p1.htm");
  tokenizer.Next();
  EXPECT_EQ(tokenizer.FindAttribute("HREF"), nullptr);  // text
  tokenizer.Next();
  EXPECT_EQ(tokenizer.FindAttribute("HREF"), nullptr);  // end tag
  tokenizer.Next();
  EXPECT_EQ(tokenizer.AttributeValue("HREF"), "p3.htm");
}

TEST(TagTokenizer, SkipToJumpsOverRawContent) {
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy("<script>if (a<b) x('<a href=y>')</SCRIPT>after"));
  ASSERT_EQ(tokenizer.Next(), TokenKind::kStartTag);
  EXPECT_TRUE(tokenizer.SkipTo("</script>"));
  ASSERT_EQ(tokenizer.Next(), TokenKind::kText);
  EXPECT_EQ(tokenizer.TokenText(), "after");

  ASSERT_TRUE(tokenizer.AttachCopy("<script>never closed"));
  tokenizer.Next();
  EXPECT_FALSE(tokenizer.SkipTo("</script>"));
  EXPECT_EQ(tokenizer.position(), tokenizer.length());
  EXPECT_EQ(tokenizer.token_begin(), tokenizer.length());
  EXPECT_EQ(tokenizer.Next(), TokenKind::kEnd);
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
  EXPECT_EQ(Walk(std::string_view(tokenizer.text(), tokenizer.length())), "<P> <B>");
  EXPECT_EQ(tokenizer.Next(), TokenKind::kStartTag);
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
}

TEST(TagTokenizer, AnEditThatCannotGrowLeavesTheTextAsItWas) {
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy("<p>x"));
  core::testing::FailAllocationAfter(0);
  EXPECT_EQ(tokenizer.Edit(1, 1000), nullptr);
  core::testing::FailAllocationAfter(-1);
  EXPECT_EQ(std::string(tokenizer.text(), tokenizer.length()), "<p>x");
  EXPECT_FALSE(tokenizer.IsModified());
}

TEST(TagTokenizer, HostilePagesEndEveryWalk) {
  // Unclosed tags and quotes, attribute floods, long runs and NUL bytes: each
  // walk must end, every token must move forward, and every attribute query
  // must stay inside the text.
  std::vector<std::string> pages = {
      std::string(10 << 20, 'x'),        "<a href=\"" + std::string(1 << 20, 'y'),
      "<a " + std::string(1 << 20, '='), "<!-- " + std::string(1 << 20, '-'),
      std::string(1 << 16, '<'),         "<a" + std::string(1 << 16, '\0') + "href=x>",
  };
  std::string flood = "<a";
  for (int i = 0; i < 500; ++i) flood += " href=\"" + std::to_string(i) + "\" x";
  pages.push_back(flood + ">");

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

TEST(TagTables, RowsAsTheyAreFixed) {
  const std::vector<std::string> names = {
      "!--",        "!DOCTYPE", "A",      "ABBR",     "ACRONYM",  "ADDRESS",   "APPLET",
      "AREA",       "B",        "BASE",   "BASEFONT", "BDO",      "BGSOUND",   "BIG",
      "BLOCKQUOTE", "BODY",     "BR",     "BUTTON",   "CAPTION",  "CENTER",    "CITE",
      "CFMAIL",     "CODE",     "COL",    "COLGROUP", "COMMENT",  "DD",        "DEL",
      "DFN",        "DIR",      "DIV",    "DL",       "DT",       "EM",        "EMBED",
      "FIELDSET",   "FONT",     "FORM",   "FRAME",    "FRAMESET", "H1",        "H2",
      "H3",         "H4",       "H5",     "H6",       "H7",       "HEAD",      "HR",
      "HTML",       "I",        "IFRAME", "IMG",      "INPUT",    "INS",       "ISINDEX",
      "KBD",        "LABEL",    "LEGEND", "LI",       "LINK",     "LISTING",   "MAP",
      "MARQUEE",    "MENU",     "META",   "NOBR",     "NOFRAMES", "NOSCRIPT",  "OBJECT",
      "OL",         "OPTGROUP", "OPTION", "P",        "PARAM",    "PLAINTEXT", "PRE",
      "Q",          "S",        "SAMP",   "SCRIPT",   "SELECT",   "SMALL",     "SPAN",
      "STRIKE",     "STRONG",   "STYLE",  "SUB",      "SUP",      "TABLE",     "TBODY",
      "TD",         "TEXTAREA", "TFOOT",  "TH",       "THEAD",    "TITLE",     "TR",
      "TT",         "U",        "UL",     "VAR",      "WBR",      "XMP",       "SPACER"};
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kTagCount));
  const std::string blocks =
      " !DOCTYPE APPLET BGSOUND BODY BR COMMENT DD FRAME FRAMESET HEAD HTML IFRAME META TD TITLE "
      "TR ";
  const std::string empty_content =
      " !DOCTYPE AREA BASE BASEFONT BGSOUND BR CAPTION COL COLGROUP DD DIR DL DT FRAME HR IMG "
      "INPUT "
      "ISINDEX LI LINK META PARAM TFOOT TH THEAD SPACER ";
  const std::string without_list =
      " ABBR ACRONYM ADDRESS B BDO BIG BLOCKQUOTE BUTTON CENTER CITE CFMAIL CODE COMMENT DD DEL "
      "DFN DIR DL DT EM FIELDSET HEAD HTML I INS KBD LABEL LEGEND LISTING MENU NOBR NOFRAMES "
      "NOSCRIPT OPTGROUP PLAINTEXT PRE Q S SAMP SMALL STRIKE STRONG SUB SUP TBODY TFOOT THEAD "
      "TITLE TT U VAR WBR XMP !-- ";
  auto in = [](const std::string& set, const std::string& name) {
    return set.find(" " + name + " ") != std::string::npos;
  };
  for (int row = 0; row < kTagCount; ++row) {
    const TagInfo& tag = kTagTable[row];
    const std::string name = names[row];
    EXPECT_EQ(tag.name, name);
    EXPECT_EQ(FindTag(name), &tag);
    EXPECT_EQ(tag.block, in(blocks, name)) << name;
    ContentKind expected = in(empty_content, name) ? kEmptyContent : kNormalContent;
    if (name == "!--") expected = kMarkupComment;
    if (name == "COMMENT") expected = kCommentContent;
    if (name == "APPLET" || name == "SCRIPT") expected = kRawContent;
    if (name == "PRE") expected = kPreformatted;
    EXPECT_EQ(tag.content, expected) << name;
    EXPECT_EQ(tag.allowed == nullptr, in(without_list, name)) << name;
  }
  EXPECT_STREQ(FindTag("!doctype")->allowed, "*");
  EXPECT_STREQ(FindTag("script")->allowed, "LANGUAGE;SRC");
  EXPECT_STREQ(FindTag("area")->allowed, "COORDS;SHAPE;RECT;NOHREF;HREF;TARGET;ALT;NAME");

  ASSERT_EQ(FindAttributeName("ALIGN"), 0);
  EXPECT_EQ(FindAttributeName("width"), kAttributeCount - 1);
  EXPECT_EQ(FindAttributeName("BORDERCOLORDARK"), 12);
  EXPECT_EQ(FindAttributeName("ONLOAD"), -1);
  EXPECT_EQ(FindTag("FOO"), nullptr);
}

}  // namespace
}  // namespace vellum::web
