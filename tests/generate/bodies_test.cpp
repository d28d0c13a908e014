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
using test::ScratchDir;
using test::Settings;
using test::Tree;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Texts = std::vector<std::string>;

TEST(WriteImg, AttributesComeInTheirFixedOrder) {
  const struct {
    const char *subfolder, *file;
    int width, height;
    const char *css_class, *name, *align, *alt, *expected;
  } rows[] = {
      {nullptr, "a.gif", 0, 0, nullptr, nullptr, nullptr, nullptr, "<IMG SRC=\"a.gif\" BORDER=0>"},
      {"img", "a.gif", 16, 20, "im", "MI0SXE1ZSXP", "absmiddle", "A",
       "<IMG WIDTH=16 HEIGHT=20 NAME=\"MI0SXE1ZSXP\" SRC=\"img/a.gif\" ALIGN=\"absmiddle\" "
       "CLASS=im ALT=\"A\" BORDER=0>"},
      {"", "a.gif", -1, 5, nullptr, nullptr, nullptr, "",
       "<IMG HEIGHT=5 SRC=\"a.gif\" ALT=\"\" BORDER=0>"},
      {"img", nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, "<IMG SRC=\"img/\" BORDER=0>"},
  };
  for (const auto& r : rows) {
    HtmlWriter out(0);
    out.WriteImg(r.subfolder, r.file, r.width, r.height, r.css_class, r.name, r.align, r.alt);
    EXPECT_EQ(out.text(), r.expected);
  }
}

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

TEST(PageHead, AnEmptyOrAbsentTitleIsOneSpace) {
  for (const char* title : {static_cast<const char*>(nullptr), ""}) {
    HtmlWriter out(0);
    EXPECT_TRUE(out.WritePageHead(title, ""));
    EXPECT_EQ(out.text(),
              "<HTML>\n  <HEAD>\n\t<TITLE> </TITLE>\n"
              "\t<META NAME=\"GENERATOR\" CONTENT=\"Vellumark 1.2\">\n"
              "\t<!--  Vellumark Generated  -->\n");
  }
}

TEST(BodyOpen, ColoursAreWrittenWhenAskedForEvenWhenEmpty) {
  HtmlWriter out(0);
  EXPECT_TRUE(out.WriteBodyOpen({.bg_color = "",
                                 .background = "bg.gif",
                                 .text_color = nullptr,
                                 .link_color = "0000FF",
                                 .use_text = true,
                                 .use_link = true}));
  EXPECT_EQ(out.text(), "  </HEAD>\n<BODY BACKGROUND=\"bg.gif\" TEXT=\"#\" LINK=\"#0000FF\">\n\n");
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

TEST(TreeMeasures, DepthAndExtraRowsPerItemInWalkOrder) {
  EXPECT_EQ(MaxDepth(Tree("").list()), 0);
  EXPECT_EQ(MaxDepth(Tree("A -> a\nB -> b").list()), 1);
  // A spans C, D and E; B spans C and D; F's single child adds nothing.
  Tree tree("A\n  B\n    C\n    D\n  E\nF\n  G\nH");
  EXPECT_EQ(MaxDepth(tree.list()), 3);
  EXPECT_EQ(CountExtraRows(tree.list()), (std::vector<int>{2, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(TreeMeasures, AVeryDeepTreeIsWalkedWithoutRecursion) {
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

TEST_F(Body, EmptyRootListsGiveTheBareBodies) {
  Tree empty("");
  HtmlWriter ul(0), table(0), combo(0), paged(0), icons(0), script(0);
  EXPECT_TRUE(UlList(ul, generation, empty.list()));
  EXPECT_EQ(ul.text(), "");
  EXPECT_TRUE(LevelTable(table, generation, empty.list()));
  EXPECT_EQ(table.text(),
            "<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0>\n<TR VALIGN=\"TOP\">\n</TABLE>\n");
  NavCombo(combo, generation, empty.list());
  EXPECT_EQ(combo.text(),
            "<FORM>\n<SELECT NAME=\"NavList\" ONCHANGE=\"onSelect(this)\" "
            "STYLE=\"background-color:White; color:#003164; font-family:Verdana,Arial,Helvetica; "
            "font-size:x-small;\">\n<OPTION VALUE=\"#\" SELECTED></OPTION>\n"
            "<OPTION VALUE=\"#\">---------------</OPTION>\n</SELECT>\n</FORM>\n");
  EXPECT_TRUE(PagedUlList(paged, generation, empty.list(), 0, "map.htm"));
  EXPECT_EQ(paged.text(), "");
  EXPECT_TRUE(IconTree(icons, generation, empty.list()));
  EXPECT_EQ(icons.text(), "");
  EXPECT_TRUE(ScriptTree(script, generation, empty.list()));
  EXPECT_THAT(script.text(),
              StartsWith("<DIV ID=\"TP\" CLASS=TP>&nbsp;</DIV>\n\n\n<DIV ID=\"SXR__0\" CLASS=SXR>\n"
                         "</DIV>\n\n<DIV ID=\"SXR0\" CLASS=SXR>\n</DIV>\n"));
}

TEST_F(Body, IconTreeIndentsChildrenAndOpensTheFontPerList) {
  Tree tree("A -> a.htm\n  B -> b.htm\nC");
  settings.FontStyle = 1;
  settings.ImageFolder = "img";
  HtmlWriter out(0);
  EXPECT_TRUE(IconTree(out, generation, tree.list()));
  EXPECT_EQ(out.text(),
            "<B>\n<IMG WIDTH=16 HEIGHT=16 SRC=\"img/iicon1.gif\" CLASS=ICO BORDER=0>"
            "<A HREF=\"a.htm\">A</A><BR>\n"
            "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD NOWRAP WIDTH=20></TD><TD>\n"
            "<B>\n<IMG WIDTH=16 HEIGHT=16 SRC=\"img/iicon0.gif\" CLASS=ICO BORDER=0>"
            "<A HREF=\"b.htm\">B</A><BR>\n</B>\n</TD></TR></TABLE>\n"
            "<IMG WIDTH=16 HEIGHT=16 SRC=\"img/iicon0.gif\" CLASS=ICO BORDER=0>C<BR>\n</B>\n");
}

TEST_F(Body, ScriptTreeGroupsAfterABranchCarryTwoInTheirIds) {
  // R's children: a leaf group, a branch, then a group whose id repeats the
  // parent level with 2; their own branch D starts a group of level 2.
  Tree tree(R"(R -> r.htm
  a -> a.htm
  B -> b.htm
    c -> c.htm
  d -> d.htm
  D -> dd.htm
    e -> e.htm)");
  HtmlWriter out(0);
  EXPECT_TRUE(ScriptTree(out, generation, tree.list()));
  const std::string& page = out.text();
  std::size_t at = 0;
  for (const char* id :
       {"I0SXE0ZSXP\" CLASS=SXP0", "I0SXE0ZSXC\" CLASS=SXC0", "I1SXE1ZSXP\" CLASS=SXP1",
        "I1SXE1ZSXC\" CLASS=SXC0", "I0SXE2ZSXC\" CLASS=SXC0", "I1SXE3ZSXP\" CLASS=SXP1",
        "I1SXE3ZSXC\" CLASS=SXC0"}) {
    at = page.find(std::string("<DIV ID=\"") + id + ">\n", at);
    ASSERT_NE(at, std::string::npos) << id;
  }
  EXPECT_THAT(page, HasSubstr("<TD NOWRAP WIDTH=20></TD><TD CLASS=SXLR>\n<A HREF=\"javascript:"
                              "void(0);\" onClick=\"onClicked('I1SXE1Z'); return false\">"));
  EXPECT_THAT(page, HasSubstr("<TD NOWRAP WIDTH=56></TD><TD CLASS=SXLR>\n<IMG WIDTH=16 HEIGHT=16 "
                              "SRC=\"iicon0.gif\" CLASS=ICO BORDER=0><A HREF=\"c.htm\">c</A>"));
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
    SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm");
    settings.FontSize = static_cast<uint8_t>(row.font_size);
    settings.ImageFolder = row.image_folder;
    const std::string page = Page("A -> a.htm", settings);
    const std::string size = std::string("getFntSize(\"") + row.word + "\")";
    std::size_t count = 0;
    for (std::size_t at = page.find(size); at != std::string::npos; at = page.find(size, at + 1)) {
      ++count;
    }
    EXPECT_EQ(count, 6u);
    EXPECT_THAT(page, HasSubstr(std::string("var imf = \"") + row.imf + "\";"));
    // Without the expand and collapse links the body starts with "TP".
    EXPECT_THAT(page, HasSubstr(test::StoredText("<BODY>\n\n<DIV ID=\"TP\"")));
  }
}

class IndexBody : public ::testing::Test {
 protected:
  // The body of the index page of outline, with the scheme given (the
  // built-in letters by default).
  std::string Body(std::string_view outline, uint32_t flags = 0) {
    test::Tree tree(outline);
    generation.flags = flags;
    generation.index_entries = IndexEntries(tree.list());
    HtmlWriter out(0);
    EXPECT_TRUE(IndexPage(out, generation));
    return out.text();
  }

  Texts Letters() const {
    Texts files;
    for (const SchemePicture* letter : generation.letters) files.emplace_back(letter->File);
    return files;
  }

  // Uses a scheme of the pictures given.
  void Use(std::vector<SchemePicture> pictures) {
    pictures_ = std::move(pictures);
    scheme_ = {"own", "/x/", kIndexScheme, static_cast<int32_t>(pictures_.size()),
               pictures_.data()};
    generation.scheme = &scheme_;
  }

  SiteMapSettings settings{};
  Generation generation{.settings = settings,
                        .base_path = nullptr,
                        .flags = 0,
                        .scheme = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr)};

 private:
  std::vector<SchemePicture> pictures_;
  ImageScheme scheme_{};
};

TEST_F(IndexBody, AnEmptyProjectGivesTheFrameAndEmptyLetterBars) {
  settings.FontStyle = 2;
  EXPECT_EQ(Body("", VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER),
            "<I>\n<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD>\n</TD></TR></TABLE>\n"
            "<BR>\n\n\n<BR>"
            "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD>\n</TD></TR></TABLE>\n</I>\n");
  EXPECT_TRUE(Letters().empty());
}

// Other takes what no letter takes, bytes above 127 and absent names
// included; items without URL are left out, repeated names listed twice.
TEST_F(IndexBody, OtherTakesWhatNoLetterTakes) {
  const std::string body = Body(
      "-dash -> d.htm\n\xC9mile -> e.htm\n7up -> 7.htm\n~ -> blank.htm\nShop\n  Saws -> s.htm\n"
      "  Saws -> s.htm",
      VELLUM_GEN_LETTER_BAR_BEFORE);
  // The other picture always has an ALT text in the bar, if only "".
  EXPECT_THAT(body, HasSubstr("<A HREF=\"#Other\"><IMG WIDTH=20 HEIGHT=20 SRC=\"icharother.gif\" "
                              "ALT=\"\" BORDER=0></A>\n"));
  EXPECT_THAT(body, HasSubstr("<A NAME=\"7\">"));
  const std::string other = body.substr(body.find("<A NAME=\"Other\">"));
  EXPECT_THAT(other, StartsWith("<A NAME=\"Other\"><IMG WIDTH=20 HEIGHT=20 SRC=\"icharother.gif\" "
                                "BORDER=0></A><BR>\n"));
  EXPECT_THAT(other, HasSubstr("<A HREF=\"blank.htm\"> </A>"));
  EXPECT_THAT(other, HasSubstr("<A HREF=\"d.htm\">-dash</A>"));
  EXPECT_THAT(other, HasSubstr("<A HREF=\"e.htm\">\xC9mile</A>"));
  EXPECT_THAT(body, HasSubstr("<A HREF=\"s.htm\">Saws</A><BR>\n<A HREF=\"s.htm\">Saws</A><BR>\n"));
  EXPECT_THAT(body, Not(HasSubstr("Shop")));
  EXPECT_THAT(body, Not(HasSubstr("<HR>")));
}

TEST_F(IndexBody, WithoutOtherPictureTheRestComesAfterARule) {
  Use({{'B', "b.gif", 0, 0}, {'A', "a.gif", 7, 9}});
  EXPECT_EQ(Body("_x -> x.htm\nbeta -> b.htm\nAlpha -> a.htm\n9 -> 9.htm"),
            "<BR>\n\n<A NAME=\"B\"><IMG SRC=\"b.gif\" ALT=\"B\" BORDER=0></A><BR>\n"
            "<A HREF=\"b.htm\">beta</A><BR>\n"
            "<A NAME=\"A\"><IMG WIDTH=9 HEIGHT=7 SRC=\"a.gif\" ALT=\"A\" BORDER=0></A><BR>\n"
            "<A HREF=\"a.htm\">Alpha</A><BR>\n"
            "\n<HR>\n<A HREF=\"9.htm\">9</A><BR>\n<A HREF=\"x.htm\">_x</A><BR>\n\n<BR>");
  EXPECT_EQ(Letters(), (Texts{"b.gif", "a.gif"}));
  Use({});
  EXPECT_EQ(Body("b -> b.htm\na -> a.htm"),
            "<BR>\n\n\n<HR>\n<A HREF=\"a.htm\">a</A><BR>\n<A HREF=\"b.htm\">b</A><BR>\n\n<BR>");
}

TEST_F(IndexBody, ALowerCaseKeyTakesOnlyLowerCaseAndANameCanHeadTwoGroups) {
  Use({{'a', "small.gif", 0, 0}, {'A', "big.gif", 0, 0}});
  const std::string body = Body("apple -> a.htm\nApple -> A.htm");
  EXPECT_THAT(body, HasSubstr("<A NAME=\"a\"><IMG SRC=\"small.gif\" ALT=\"a\" BORDER=0></A><BR>\n"
                              "<A HREF=\"a.htm\">apple</A><BR>\n<A NAME=\"A\">"));
  EXPECT_THAT(body,
              HasSubstr("<A NAME=\"A\"><IMG SRC=\"big.gif\" ALT=\"A\" BORDER=0></A><BR>\n"
                        "<A HREF=\"A.htm\">Apple</A><BR>\n<A HREF=\"a.htm\">apple</A><BR>\n"));
  EXPECT_TRUE(SchemeHasLetter(*generation.scheme, 'a'));
  EXPECT_FALSE(SchemeHasLetter(*generation.scheme, 'b'));
}

TEST_F(IndexBody, TheLetterBarShowsAtMost255Pictures) {
  Use(std::vector<SchemePicture>(256, {'x', "x.gif", 0, 0}));
  const std::string body = Body("x -> x.htm", VELLUM_GEN_LETTER_BAR_BEFORE);
  EXPECT_EQ(generation.letters.size(), 255u);
  std::size_t groups = 0;
  for (std::size_t at = body.find("<A NAME="); at != std::string::npos;
       at = body.find("<A NAME=", at + 1)) {
    ++groups;
  }
  EXPECT_EQ(groups, 256u);
}

}  // namespace
}  // namespace vellum::generate
