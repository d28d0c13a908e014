// Whole pages: golden pages of each output type, where pages and their
// resources go, what is registered and reported, and failures.
#include "generate/site_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "generate/resources.h"
#include "generate/schemes.h"
#include "generate_support.h"
#include "project/project.h"

// Settings name the members they set; the others are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;
using test::EngineStart;
using test::FilesBelow;
using test::Generate;
using test::InScratchDir;
using test::OutputList;
using test::ReadBytes;
using test::Settings;
using test::Tree;
using ::testing::HasSubstr;
using Files = std::vector<std::string>;

constexpr const char* kShop = R"(Home -> index.html
Products -> products.html
  Tools -> tools.html
  Garden -> garden.html
    Seeds -> seeds.html
    Bulbs -> bulbs.html
  Sale -> sale.html
About -> about.html
  Team -> team.html)";

// ---------------------------------------------------------------------------
// Golden pages: a tree and settings in, the whole page out.

TEST(GoldenPage, EachOutputType) {
  const struct {
    const char* outline;
    SiteMapSettings settings;
    uint32_t flags;
    std::vector<std::pair<const char*, const char*>> pages;  // written, golden
  } rows[] = {
      {"Home -> index.html\nProducts\n  Tools -> tools.html\n   -> empty.html\n"
       "About -> about.html\n  Team -> team.html",
       {.OutputType = VELLUM_OUTPUT_UL_LIST,
        .OutputFile = "sitemap.html",
        .ImageFolder = "img",
        .BgColor = "FFFFFF",
        .BackgroundImage = "paper.gif",
        .Title = "Site Map",
        .TextAbove = "<H1>Our site</H1>",
        .TextBelow = "<P>Updated daily</P>",
        .HeadTags = "<META NAME=\"robots\" CONTENT=\"all\">",
        .FontColor = "000000",
        .LinkColor = "0000FF",
        .VisitedColor = "000080",
        .FontSize = 1,
        .FontStyle = 1,
        .TopListType = 2,
        .SubListType = 3},
       VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR |
           VELLUM_GEN_USE_VISITED_COLOR | VELLUM_GEN_PAGE_FOOTER,
       {{"sitemap.html", "ul_list.html"}}},
      {kShop,
       {.OutputType = VELLUM_OUTPUT_PAGED_UL_LIST,
        .OutputFile = "map.htm",
        .Title = "Shop",
        .TopCrumbText = "Top",
        .CrumbSeparator = "/"},
       VELLUM_GEN_BREADCRUMBS | VELLUM_GEN_CHILD_COUNTS,
       {{"map.htm", "paged_ul_list.html"},
        {"map1.htm", "paged_ul_list_branch.html"},
        {"map2.htm", "paged_ul_list_deeper.html"}}},
      {"A -> a.htm\n  B -> b.htm\n  C -> c.htm\nD -> d.htm",
       {.OutputType = VELLUM_OUTPUT_LEVEL_TABLE,
        .OutputFile = "table.htm",
        .Title = "Levels",
        .FontStyle = 2,
        .TableBorder = 1},
       0,
       {{"table.htm", "level_table.html"}}},
      // Children are indented, items without URL skipped.
      {"Home -> index.html\nProducts\n  Tools -> tools.html\n  Garden -> garden.html\n"
       "    Seeds -> seeds.html",
       {.OutputType = VELLUM_OUTPUT_NAV_COMBO,
        .OutputFile = "sitemap/nav.htm",
        .ComboTitle = "Navigate",
        .FontColor = "003164"},
       VELLUM_GEN_USE_FONT_COLOR,
       {{"nav.htm", "nav_combo.html"}}},
      {"",
       {.OutputType = VELLUM_OUTPUT_UL_LIST, .OutputFile = "empty.htm", .Title = "Nothing yet"},
       0,
       {{"empty.htm", "ul_list_empty.html"}}},
      {kShop,
       {.OutputType = 7,
        .OutputFile = "frame.htm",
        .Title = "Frame",
        .TextAbove = "<P>above</P>",
        .TextBelow = "<P>below</P>"},
       0,
       {{"frame.htm", "unknown_type_frame.html"}}},
      {"Home -> index.htm\nShop -> shop.htm\n  Tools -> tools.htm\nAbout -> about.htm",
       {.OutputType = VELLUM_OUTPUT_SCRIPT_TREE,
        .OutputFile = "tree.htm",
        .ImageFolder = "img",
        .Title = "Tree",
        .CollapseText = "Collapse all",
        .ExpandText = "Expand all",
        .FontSize = 9},
       VELLUM_GEN_EXPAND_COLLAPSE_LINKS,
       {{"tree.htm", "script_tree.html"}}},
      {"beta -> beta.htm\nAlpha -> Alpha.htm\n  alpha -> alpha.htm\nLinks\n"
       "  9lives -> 9lives.htm\n  _x -> x.htm",
       {.OutputType = VELLUM_OUTPUT_INDEX_PAGE,
        .OutputFile = "index.htm",
        .ImageFolder = "letters",
        .Title = "Index",
        .OtherName = "Other",
        .FontColor = "003063",
        .FontSize = 2},
       VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER | VELLUM_GEN_USE_FONT_SIZE |
           VELLUM_GEN_USE_FONT_COLOR,
       {{"index.htm", "index_page.html"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pages.front().second);
    test::InScratchDir here;
    test::InstallMessageLog();
    Tree tree(row.outline);
    Generate(row.settings, tree.list(), row.flags);
    for (const auto& [page, golden] : row.pages) {
      test::ExpectGoldenFile(page, std::string(VELLUM_GOLDEN_DIR "/") + golden);
    }
    EXPECT_TRUE(test::Messages().errors.empty());
  }
}

// ---------------------------------------------------------------------------
// Where pages go, registration and messages.

using Pages = test::InGenerateDir;

TEST_F(Pages, BranchPagesAreRegisteredAndAnnouncedBeforeThePageLinkingThem) {
  Tree tree(kShop);
  const SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm");
  Generate(settings, tree.list(), 0);
  Generate(settings, tree.list(), 0);  // registered once
  const Files order{"map2.htm", "map1.htm", "map3.htm", "map.htm"};
  EXPECT_EQ(OutputList(), order);
  ASSERT_EQ(log.info.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(log.info[i], "   Generate '" + order[i % 4] + "' page\n");
  }
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(project::TheProject().Modified, 1);
  EXPECT_FALSE(fs::exists("map4.htm"));
}

TEST_F(Pages, NoOutputListWritesAndAnnouncesButRegistersNothing) {
  Page(kShop, Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(project::TheProject().Modified, 0);
  EXPECT_EQ(log.info.size(), 4u);
  EXPECT_TRUE(fs::exists("map3.htm"));
}

TEST_F(Pages, ARelativePathIsWrittenInTheCurrentFolderWithLinksGoingUp) {
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "site/maps/map.htm");
  settings.TopCrumbText = "Top";
  const std::string page = Page(
      "A -> a.htm\nProducts -> products.html\n  Garden -> garden.html\n"
      "    Seeds -> seeds.html",
      settings, VELLUM_GEN_BREADCRUMBS);
  EXPECT_FALSE(fs::exists("site"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"../../a.htm\">A</A><BR>\r\n"));
  // The trail links back up the same way.
  EXPECT_THAT(ReadBytes("map2.htm"), HasSubstr("<A HREF=\"../../site/maps/map.htm\">Top</A>"
                                               "&nbsp;&nbsp;<A HREF=\"../../site/maps/map1.htm\">"
                                               "Products</A>&nbsp;&nbsp;"
                                               "<A HREF=\"../../garden.html\">Garden</A>"));
  EXPECT_EQ(OutputList(), (Files{"map2.htm", "map1.htm", "map.htm"}));
  EXPECT_EQ(log.info.back(), "   Generate 'map.htm' page\n");
}

TEST_F(Pages, AnAbsolutePathIsWrittenThereWithLinksAsTheyAre) {
  fs::create_directory("web");
  const std::string path = here.dir() / "web/map.htm";
  const std::string page =
      Page("A -> a.htm\nB -> /srv/b.htm", Settings(VELLUM_OUTPUT_UL_LIST, path.c_str()));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"a.htm\">A</A><BR>\r\n"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"file:///srv/b.htm\">B</A><BR>\r\n"));
  EXPECT_EQ(OutputList(), Files{path});
  EXPECT_EQ(log.info, Files{"   Generate '" + path + "' page\n"});
}

TEST_F(Pages, RelativeLinksAreStrippedOfTheBaseFolder) {
  EXPECT_THAT(
      Page("A -> /srv/www/a.htm\nB -> /srv/www/docs/b.htm\nC -> /srv/other/c.htm",
           Settings(VELLUM_OUTPUT_NAV_COMBO, "nav.htm"), VELLUM_GEN_RELATIVE_LINKS,
           "/srv/www/index.htm"),
      HasSubstr(test::StoredText("<OPTION VALUE=\"a.htm\">A</OPTION>\n"
                                 "<OPTION VALUE=\"docs/b.htm\">B</OPTION>\n"
                                 "<OPTION VALUE=\"file:///srv/other/c.htm\">C</OPTION>\n")));
}

TEST_F(Pages, ABranchWithoutUrlEndsTheTrailWithItsNameAlone) {
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm");
  settings.TopCrumbText = "Top";
  settings.CrumbSeparator = ">";
  Page("Products\n  Tools -> tools.html", settings, VELLUM_GEN_BREADCRUMBS);
  EXPECT_THAT(ReadBytes("map1.htm"),
              HasSubstr("<A HREF=\"map.htm\">Top</A>&nbsp;>&nbsp;Products<BR>"));
}

// Backgrounds are copied into the image folder beside an absolute page, or
// the current folder for a relative one; copies are not registered, and a
// picture already in place is left whole.
TEST_F(Pages, BackgroundsAreCopiedBesideThePage) {
  here.dir().Write("pics/paper.gif", "GIF");
  here.dir().Write("stone.gif", "STONE");
  fs::create_directory("web");
  const std::string path = here.dir() / "web/map.htm";
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, path.c_str());
  settings.BackgroundImage = "pics/paper.gif";
  settings.ImageFolder = "img";
  Page("", settings);
  EXPECT_EQ(ReadBytes(here.dir() / "web/img/paper.gif"), "GIF");
  EXPECT_EQ(OutputList(), Files{path});
  settings = Settings(VELLUM_OUTPUT_UL_LIST, "map.htm");
  settings.BackgroundImage = "pics/paper.gif";
  Page("", settings);
  EXPECT_EQ(ReadBytes("paper.gif"), "GIF");
  EXPECT_FALSE(fs::exists("/paper.gif"));
  settings.BackgroundImage = "stone.gif";
  Page("", settings);
  EXPECT_EQ(ReadBytes("stone.gif"), "STONE");
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(Pages, AnOutputThatCannotBeCreatedIsReportedAndNotRegistered) {
  fs::create_directory("folder.htm");
  here.dir().Write("paper.gif", "GIF");
  const std::string below_a_file = here.dir().Write("file", "") + "/map.htm";
  for (const char* path : {below_a_file.c_str(), "folder.htm", "maps/", ""}) {
    SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, path);
    settings.BackgroundImage = "paper.gif";
    settings.ImageFolder = "img";
    Page("A -> a.htm", settings);
  }
  EXPECT_EQ(log.errors,
            (Files{"can't open file '" + below_a_file + "'", "can't open file 'folder.htm'",
                   "can't open file ''", "can't open file ''"}));
  EXPECT_TRUE(log.info.empty());
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(ReadBytes("img/paper.gif"), "GIF");  // the resources are still copied
}

// A file size limit makes the writes fail as a full disk would: for a small
// page when it is closed, for a large one while it is being written.
TEST_F(Pages, AWriteErrorKeepsThePreviousPage) {
  std::string large;
  for (int i = 0; i < 5000; ++i)
    large.append("Page ").append(std::to_string(i)).append(" -> p.htm\n");
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{64, 64};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  for (const std::string& outline : {std::string(kShop), large}) {
    here.dir().Write("map.htm", "previous page");
    test::InstallMessageLog();
    EXPECT_EQ(Page(outline.c_str(), Settings(VELLUM_OUTPUT_UL_LIST, "map.htm")), "previous page");
    EXPECT_EQ(log.errors, Files{"write error in the file"});
    EXPECT_TRUE(log.info.empty());
    EXPECT_EQ(test::FilesBelow("."), Files{"map.htm"});  // no partial page beside it
  }
  EXPECT_TRUE(OutputList().empty());
}

TEST_F(Pages, AFailedBranchPageDoesNotStopThePageLinkingIt) {
  fs::create_directory("map1.htm");
  EXPECT_THAT(Page(kShop, Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm")),
              HasSubstr("<A HREF=\"map1.htm\">Products</A>"));
  EXPECT_EQ(log.errors, Files{"can't open file 'map1.htm'"});
  // The failed page's own branches are never reached; the next branch is 2.
  EXPECT_EQ(OutputList(), (Files{"map2.htm", "map.htm"}));
}

TEST_F(Pages, The64thLevelOfBranchPagesIsRefused) {
  Tree chain("");
  test::AppendChain(chain.list(), 65);  // branch pages at levels 1 to 64
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), chain.list(), 0);
  EXPECT_EQ(log.errors, Files{"runtime error #971"});
  ASSERT_EQ(log.info.size(), 64u);
  EXPECT_EQ(log.info.front(), "   Generate 'map63.htm' page\n");
  EXPECT_EQ(log.info.back(), "   Generate 'map.htm' page\n");
  EXPECT_EQ(OutputList().size(), 64u);
  EXPECT_FALSE(fs::exists("map64.htm"));
  EXPECT_THAT(ReadBytes("map63.htm"), HasSubstr("<A HREF=\"map64.htm\">L63</A>"));
}

// ---------------------------------------------------------------------------
// Resources copied beside a page, from the shipped resource folder.

// The files generation registered, taken out of the project again so that
// the next case starts from none.
Files TakeOutputList() {
  const Files files = test::OutputList();
  for (const std::string& file : files) project::RemoveFile(project::TheProject(), file.c_str());
  return files;
}

constexpr const char* kTree = "Apple -> apple.htm\n  7up -> 7up.htm\n_x -> x.htm";
const std::string kResources = test::SourceRoot() + "Resource/";

TEST(CopyResources, EachOutputTypeBesideAnAbsolutePage) {
  const Files script_tree{"img/iicon0.gif", "img/iicon1.gif", "img/iicon2.gif", "img/iicon3.gif",
                          "img/iicon4.gif", "map.htm",        "tree0.js",       "tree4.js"};
  // The pictures only the scripts show are registered with the scripts.
  const Files script_tree_registered{"map.htm", "img/iicon1.gif", "img/iicon4.gif", "tree0.js",
                                     "tree4.js"};
  const struct {
    int output_type;
    Files files;       // below the page's folder
    Files registered;  // relative to it
  } rows[] = {
      {VELLUM_OUTPUT_UL_LIST, {"map.htm"}, {"map.htm"}},
      {VELLUM_OUTPUT_PAGED_UL_LIST, {"map.htm", "map1.htm"}, {"map1.htm", "map.htm"}},
      {VELLUM_OUTPUT_ICON_TREE, {"img/iicon0.gif", "img/iicon1.gif", "map.htm"}, {"map.htm"}},
      {VELLUM_OUTPUT_SCRIPT_TREE, script_tree, script_tree_registered},
      {VELLUM_OUTPUT_NAV_COMBO, {"map.htm"}, {"map.htm"}},
      {VELLUM_OUTPUT_INDEX_PAGE,
       {"img/ichar7.gif", "img/ichara.gif", "img/icharother.gif", "map.htm"},
       {"map.htm"}},
      {VELLUM_OUTPUT_LEVEL_TABLE, {"map.htm"}, {"map.htm"}},
  };
  EngineStart engine(test::SourceRoot());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output_type);
    InScratchDir here;
    fs::create_directory("web");
    const std::string web = here.dir() / "web/", page = web + "map.htm";
    SiteMapSettings settings = Settings(row.output_type, page.c_str());
    settings.ImageFolder = "img";
    Tree tree(kTree);
    Generate(settings, tree.list(), 0);
    EXPECT_EQ(FilesBelow(web), row.files);
    Files registered;
    for (const std::string& file : row.registered) registered.push_back(web + file);
    EXPECT_EQ(TakeOutputList(), registered);
    EXPECT_TRUE(test::Messages().errors.empty());
    // Copies are whole files of the resource folder.
    for (const std::string& file : row.files) {
      const std::string source = file.ends_with(".js")           ? "Script/" + file
                                 : file.starts_with("img/ichar") ? "Index/" + file.substr(4)
                                                                 : file;
      if (!file.starts_with("map")) {
        EXPECT_EQ(ReadBytes(web + file), ReadBytes(kResources + source)) << file;
      }
    }
  }
}

TEST(CopyResources, ARelativePageGetsThemInTheCurrentFolder) {
  InScratchDir here;
  EngineStart engine(test::SourceRoot());
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "site/maps/map.htm");
  settings.ImageFolder = "pics/tree";
  Tree tree(kTree);
  Generate(settings, tree.list(), 0);
  EXPECT_EQ(FilesBelow("."), (Files{"map.htm", "pics/tree/iicon0.gif", "pics/tree/iicon1.gif",
                                    "pics/tree/iicon2.gif", "pics/tree/iicon3.gif",
                                    "pics/tree/iicon4.gif", "tree0.js", "tree4.js"}));
  EXPECT_EQ(OutputList(), (Files{"map.htm", "pics/tree/iicon1.gif", "pics/tree/iicon4.gif",
                                 "tree0.js", "tree4.js"}));
}

TEST(CopyResources, ShippedSchemesLoadAndGiveTheirPictures) {
  InScratchDir here;
  EngineStart engine(test::SourceRoot());
  EXPECT_TRUE(test::Messages().info.empty());
  const ImageScheme* green = FindScheme(VELLUM_OUTPUT_SCRIPT_TREE, "Green");
  ASSERT_NE(green, nullptr);
  ASSERT_EQ(green->Count, 5);
  EXPECT_EQ(green->Pictures[4].Width, 16);
  const ImageScheme* round = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, "round");
  ASSERT_NE(round, nullptr);
  ASSERT_EQ(round->Count, 36);
  EXPECT_EQ(round->Pictures[35].Height, 20);

  Tree tree(kTree);
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm");
  settings.SchemeName = "green";
  Generate(settings, tree.list(), VELLUM_GEN_NO_OUTPUT_LIST);
  settings = Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm");
  settings.SchemeName = "round";
  Generate(settings, tree.list(), VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(FilesBelow("."),
            (Files{"green0.gif", "green1.gif", "green2.gif", "green3.gif", "green4.gif",
                   "index.htm", "round7.gif", "rounda.gif", "tree.htm", "tree0.js", "tree4.js"}));
  EXPECT_EQ(ReadBytes("green3.gif"), ReadBytes(kResources + "Schemes/green/img/green3.gif"));
  // Without an other picture the name _x comes last, after a rule.
  EXPECT_THAT(ReadBytes("index.htm"),
              HasSubstr("\r\n<HR>\r\n<A HREF=\"x.htm\">_x</A><BR>\r\n\r\n<BR>"));
  EXPECT_EQ(test::Messages().info.size(), 2u);  // the two "Generate" lines
}

TEST(CopyResources, AnUnreadablePictureIsDrawnWithoutSizeAndCopiedAsItIs) {
  InScratchDir here;
  here.dir().Write("root/Resource/Schemes/odd.scm",
                   "Type = 1 Pict = \"leaf.gif\" Pict = \"branch.gif\"");
  here.dir().Write("root/Resource/Schemes/img/leaf.gif", "not a picture");
  fs::copy_file(kResources + "img/iicon1.gif", here.dir() / "root/Resource/Schemes/img/branch.gif");
  EngineStart engine(here.dir() / "root/");
  Tree tree("A -> a.htm\n  B -> b.htm");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_ICON_TREE, "icons.htm");
  settings.SchemeName = "odd";
  Generate(settings, tree.list(), 0);
  const std::string page = ReadBytes("icons.htm");
  EXPECT_THAT(page, HasSubstr("<IMG WIDTH=16 HEIGHT=16 SRC=\"branch.gif\" CLASS=ICO BORDER=0>"));
  EXPECT_THAT(page, HasSubstr("<IMG SRC=\"leaf.gif\" CLASS=ICO BORDER=0>"));
  EXPECT_EQ(ReadBytes("leaf.gif"), "not a picture");

  // A script tree from a scheme of two pictures lacks the other three.
  settings.OutputType = VELLUM_OUTPUT_SCRIPT_TREE;
  settings.OutputFile = "tree.htm";
  Generate(settings, tree.list(), 0);
  EXPECT_THAT(ReadBytes("tree.htm"),
              HasSubstr("return false\">\r\n</A>&nbsp<A HREF=\"a.htm\">A</A><BR>"));
}

}  // namespace
}  // namespace vellum::generate
