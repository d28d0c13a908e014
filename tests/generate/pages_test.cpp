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

#include "generate_support.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;
using test::EngineStart;
using test::FilesBelow;
using test::Generate;
using test::InScratchDir;
using test::OutputList;
using test::ReadBytes;
using test::S;
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
    const char* base_path = nullptr;
  } rows[] = {
      {"Home -> index.html\nProducts\n  Tools -> tools.html\n   -> empty.html\n"
       "About -> about.html\n  Team -> team.html",
       Settings(VELLUM_OUTPUT_UL_LIST, "sitemap.html", &S::ImageFolder, "img", &S::BgColor,
                "FFFFFF", &S::BackgroundImage, "paper.gif", &S::Title, "Site Map", &S::TextAbove,
                "<H1>Our site</H1>", &S::TextBelow, "<P>Updated daily</P>", &S::HeadTags,
                "<META NAME=\"robots\" CONTENT=\"all\">", &S::FontColor, "000000", &S::LinkColor,
                "0000FF", &S::VisitedColor, "000080", &S::FontSize, 1, &S::FontStyle, 1,
                &S::TopListType, 2, &S::SubListType, 3),
       VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR |
           VELLUM_GEN_USE_VISITED_COLOR | VELLUM_GEN_PAGE_FOOTER,
       {{"sitemap.html", "ul_list.html"}}},
      {kShop,
       Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm", &S::Title, "Shop", &S::TopCrumbText, "Top",
                &S::CrumbSeparator, "/"),
       VELLUM_GEN_BREADCRUMBS | VELLUM_GEN_CHILD_COUNTS,
       {{"map.htm", "paged_ul_list.html"},
        {"map1.htm", "paged_ul_list_branch.html"},
        {"map2.htm", "paged_ul_list_deeper.html"}}},
      {"A -> a.htm\n  B -> b.htm\n  C -> c.htm\nD -> d.htm",
       Settings(VELLUM_OUTPUT_LEVEL_TABLE, "table.htm", &S::Title, "Levels", &S::FontStyle, 2,
                &S::TableBorder, 1),
       0,
       {{"table.htm", "level_table.html"}}},
      // Children are indented, items without URL skipped.
      {"Home -> index.html\nProducts\n  Tools -> tools.html\n  Garden -> garden.html\n"
       "    Seeds -> seeds.html",
       Settings(VELLUM_OUTPUT_NAV_COMBO, "sitemap/nav.htm", &S::ComboTitle, "Navigate",
                &S::FontColor, "003164"),
       VELLUM_GEN_USE_FONT_COLOR,
       {{"nav.htm", "nav_combo.html"}}},
      {"",
       Settings(VELLUM_OUTPUT_UL_LIST, "empty.htm", &S::Title, "Nothing yet"),
       0,
       {{"empty.htm", "ul_list_empty.html"}}},
      {kShop,
       Settings(7, "frame.htm", &S::Title, "Frame", &S::TextAbove, "<P>above</P>", &S::TextBelow,
                "<P>below</P>"),
       0,
       {{"frame.htm", "unknown_type_frame.html"}}},
      // Bare bodies of empty trees; an absent title is one space, and colours
      // asked for are written even when empty.
      {"",
       Settings(VELLUM_OUTPUT_LEVEL_TABLE, "table.htm", &S::BgColor, "", &S::LinkColor, "0000FF"),
       VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR,
       {{"table.htm", "level_table_empty.html"}}},
      {"", Settings(VELLUM_OUTPUT_NAV_COMBO, "nav.htm"), 0, {{"nav.htm", "nav_combo_empty.html"}}},
      {"",
       Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm"),
       0,
       {{"tree.htm", "script_tree_empty.html"}}},
      // Links relative to the base page's folder where they lie below it.
      {"A -> /srv/www/a.htm\nB -> /srv/www/docs/b.htm\nC -> /srv/other/c.htm",
       Settings(VELLUM_OUTPUT_NAV_COMBO, "relative.htm"),
       VELLUM_GEN_RELATIVE_LINKS,
       {{"relative.htm", "nav_combo_relative.html"}},
       "/srv/www/index.htm"},
      // The font is opened per list, children indented in a table.
      {"A -> a.htm\n  B -> b.htm\nC",
       Settings(VELLUM_OUTPUT_ICON_TREE, "icons.htm", &S::ImageFolder, "img", &S::FontStyle, 1),
       0,
       {{"icons.htm", "icon_tree.html"}}},
      {"Home -> index.htm\nShop -> shop.htm\n  Tools -> tools.htm\nAbout -> about.htm",
       Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::ImageFolder, "img", &S::Title, "Tree",
                &S::CollapseText, "Collapse all", &S::ExpandText, "Expand all", &S::FontSize, 9),
       VELLUM_GEN_EXPAND_COLLAPSE_LINKS,
       {{"tree.htm", "script_tree.html"}}},
      // R's children: a leaf group, a branch, then a group whose id repeats
      // the parent level with 2; their own branch D starts a group of level 2.
      {"R -> r.htm\n  a -> a.htm\n  B -> b.htm\n    c -> c.htm\n  d -> d.htm\n  D -> dd.htm\n"
       "    e -> e.htm",
       Settings(VELLUM_OUTPUT_SCRIPT_TREE, "groups.htm"),
       0,
       {{"groups.htm", "script_tree_groups.html"}}},
      {"beta -> beta.htm\nAlpha -> Alpha.htm\n  alpha -> alpha.htm\nLinks\n"
       "  9lives -> 9lives.htm\n  _x -> x.htm",
       Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm", &S::ImageFolder, "letters", &S::Title,
                "Index", &S::OtherName, "Other", &S::FontColor, "003063", &S::FontSize, 2),
       VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER | VELLUM_GEN_USE_FONT_SIZE |
           VELLUM_GEN_USE_FONT_COLOR,
       {{"index.htm", "index_page.html"}}},
      // The frame and empty letter bars.
      {"",
       Settings(VELLUM_OUTPUT_INDEX_PAGE, "empty.htm", &S::FontStyle, 2),
       VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER,
       {{"empty.htm", "index_page_empty.html"}}},
      // Other takes what no letter takes, bytes above 127 and absent names
      // included, with an ALT text in the bar, if only ""; items without URL
      // are left out, repeated names listed twice.
      {"-dash -> d.htm\n\xC9mile -> e.htm\n7up -> 7.htm\n~ -> blank.htm\nShop\n  Saws -> s.htm\n"
       "  Saws -> s.htm",
       Settings(VELLUM_OUTPUT_INDEX_PAGE, "other.htm"),
       VELLUM_GEN_LETTER_BAR_BEFORE,
       {{"other.htm", "index_page_other.html"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pages.front().second);
    test::InScratchDir here;
    test::InstallMessageLog();
    Tree tree(row.outline);
    Generate(row.settings, tree.list(), row.flags, row.base_path);
    for (const auto& [page, golden] : row.pages) {
      test::ExpectGoldenFile(page, std::string(VELLUM_GOLDEN_DIR "/") + golden);
    }
    EXPECT_TRUE(test::Messages().errors.empty());
  }
}

// ---------------------------------------------------------------------------
// Where pages go, registration and messages.

using Pages = test::InGenerateDir;

TEST_F(Pages, BranchPagesAreRegisteredOnceAndAnnouncedBeforeThePageLinkingThem) {
  Tree tree(kShop);
  const SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm");
  Generate(settings, tree.list(), VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(project::TheProject().Modified, 0);
  Generate(settings, tree.list());
  Generate(settings, tree.list());
  const Files order{"map2.htm", "map1.htm", "map3.htm", "map.htm"};
  EXPECT_EQ(OutputList(), order);
  ASSERT_EQ(log.info.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(log.info[i], "   Generate '" + order[i % 4] + "' page\n");
  }
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(project::TheProject().Modified, 1);
  EXPECT_FALSE(fs::exists("map4.htm"));
}

// A branch without URL ends its own page's trail with its name alone.
TEST_F(Pages, ARelativePathIsWrittenInTheCurrentFolderWithLinksGoingUp) {
  const std::string page =
      Page("A -> a.htm\nProducts -> products.html\n  Garden\n    Seeds -> seeds.html",
           Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "site/maps/map.htm", &S::TopCrumbText, "Top"),
           VELLUM_GEN_BREADCRUMBS);
  EXPECT_FALSE(fs::exists("site"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"../../a.htm\">A</A><BR>\r\n"));
  // The trail links back up the same way.
  EXPECT_THAT(ReadBytes("map2.htm"), HasSubstr("<A HREF=\"../../site/maps/map.htm\">Top</A>"
                                               "&nbsp;&nbsp;<A HREF=\"../../site/maps/map1.htm\">"
                                               "Products</A>&nbsp;&nbsp;Garden<BR>"));
  EXPECT_EQ(OutputList(), (Files{"map2.htm", "map1.htm", "map.htm"}));
  EXPECT_EQ(log.info.back(), "   Generate 'map.htm' page\n");
}

// An absolute page is registered by its path, with links as they are; its
// background is copied into the image folder beside it, or into the current
// folder for a relative page. Copies are not registered, and a picture
// already in place is left whole.
TEST_F(Pages, AnAbsolutePageAndBackgroundsBesideThePage) {
  here.dir().Write("pics/paper.gif", "GIF");
  here.dir().Write("stone.gif", "STONE");
  fs::create_directory("web");
  const std::string path = here.dir() / "web/map.htm";
  const std::string page = Page("A -> a.htm\nB -> /srv/b.htm",
                                Settings(VELLUM_OUTPUT_UL_LIST, path.c_str(), &S::BackgroundImage,
                                         "pics/paper.gif", &S::ImageFolder, "img"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"a.htm\">A</A><BR>\r\n"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"file:///srv/b.htm\">B</A><BR>\r\n"));
  EXPECT_EQ(ReadBytes(here.dir() / "web/img/paper.gif"), "GIF");
  EXPECT_EQ(OutputList(), Files{path});
  EXPECT_EQ(log.info, Files{"   Generate '" + path + "' page\n"});
  Page("", Settings(VELLUM_OUTPUT_UL_LIST, "map.htm", &S::BackgroundImage, "pics/paper.gif"));
  EXPECT_EQ(ReadBytes("paper.gif"), "GIF");
  EXPECT_FALSE(fs::exists("/paper.gif"));
  Page("", Settings(VELLUM_OUTPUT_UL_LIST, "map.htm", &S::BackgroundImage, "stone.gif"));
  EXPECT_EQ(ReadBytes("stone.gif"), "STONE");
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(Pages, AnOutputThatCannotBeCreatedIsReportedAndNotRegistered) {
  fs::create_directory("folder.htm");
  here.dir().Write("paper.gif", "GIF");
  const std::string below_a_file = here.dir().Write("file", "") + "/map.htm";
  for (const char* path : {below_a_file.c_str(), "folder.htm", "maps/", ""}) {
    Page("A -> a.htm", Settings(VELLUM_OUTPUT_UL_LIST, path, &S::BackgroundImage, "paper.gif",
                                &S::ImageFolder, "img"));
  }
  EXPECT_EQ(log.errors,
            (Files{"can't open file '" + below_a_file + "'", "can't open file 'folder.htm'",
                   "can't open file ''", "can't open file ''"}));
  EXPECT_TRUE(log.info.empty());
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(ReadBytes("img/paper.gif"), "GIF");  // the resources are still copied
}

// A file size limit makes the writes fail as a full disk would: for a small
// page when it is closed, for a large one while it is being written. The
// limit is lifted again so that the test's own files can be written.
TEST_F(Pages, AWriteErrorKeepsThePreviousPage) {
  std::string large;
  for (int i = 0; i < 5000; ++i) large.append("Page ").append(std::to_string(i)) += " -> p.htm\n";
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit lifted = limit;
  limit.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  for (const std::string& outline : {std::string(kShop), large}) {
    here.dir().Write("map.htm", "previous page");
    test::InstallMessageLog();
    EXPECT_EQ(Page(outline.c_str(), Settings(VELLUM_OUTPUT_UL_LIST, "map.htm")), "previous page");
    EXPECT_EQ(log.errors, Files{"write error in the file"});
    EXPECT_TRUE(log.info.empty());
    EXPECT_EQ(FilesBelow("."), Files{"map.htm"});  // no partial page beside it
  }
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lifted), 0);
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
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), chain.list());
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

constexpr const char* kTree = "Apple -> apple.htm\n  7up -> 7up.htm\n_x -> x.htm";
const std::string kResources = test::kSourceRoot + "Resource/";

// Beside an absolute page, in its image folder; the pictures only the
// scripts show are registered with the scripts. Copies are whole files of
// the resource folder.
TEST(CopyResources, EachOutputTypeBesideAnAbsolutePage) {
  const Files script_tree{"img/iicon0.gif", "img/iicon1.gif", "img/iicon2.gif", "img/iicon3.gif",
                          "img/iicon4.gif", "map.htm",        "tree0.js",       "tree4.js"};
  const struct {
    int output_type;
    Files files;       // below the page's folder
    Files registered;  // relative to it
  } rows[] = {
      {VELLUM_OUTPUT_UL_LIST, {"map.htm"}, {"map.htm"}},
      {VELLUM_OUTPUT_PAGED_UL_LIST, {"map.htm", "map1.htm"}, {"map1.htm", "map.htm"}},
      {VELLUM_OUTPUT_ICON_TREE, {"img/iicon0.gif", "img/iicon1.gif", "map.htm"}, {"map.htm"}},
      {VELLUM_OUTPUT_SCRIPT_TREE,
       script_tree,
       {"map.htm", "img/iicon1.gif", "img/iicon4.gif", "tree0.js", "tree4.js"}},
      {VELLUM_OUTPUT_NAV_COMBO, {"map.htm"}, {"map.htm"}},
      {VELLUM_OUTPUT_INDEX_PAGE,
       {"img/ichar7.gif", "img/ichara.gif", "img/icharother.gif", "map.htm"},
       {"map.htm"}},
      {VELLUM_OUTPUT_LEVEL_TABLE, {"map.htm"}, {"map.htm"}},
  };
  EngineStart engine(test::kSourceRoot);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output_type);
    InScratchDir here;
    fs::create_directory("web");
    const std::string web = here.dir() / "web/", page = web + "map.htm";
    Tree tree(kTree);
    Generate(Settings(row.output_type, page.c_str(), &S::ImageFolder, "img"), tree.list());
    EXPECT_EQ(FilesBelow(web), row.files);
    Files registered;
    for (const std::string& file : row.registered) registered.push_back(web + file);
    EXPECT_EQ(OutputList(), registered);
    for (const std::string& file : registered) {
      project::RemoveFile(project::TheProject(), file.c_str());  // the next row starts from none
    }
    EXPECT_TRUE(test::Messages().errors.empty());
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

TEST(CopyResources, ShippedSchemesLoadAndGiveTheirPictures) {
  InScratchDir here;
  EngineStart engine(test::kSourceRoot);
  EXPECT_TRUE(test::Messages().info.empty());
  Tree tree(kTree);
  Generate(Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::SchemeName, "green"), tree.list(),
           VELLUM_GEN_NO_OUTPUT_LIST);
  Generate(Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm", &S::SchemeName, "round"), tree.list(),
           VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_EQ(FilesBelow("."),
            (Files{"green0.gif", "green1.gif", "green2.gif", "green3.gif", "green4.gif",
                   "index.htm", "round7.gif", "rounda.gif", "tree.htm", "tree0.js", "tree4.js"}));
  EXPECT_EQ(ReadBytes("green3.gif"), ReadBytes(kResources + "Schemes/green/img/green3.gif"));
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
  Generate(Settings(VELLUM_OUTPUT_ICON_TREE, "icons.htm", &S::SchemeName, "odd"), tree.list());
  const std::string page = ReadBytes("icons.htm");
  EXPECT_THAT(page, HasSubstr("<IMG WIDTH=16 HEIGHT=16 SRC=\"branch.gif\" CLASS=ICO BORDER=0>"));
  EXPECT_THAT(page, HasSubstr("<IMG SRC=\"leaf.gif\" CLASS=ICO BORDER=0>"));
  EXPECT_EQ(ReadBytes("leaf.gif"), "not a picture");
  // A script tree from a scheme of two pictures lacks the other three.
  Generate(Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::SchemeName, "odd"), tree.list());
  EXPECT_THAT(ReadBytes("tree.htm"),
              HasSubstr("return false\">\r\n</A>&nbsp<A HREF=\"a.htm\">A</A><BR>"));
}

}  // namespace
}  // namespace vellum::generate
