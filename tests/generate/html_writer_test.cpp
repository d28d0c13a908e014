#include "generate/html_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generate/page_writer.h"
#include "generate/resources.h"
#include "generate/tree_walk.h"
#include "generate_support.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::generate {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::Tree;

TEST(WriteImg, AttributesComeInTheirFixedOrder) {
  struct Case {
    const char* subfolder;
    const char* file;
    int width, height;
    const char *css_class, *name, *align, *alt;
    const char* expected;
  } cases[] = {
      {nullptr, "a.gif", 0, 0, nullptr, nullptr, nullptr, nullptr, "<IMG SRC=\"a.gif\" BORDER=0>"},
      {"img", "a.gif", 16, 20, "im", "MI0SXE1ZSXP", "absmiddle", "A",
       "<IMG WIDTH=16 HEIGHT=20 NAME=\"MI0SXE1ZSXP\" SRC=\"img/a.gif\" ALIGN=\"absmiddle\" "
       "CLASS=im ALT=\"A\" BORDER=0>"},
      {"", "a.gif", -1, 5, nullptr, nullptr, nullptr, "",
       "<IMG HEIGHT=5 SRC=\"a.gif\" ALT=\"\" BORDER=0>"},
      {"img", nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, "<IMG SRC=\"img/\" BORDER=0>"},
  };
  for (const Case& c : cases) {
    HtmlWriter out(0);
    out.WriteImg(c.subfolder, c.file, c.width, c.height, c.css_class, c.name, c.align, c.alt);
    EXPECT_EQ(out.text(), c.expected);
  }
}

TEST(WriteLink, TargetsTextsAndPrefixes) {
  struct Case {
    int up_indent;
    bool relative;
    const char* base;
    const char* text;
    const char* url;
    const char* suffix;
    bool line_break;
    const char* expected;
  } cases[] = {
      {0, false, nullptr, "", "a.htm", nullptr, true,
       "<A HREF=\"a.htm\">&nbsp;&nbsp;&nbsp;</A><BR>\n"},
      {0, false, nullptr, nullptr, "a.htm", nullptr, false,
       "<A HREF=\"a.htm\">&nbsp;&nbsp;&nbsp;</A>\n"},
      {2, false, nullptr, "A", "C:\\site\\a.htm", nullptr, true,
       "<A HREF=\"../../file://C:\\site\\a.htm\">A</A><BR>\n"},
      {1, false, nullptr, "A", "http://x.org/a.htm", "(3)", true,
       "<A HREF=\"../http://x.org/a.htm\">A (3)</A><BR>\n"},
      {0, true, "C:\\site\\map.htm", "S", "C:\\site\\sub\\a.htm", nullptr, true,
       "<A HREF=\"sub\\a.htm\">S</A><BR>\n"},
      {0, true, "C:\\site\\map.htm", "D", "D:\\x.htm", nullptr, true,
       "<A HREF=\"file://D:\\x.htm\">D</A><BR>\n"},
      {0, false, nullptr, "T", "/srv/www/a.htm", nullptr, true,
       "<A HREF=\"file:///srv/www/a.htm\">T</A><BR>\n"},
      {3, true, nullptr, "No URL", nullptr, "(3)", true, "No URL<BR>\n"},
      {0, true, nullptr, nullptr, nullptr, nullptr, false, "\n"},
  };
  for (const Case& c : cases) {
    HtmlWriter out(c.up_indent);
    out.WriteLink(c.text, c.url, c.base, c.relative, c.suffix, c.line_break);
    EXPECT_EQ(out.text(), c.expected) << c.url;
  }
}

TEST(RelativeLink, StripsOnlyTheWholeFolderOfTheBasePath) {
  struct Case {
    bool relative;
    const char* base;
    const char* url;
    const char* expected;
  } cases[] = {
      {true, "C:\\site\\map.htm", "C:\\site\\sub\\a.htm", "sub\\a.htm"},
      {true, "C:\\site\\map.htm", "D:\\x.htm", "D:\\x.htm"},
      {true, "C:\\site\\map.htm", "C:\\SITE\\a.htm", "C:\\SITE\\a.htm"},  // case counts
      {true, "C:\\site\\map.htm", "C:\\sitemap.htm", "C:\\sitemap.htm"},  // not the folder
      {true, "C:\\site\\map.htm", "C:\\site", "C:\\site"},                // shorter
      {true, "/srv/www/map.htm", "/srv/www/docs/a.htm", "docs/a.htm"},
      {true, "/map.htm", "/a.htm", "a.htm"},
      {true, "/map.htm", "a.htm", "a.htm"},
      {true, "/map.htm", "", ""},
      {true, "map.htm", "a.htm", "a.htm"},  // no folder
      {true, nullptr, "/srv/a.htm", "/srv/a.htm"},
      {false, "/srv/www/map.htm", "/srv/www/a.htm", "/srv/www/a.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RelativeLink(c.relative, c.url, c.base), c.expected) << c.base << " " << c.url;
  }
}

TEST(Font, OpeningAndClosingMatch) {
  struct Case {
    Font font;
    const char* open;
    const char* close;
  } cases[] = {
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
  for (const Case& c : cases) {
    HtmlWriter open(0), close(0);
    open.OpenFont(1, c.font);
    close.CloseFont(1, c.font);
    EXPECT_EQ(open.text(), c.open);
    EXPECT_EQ(close.text(), c.close);
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
  const std::string line = "<LI>line</LI>\n";
  for (int i = 0; i < 10000; ++i) out.Write(line);
  EXPECT_LT(out.text().size(), 100u * 1024);  // handed over on the way
  EXPECT_TRUE(out.Flush());
  EXPECT_TRUE(file.Close());
  std::string expected;
  for (int i = 0; i < 10000; ++i) expected += "<LI>line</LI>\r\n";
  EXPECT_EQ(ReadBytes(dir / "p.htm"), expected);
}

TEST(NumberedPageName, InsertsTheNumberBeforeTheFirstDotOfTheName) {
  struct Case {
    const char* path;
    int number;
    const char* expected;
  } cases[] = {
      {"map.htm", 3, "map3.htm"},
      {"map", 3, "map3"},
      {"map.htm", 0, "map.htm"},
      {"map.v2.htm", 12, "map12.v2.htm"},
      {"C:\\my.site\\map.htm", 2, "C:\\my.site\\map2.htm"},
      {"/home/me/.cache/site/map.htm", 1, "/home/me/.cache/site/map1.htm"},
      {"./out/map", 4, "./out/map4"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberedPageName(c.path, c.number), c.expected);
}

TEST(TreeMeasures, MaxDepthCountsEveryLevelEntered) {
  EXPECT_EQ(MaxDepth(Tree("").list()), 0);
  EXPECT_EQ(MaxDepth(Tree("A -> a\nB -> b").list()), 1);
  EXPECT_EQ(MaxDepth(Tree("A -> a\n  B -> b\n    C -> c\nD -> d").list()), 3);
}

TEST(TreeMeasures, ExtraRowsArePerItemInWalkOrder) {
  Tree tree(R"(A
  B
    C
    D
  E
F
  G
H)");
  // A spans C, D and E; B spans C and D; F's single child adds nothing.
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
  const std::string folder = dir / "scheme/";
  ImageScheme scheme{"blue", folder.c_str(), 1, 0, nullptr};
  std::filesystem::create_directory(dir / "out");
  const std::string out = dir / "out";

  EXPECT_TRUE(CopyResource(scheme, out.c_str(), "a.gif", "img/", nullptr));
  EXPECT_EQ(ReadBytes(dir / "out/a.gif"), "GIF");
  EXPECT_TRUE(CopyResource(scheme, out.c_str(), "a.gif", "img/", "b.gif"));
  EXPECT_EQ(ReadBytes(dir / "out/b.gif"), "GIF");
  EXPECT_TRUE(CopyResource(scheme, "", "a.gif", "img/", nullptr));  // the current folder
  EXPECT_EQ(ReadBytes(dir / "a.gif"), "GIF");
  EXPECT_FALSE(CopyResource(scheme, out.c_str(), "missing.gif", "img/", nullptr));
  EXPECT_FALSE(CopyResource(scheme, (dir / "no/such").c_str(), "a.gif", "img/", nullptr));
  // Onto itself: refused, and the picture stays whole.
  EXPECT_FALSE(CopyResource(scheme, (dir / "scheme/img").c_str(), "a.gif", "img/", nullptr));
  EXPECT_EQ(ReadBytes(dir / "scheme/img/a.gif"), "GIF");
}

}  // namespace
}  // namespace vellum::generate
