// The parts of a page as exact text: the writer's tags and links, and the
// bodies of each output type.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generate/bodies.h"
#include "generate/html_writer.h"
#include "generate/page_writer.h"
#include "generate/resources.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "generate/tree_walk.h"
#include "generate_support.h"

namespace vellum::generate {
namespace {

using test::ReadBytes;
using test::S;
using test::ScratchDir;
using test::Settings;
using test::Tree;
using ::testing::HasSubstr;

// Link targets: "../" per folder of a relative page, the base page's folder
// stripped only as a whole, "file://" before an absolute path.
TEST(WriteLinkTarget, PrefixesAndTheBaseFolder) {
  const struct {
    int up_indent;
    bool relative;
    const char *base, *url, *expected;
  } rows[] = {
      {2, false, nullptr, "C:\\site\\a.htm", "../../file://C:\\site\\a.htm"},
      {1, false, nullptr, "http://x.org/a.htm", "../http://x.org/a.htm"},
      {0, false, nullptr, "/srv/www/a.htm", "file:///srv/www/a.htm"},
      {0, true, "C:\\site\\map.htm", "C:\\site\\sub\\a.htm", "sub\\a.htm"},
      {0, true, "C:\\site\\map.htm", "D:\\x.htm", "file://D:\\x.htm"},
      {0, true, "C:\\site\\map.htm", "C:\\SITE\\a.htm", "file://C:\\SITE\\a.htm"},  // case counts
      {0, true, "C:\\site\\map.htm", "C:\\sitemap.htm",
       "file://C:\\sitemap.htm"},                                     // not the folder
      {0, true, "C:\\site\\map.htm", "C:\\site", "file://C:\\site"},  // shorter
      {0, true, "/srv/www/map.htm", "/srv/www/docs/a.htm", "docs/a.htm"},
      {0, true, "/map.htm", "/a.htm", "a.htm"},
      {0, true, "/map.htm", "a.htm", "a.htm"},
      {1, true, "/map.htm", "", "../"},
      {0, true, "map.htm", "a.htm", "a.htm"},  // no folder
      {0, true, nullptr, "/srv/a.htm", "file:///srv/a.htm"},
      {0, false, "/srv/www/map.htm", "/srv/www/a.htm", "file:///srv/www/a.htm"},
      // No address leaves its attribute, and no file made relative reads as
      // a scheme.
      {0, false, nullptr, "http://x.org/q?a=\"><b x=\"", "http://x.org/q?a=%22%3E%3Cb x=%22"},
      {0, true, "/srv/map.htm", "/srv/javascript:alert(1).htm", "./javascript:alert(1).htm"},
      {0, true, "/srv/map.htm", "/srv/javascript&colon;x.htm", "./javascript&colon;x.htm"},
      {0, true, "/srv/map.htm", "/srv/a/b:c.htm", "a/b:c.htm"},
      {0, false, nullptr, "mailto:me@x.org", "mailto:me@x.org"},  // typed on purpose
  };
  for (const auto& r : rows) {
    HtmlWriter out(r.up_indent);
    out.WriteLinkTarget(r.relative, r.url, r.base);
    EXPECT_EQ(out.text(), r.expected) << r.base << " " << r.url;
  }
}

TEST(WriteLink, TextsSuffixesAndLineBreaks) {
  const struct {
    const char *text, *url, *suffix;
    bool line_break;
    const char* expected;
  } rows[] = {
      {"", "a.htm", nullptr, true, "<A HREF=\"a.htm\">&nbsp;&nbsp;&nbsp;</A><BR>\n"},
      {nullptr, "a.htm", nullptr, false, "<A HREF=\"a.htm\">&nbsp;&nbsp;&nbsp;</A>\n"},
      {"A", "a.htm", "(3)", true, "<A HREF=\"a.htm\">A (3)</A><BR>\n"},
      {"No URL", nullptr, "(3)", true, "No URL<BR>\n"},
      {nullptr, nullptr, nullptr, false, "\n"},
  };
  for (const auto& r : rows) {
    HtmlWriter out(0);
    out.WriteLink(r.text, r.url, nullptr, false, r.suffix, r.line_break);
    EXPECT_EQ(out.text(), r.expected);
  }
}

TEST(Font, OpeningAndClosingMatch) {
  const struct {
    Font font;
    const char *open, *close;
  } rows[] = {
      {{}, "", ""},
      {{.size_index = 0, .use_size = true},
       "\t<FONT face=\"Verdana, Arial, Helvetica\" SIZE=1>\n",
       "\t</FONT>\n"},
      {{.style = 3}, "\t<B><I>\n", "\t</I></B>\n"},
      {{.size_index = 6, .color = "336699", .use_size = true, .use_color = true, .style = 1},
       "\t<FONT face=\"Verdana, Arial, Helvetica\" SIZE=7 COLOR=\"#336699\"><B>\n",
       "\t</B></FONT>\n"},
      {{.color = "", .use_color = true, .style = 2},
       "\t<FONT face=\"Verdana, Arial, Helvetica\"><I>\n",
       "\t</I></FONT>\n"},
      {{.style = 4}, "\t\n", "\t\n"},
  };
  for (const auto& r : rows) {
    HtmlWriter open(0), close(0);
    open.OpenFont(1, r.font);
    close.CloseFont(1, r.font);
    EXPECT_EQ(open.text(), r.open);
    EXPECT_EQ(close.text(), r.close);
  }
}

TEST(HtmlWriter, WritesTextModeLinesInLargeBlocks) {
  ScratchDir dir;
  core::TextFile file = core::TextFile::Open(dir / "p.htm", core::FileMode::kWriteText);
  HtmlWriter out(file, 0);
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    out.Write("<LI>line</LI>\n");
    expected += "<LI>line</LI>\r\n";
  }
  EXPECT_LT(out.text().size(), 100u * 1024);  // handed over on the way
  EXPECT_TRUE(out.Flush());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadBytes(dir / "p.htm"), expected);
}

TEST(NumberedPageName, InsertsTheNumberBeforeTheFirstDotOfTheName) {
  const struct {
    const char* path;
    int number;
    const char* expected;
  } rows[] = {{"map.htm", 3, "map3.htm"},
              {"map", 3, "map3"},
              {"map.htm", 0, "map.htm"},
              {"map.v2.htm", 12, "map12.v2.htm"},
              {"C:\\my.site\\map.htm", 2, "C:\\my.site\\map2.htm"},
              {"/home/me/.cache/site/map.htm", 1, "/home/me/.cache/site/map1.htm"}};
  for (const auto& r : rows) EXPECT_EQ(NumberedPageName(r.path, r.number), r.expected);
}

// Extra rows: A spans C, D and E; B spans C and D; F's single child adds
// nothing. A very deep tree is walked without recursion.
TEST(TreeMeasures, DepthAndExtraRowsPerItemInWalkOrder) {
  EXPECT_EQ(MaxDepth(Tree("").list()), 0);
  Tree tree("A\n  B\n    C\n    D\n  E\nF\n  G\nH");
  EXPECT_EQ(MaxDepth(tree.list()), 3);
  EXPECT_EQ(CountExtraRows(tree.list()), (std::vector<int>{2, 1, 0, 0, 0, 0, 0, 0}));
  Tree chain("");
  test::AppendChain(chain.list(), 200000);
  EXPECT_EQ(MaxDepth(chain.list()), 200000);
  EXPECT_EQ(CountExtraRows(chain.list()).size(), 200000u);
}

TEST(CopyResource, CopiesFromTheSchemeFolderUnderTheGivenName) {
  test::InScratchDir here;
  const ScratchDir& dir = here.dir();
  dir.Write("scheme/img/a.gif", "GIF");
  const std::string folder = dir / "scheme/", out = dir / "out";
  std::filesystem::create_directory(out);
  ImageScheme scheme{"blue", folder.c_str(), 1, 0, nullptr};
  EXPECT_TRUE(CopyResource(scheme, out.c_str(), "a.gif", "img/", nullptr));
  EXPECT_TRUE(CopyResource(scheme, out.c_str(), "a.gif", "img/", "b.gif"));
  EXPECT_TRUE(CopyResource(scheme, "", "a.gif", "img/", nullptr));  // the current folder
  EXPECT_EQ(test::FilesBelow(dir.path()),
            (std::vector<std::string>{"a.gif", "out/a.gif", "out/b.gif", "scheme/img/a.gif"}));
  EXPECT_EQ(ReadBytes(dir / "out/b.gif"), "GIF");
  EXPECT_FALSE(CopyResource(scheme, out.c_str(), "missing.gif", "img/", nullptr));
  EXPECT_FALSE(CopyResource(scheme, (dir / "no/such").c_str(), "a.gif", "img/", nullptr));
  // Onto itself: refused, and the picture stays whole.
  EXPECT_FALSE(CopyResource(scheme, (dir / "scheme/img").c_str(), "a.gif", "img/", nullptr));
  EXPECT_EQ(ReadBytes(dir / "scheme/img/a.gif"), "GIF");
}

// ---------------------------------------------------------------------------
// Bodies.

// Bodies drawn with the built-in tree icons.
class Body : public ::testing::Test {
 protected:
  SiteMapSettings settings{};
  Generation generation{.settings = settings,
                        .base_path = nullptr,
                        .flags = 0,
                        .scheme = FindScheme(VELLUM_OUTPUT_ICON_TREE, nullptr)};
};

TEST_F(Body, UlListIndentsAsDeepAsTheTreeGoes) {
  Tree tree("");
  test::AppendChain(tree.list(), 20);
  settings.SubListType = 1;
  HtmlWriter out(0);
  EXPECT_TRUE(UlList(out, generation, tree.list()));
  EXPECT_THAT(out.text(), HasSubstr("<UL CLASS=\"UL0\" TYPE=\"circle\">\n\t<LI><A HREF=\"L0.htm\">"
                                    "L0</A><BR>\n\t<UL CLASS=\"UL0\" TYPE=\"disc\">\n"));
  EXPECT_THAT(out.text(),
              HasSubstr(std::string("\n") + std::string(20, '\t') + "<LI><A HREF=\"L19.htm\">"));
  EXPECT_THAT(out.text(), HasSubstr(std::string("\n") + std::string(19, '\t') + "</UL>\n"));
}

// How often part occurs in text.
std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

using ScriptTreePage = test::InGenerateDir;

TEST_F(ScriptTreePage, FontSizeWordAndPictureFolder) {
  const struct {
    int font_size;
    const char *image_folder, *word, *imf;
  } rows[] = {
      {0, nullptr, "xx-small", ""},      {3, "", "medium", ""},
      {6, "img", "xx-large", "img/"},    {7, "a/b/", "x-small", "a/b/"},
      {1, "pics\\", "x-small", "pics/"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.font_size);
    const std::string page =
        Page("A -> a.htm", Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::FontSize,
                                    row.font_size, &S::ImageFolder, row.image_folder));
    EXPECT_EQ(Occurrences(page, std::string("getFntSize(\"") + row.word + "\")"), 6u);
    EXPECT_THAT(page, HasSubstr(std::string("var imf = \"") + row.imf + "\";"));
  }
}

// Index page bodies drawn with a scheme of the pictures given.
class IndexBody : public ::testing::Test {
 protected:
  std::string Body(std::vector<SchemePicture> pictures, std::string_view outline,
                   uint32_t flags = 0) {
    pictures_ = std::move(pictures);
    scheme_ = {"own", "/x/", kIndexScheme, static_cast<int32_t>(pictures_.size()),
               pictures_.data()};
    test::Tree tree(outline);
    generation.flags = flags;
    generation.index_entries = IndexEntries(tree.list());
    HtmlWriter out(0);
    EXPECT_TRUE(IndexPage(out, generation));
    return out.text();
  }

  SiteMapSettings settings{};
  std::vector<SchemePicture> pictures_;
  ImageScheme scheme_{};
  Generation generation{.settings = settings, .base_path = nullptr, .flags = 0, .scheme = &scheme_};
};

// Without an other picture the rest comes after a rule. A lower case key
// takes only lower case names, and a name can head two groups.
TEST_F(IndexBody, WithoutOtherPictureTheRestComesAfterARule) {
  EXPECT_EQ(Body({{'B', "b.gif", 0, 0}, {'A', "a.gif", 7, 9}, {'a', "small.gif", 0, 0}},
                 "_x -> x.htm\nbeta -> b.htm\nAlpha -> A.htm\napple -> a.htm\n9 -> 9.htm"),
            "<BR>\n\n<A NAME=\"B\"><IMG SRC=\"b.gif\" ALT=\"B\" BORDER=0></A><BR>\n"
            "<A HREF=\"b.htm\">beta</A><BR>\n"
            "<A NAME=\"A\"><IMG WIDTH=9 HEIGHT=7 SRC=\"a.gif\" ALT=\"A\" BORDER=0></A><BR>\n"
            "<A HREF=\"A.htm\">Alpha</A><BR>\n<A HREF=\"a.htm\">apple</A><BR>\n"
            "<A NAME=\"a\"><IMG SRC=\"small.gif\" ALT=\"a\" BORDER=0></A><BR>\n"
            "<A HREF=\"a.htm\">apple</A><BR>\n"
            "\n<HR>\n<A HREF=\"9.htm\">9</A><BR>\n<A HREF=\"x.htm\">_x</A><BR>\n\n<BR>");
  ASSERT_EQ(generation.letters.size(), 3u);
  EXPECT_STREQ(generation.letters[0]->File, "b.gif");
  EXPECT_TRUE(SchemeHasLetter(scheme_, 'a'));
  EXPECT_FALSE(SchemeHasLetter(scheme_, 'c'));
  EXPECT_EQ(Body({}, "b -> b.htm\na -> a.htm"),
            "<BR>\n\n\n<HR>\n<A HREF=\"a.htm\">a</A><BR>\n<A HREF=\"b.htm\">b</A><BR>\n\n<BR>");
}

TEST_F(IndexBody, TheLetterBarShowsAtMost255Pictures) {
  const std::string body = Body(std::vector<SchemePicture>(256, {'x', "x.gif", 0, 0}), "x -> x.htm",
                                VELLUM_GEN_LETTER_BAR_BEFORE);
  EXPECT_EQ(generation.letters.size(), 255u);
  EXPECT_EQ(Occurrences(body, "<A NAME="), 256u);
}

}  // namespace
}  // namespace vellum::generate
