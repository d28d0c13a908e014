// The icon tree and the script tree, drawn with the built-in tree icons.
#include <gtest/gtest.h>

#include <string>

#include "generate/bodies.h"
#include "generate/schemes.h"
#include "generate_support.h"
#include "support/message_log.h"

namespace vellum::generate {
namespace {

using test::ExpectGoldenPage;
using test::Generate;
using test::InScratchDir;
using test::ReadBytes;
using test::Settings;
using test::Tree;

class TreeBody : public ::testing::Test {
 protected:
  SiteMapSettings settings{};
  Generation generation{.settings = settings,
                        .base_path = nullptr,
                        .flags = 0,
                        .scheme = FindScheme(VELLUM_OUTPUT_ICON_TREE, nullptr)};
};

TEST_F(TreeBody, IconTreeIndentsChildrenWithAnEmptyCell) {
  Tree tree("A -> a.htm\n  B -> b.htm");
  settings.ImageFolder = "img";
  HtmlWriter out(0);
  EXPECT_TRUE(IconTree(out, generation, tree.list()));
  EXPECT_EQ(out.text(),
            "<IMG WIDTH=16 HEIGHT=16 SRC=\"img/iicon1.gif\" CLASS=ICO BORDER=0>"
            "<A HREF=\"a.htm\">A</A><BR>\n"
            "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD NOWRAP WIDTH=20></TD><TD>\n"
            "<IMG WIDTH=16 HEIGHT=16 SRC=\"img/iicon0.gif\" CLASS=ICO BORDER=0>"
            "<A HREF=\"b.htm\">B</A><BR>\n</TD></TR></TABLE>\n");
}

TEST_F(TreeBody, IconTreeOpensTheFontOncePerListOfTheTree) {
  Tree tree("A -> a.htm\n  B -> b.htm\nC");
  settings.FontStyle = 1;
  HtmlWriter out(0);
  EXPECT_TRUE(IconTree(out, generation, tree.list()));
  EXPECT_EQ(out.text(),
            "<B>\n<IMG WIDTH=16 HEIGHT=16 SRC=\"iicon1.gif\" CLASS=ICO BORDER=0>"
            "<A HREF=\"a.htm\">A</A><BR>\n"
            "<TABLE CELLPADDING=0 CELLSPACING=0 BORDER=0><TR><TD NOWRAP WIDTH=20></TD><TD>\n"
            "<B>\n<IMG WIDTH=16 HEIGHT=16 SRC=\"iicon0.gif\" CLASS=ICO BORDER=0>"
            "<A HREF=\"b.htm\">B</A><BR>\n</B>\n</TD></TR></TABLE>\n"
            "<IMG WIDTH=16 HEIGHT=16 SRC=\"iicon0.gif\" CLASS=ICO BORDER=0>C<BR>\n</B>\n");
}

TEST_F(TreeBody, EmptyTreesGiveTheBareBodies) {
  Tree empty("");
  HtmlWriter icons(0), script(0);
  EXPECT_TRUE(IconTree(icons, generation, empty.list()));
  EXPECT_EQ(icons.text(), "");
  EXPECT_TRUE(ScriptTree(script, generation, empty.list()));
  EXPECT_TRUE(script.text().starts_with(
      "<DIV ID=\"TP\" CLASS=TP>&nbsp;</DIV>\n\n\n<DIV ID=\"SXR__0\" CLASS=SXR>\n</DIV>\n\n"
      "<DIV ID=\"SXR0\" CLASS=SXR>\n</DIV>\n"))
      << script.text();
}

TEST_F(TreeBody, ScriptTreeGroupsAfterABranchCarryTwoInTheirIds) {
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
  const std::string ids[] = {"\"I0SXE0ZSXP\" CLASS=SXP0", "\"I0SXE0ZSXC\" CLASS=SXC0",
                             "\"I1SXE1ZSXP\" CLASS=SXP1", "\"I1SXE1ZSXC\" CLASS=SXC0",
                             "\"I0SXE2ZSXC\" CLASS=SXC0", "\"I1SXE3ZSXP\" CLASS=SXP1",
                             "\"I1SXE3ZSXC\" CLASS=SXC0"};
  std::size_t at = 0;
  for (const std::string& id : ids) {
    at = page.find("<DIV ID=" + id + ">\n", at);
    ASSERT_NE(at, std::string::npos) << id;
  }
  EXPECT_NE(page.find("<TD NOWRAP WIDTH=20></TD><TD CLASS=SXLR>\n<A HREF=\"javascript:void(0);\" "
                      "onClick=\"onClicked('I1SXE1Z'); return false\">"),
            std::string::npos);
  EXPECT_NE(page.find("<TD NOWRAP WIDTH=56></TD><TD CLASS=SXLR>\n<IMG WIDTH=16 HEIGHT=16 "
                      "SRC=\"iicon0.gif\" CLASS=ICO BORDER=0><A HREF=\"c.htm\">c</A>"),
            std::string::npos);
}

TEST(ScriptTreePage, LeafBranchLeafWithTheWholeHeadBlock) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree("Home -> index.htm\nShop -> shop.htm\n  Tools -> tools.htm\nAbout -> about.htm");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm");
  settings.Title = "Tree";
  settings.ImageFolder = "img";
  settings.FontSize = 9;
  settings.ExpandText = "Expand all";
  settings.CollapseText = "Collapse all";
  Generate(settings, tree.list(), VELLUM_GEN_EXPAND_COLLAPSE_LINKS);
  ExpectGoldenPage("tree.htm", "script_tree.html");
}

TEST(ScriptTreePage, FontSizeWordAndPictureFolder) {
  const struct {
    int font_size;
    const char* image_folder;
    const char* word;
    const char* imf;
  } rows[] = {
      {0, nullptr, "xx-small", ""},      {3, "", "medium", ""},
      {6, "img", "xx-large", "img/"},    {7, "a/b/", "x-small", "a/b/"},
      {1, "pics\\", "x-small", "pics/"},
  };
  for (const auto& row : rows) {
    InScratchDir here;
    test::InstallMessageLog();
    Tree tree("A -> a.htm");
    SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm");
    settings.FontSize = static_cast<uint8_t>(row.font_size);
    settings.ImageFolder = row.image_folder;
    Generate(settings, tree.list(), 0);
    const std::string page = ReadBytes("tree.htm");
    const std::string size = std::string("getFntSize(\"") + row.word + "\")";
    std::size_t count = 0;
    for (std::size_t at = page.find(size); at != std::string::npos; at = page.find(size, at + 1)) {
      ++count;
    }
    EXPECT_EQ(count, 6u) << row.font_size;
    EXPECT_NE(page.find(std::string("var imf = \"") + row.imf + "\";"), std::string::npos)
        << row.font_size;
    // Without the expand and collapse links the body starts with "TP".
    EXPECT_NE(page.find(test::StoredText("<BODY>\n\n<DIV ID=\"TP\"")), std::string::npos);
  }
}

}  // namespace
}  // namespace vellum::generate
