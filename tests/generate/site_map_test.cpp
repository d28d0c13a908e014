#include "generate/site_map.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "core/map_item_list.h"
#include "generate/bodies.h"
#include "generate_support.h"
#include "project/project.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::generate {
namespace {

using test::ExpectGoldenPage;
using test::Generate;
using test::InScratchDir;
using test::ReadBytes;
using test::Settings;
using test::StoredText;
using test::Tree;

std::vector<std::string> OutputList() {
  const Project& project = project::TheProject();
  return std::vector<std::string>(project.OutputList, project.OutputList + project.AddedCount);
}

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

TEST(GoldenPage, UlListWithEveryPageSetting) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree(R"(Home -> index.html
Products
  Tools -> tools.html
   -> empty.html
About -> about.html
  Team -> team.html)");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, "sitemap.html");
  settings.Title = "Site Map";
  settings.HeadTags = "<META NAME=\"robots\" CONTENT=\"all\">";
  settings.BgColor = "FFFFFF";
  settings.BackgroundImage = "paper.gif";
  settings.ImageFolder = "img";
  settings.TextAbove = "<H1>Our site</H1>";
  settings.TextBelow = "<P>Updated daily</P>";
  settings.FontColor = "000000";
  settings.LinkColor = "0000FF";
  settings.VisitedColor = "000080";
  settings.FontSize = 1;
  settings.FontStyle = 1;
  settings.TopListType = 2;
  settings.SubListType = 3;
  Generate(settings, tree.list(),
           VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR |
               VELLUM_GEN_USE_VISITED_COLOR | VELLUM_GEN_PAGE_FOOTER);
  ExpectGoldenPage("sitemap.html", "ul_list.html");
}

TEST(GoldenPage, PagedUlListWritesAPagePerBranchWithTrails) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree(kShop);
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm");
  settings.Title = "Shop";
  settings.TopCrumbText = "Top";
  settings.CrumbSeparator = "/";
  Generate(settings, tree.list(), VELLUM_GEN_BREADCRUMBS | VELLUM_GEN_CHILD_COUNTS);
  ExpectGoldenPage("map.htm", "paged_ul_list.html");
  ExpectGoldenPage("map1.htm", "paged_ul_list_branch.html");
  ExpectGoldenPage("map2.htm", "paged_ul_list_deeper.html");
  EXPECT_TRUE(std::filesystem::exists("map3.htm"));
  EXPECT_FALSE(std::filesystem::exists("map4.htm"));
}

TEST(GoldenPage, LevelTableSpansTheRowsOfEachBranch) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree(R"(A -> a.htm
  B -> b.htm
  C -> c.htm
D -> d.htm)");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_LEVEL_TABLE, "table.htm");
  settings.Title = "Levels";
  settings.FontStyle = 2;
  settings.TableBorder = 1;
  Generate(settings, tree.list(), 0);
  ExpectGoldenPage("table.htm", "level_table.html");
}

TEST(GoldenPage, NavComboIndentsChildrenAndSkipsItemsWithoutUrl) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree(R"(Home -> index.html
Products
  Tools -> tools.html
  Garden -> garden.html
    Seeds -> seeds.html)");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_NAV_COMBO, "sitemap/nav.htm");
  settings.ComboTitle = "Navigate";
  settings.FontColor = "003164";
  Generate(settings, tree.list(), VELLUM_GEN_USE_FONT_COLOR);
  ExpectGoldenPage("nav.htm", "nav_combo.html");
}

TEST(GoldenPage, AnEmptyRootListStillGivesACompletePage) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree("");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, "empty.htm");
  settings.Title = "Nothing yet";
  Generate(settings, tree.list(), 0);
  ExpectGoldenPage("empty.htm", "ul_list_empty.html");
}

TEST(GoldenPage, AnUnknownOutputTypeWritesTheFrame) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree(kShop);
  SiteMapSettings settings = Settings(7, "frame.htm");
  settings.Title = "Frame";
  settings.TextAbove = "<P>above</P>";
  settings.TextBelow = "<P>below</P>";
  Generate(settings, tree.list(), 0);
  ExpectGoldenPage("frame.htm", "unknown_type_frame.html");
}

// ---------------------------------------------------------------------------
// Bodies, as exact text.

class Body : public ::testing::Test {
 protected:
  SiteMapSettings settings{};
  Generation generation{.settings = settings, .base_path = nullptr, .flags = 0};
};

TEST_F(Body, UlListOfTwoLevels) {
  Tree tree("A -> a.htm\n  B -> b.htm");
  settings.SubListType = 1;
  HtmlWriter out(0);
  EXPECT_TRUE(UlList(out, generation, tree.list()));
  EXPECT_EQ(out.text(),
            "<UL CLASS=\"UL0\" TYPE=\"circle\">\n\t<LI><A HREF=\"a.htm\">A</A><BR>\n"
            "\t<UL CLASS=\"UL0\" TYPE=\"disc\">\n\t\t<LI><A HREF=\"b.htm\">B</A><BR>\n"
            "\t</UL>\n</UL>\n");
}

TEST_F(Body, UlListIndentsAsDeepAsTheTreeGoes) {
  Tree tree("");
  test::AppendChain(tree.list(), 20);
  HtmlWriter out(0);
  EXPECT_TRUE(UlList(out, generation, tree.list()));
  EXPECT_NE(out.text().find("\n" + std::string(20, '\t') + "<LI><A HREF=\"L19.htm\">L19</A>"),
            std::string::npos);
  EXPECT_NE(out.text().find("\n" + std::string(19, '\t') + "</UL>\n"), std::string::npos);
}

TEST_F(Body, EmptyRootListsGiveTheBareBodies) {
  Tree empty("");
  HtmlWriter ul(0), table(0), combo(0), paged(0);
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
}

TEST_F(Body, PagedUlListOfLeavesIsARuleAndOneCircleList) {
  InScratchDir here;
  Tree tree("A -> a.htm\nB");
  settings.TopListType = 2;
  settings.OutputFile = "map.htm";
  HtmlWriter out(0);
  EXPECT_TRUE(PagedUlList(out, generation, tree.list(), 0, "map.htm"));
  EXPECT_EQ(out.text(),
            "<BR>\n<HR SIZE=0>\n<UL CLASS=\"UL0\" TYPE=\"circle\">\n"
            "<LI><A HREF=\"a.htm\">A</A><BR>\n</UL>\n");
  EXPECT_EQ(generation.page_counter, 0);
  EXPECT_FALSE(std::filesystem::exists("map1.htm"));
}

TEST_F(Body, LevelTableOfLeavesHasARowPerLeaf) {
  Tree tree("A -> a.htm\nB -> b.htm");
  settings.TableBorder = 2;
  HtmlWriter out(0);
  EXPECT_TRUE(LevelTable(out, generation, tree.list()));
  EXPECT_EQ(out.text(),
            "<TABLE BORDER=2 CELLPADDING=0 CELLSPACING=0>\n<TR VALIGN=\"TOP\">\n"
            "<TD>\n\t<A HREF=\"a.htm\">A</A><BR>\n</TD>\n</TR>\n"
            "<TR VALIGN=\"TOP\">\n<TD>\n\t<A HREF=\"b.htm\">B</A><BR>\n</TD>\n</TR>\n</TABLE>\n");
}

TEST(IndexEntries, LinkedItemsSortedByteByByte) {
  Tree tree("b -> b.htm\nNo link\n  B -> B.htm\n  ~ -> blank.htm\na -> a.htm");
  std::vector<std::string> names, urls;
  for (const IndexEntry& entry : IndexEntries(tree.list())) {
    names.push_back(entry.name);
    urls.push_back(entry.url);
  }
  EXPECT_EQ(names, (std::vector<std::string>{" ", "B", "a", "b"}));
  EXPECT_EQ(urls, (std::vector<std::string>{"blank.htm", "B.htm", "a.htm", "b.htm"}));
}

// ---------------------------------------------------------------------------
// Where pages go, registration and messages.

TEST(Generation, RegistersAndAnnouncesEachPageOnce) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  Tree tree("A -> a.htm");
  const SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, "sitemap.html");
  Generate(settings, tree.list(), 0);
  Generate(settings, tree.list(), 0);
  EXPECT_EQ(OutputList(), std::vector<std::string>{"sitemap.html"});
  EXPECT_EQ(log.info, std::vector<std::string>(2, "   Generate 'sitemap.html' page\n"));
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(project::TheProject().Modified, 1);
}

TEST(Generation, NoOutputListWritesAndAnnouncesButRegistersNothing) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  Tree tree(kShop);
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), tree.list(),
           VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(project::TheProject().Modified, 0);
  EXPECT_EQ(log.info.size(), 4u);
  EXPECT_TRUE(std::filesystem::exists("map3.htm"));
}

TEST(Generation, BranchPagesAreRegisteredBeforeThePageThatLinksThem) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  Tree tree(kShop);
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), tree.list(), 0);
  const std::vector<std::string> order{"map2.htm", "map1.htm", "map3.htm", "map.htm"};
  EXPECT_EQ(OutputList(), order);
  ASSERT_EQ(log.info.size(), 4u);
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(log.info[i], "   Generate '" + order[i] + "' page\n");
  }
}

TEST(Generation, ARelativePathIsWrittenInTheCurrentFolderWithLinksGoingUp) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  Tree tree("A -> a.htm");
  Generate(Settings(VELLUM_OUTPUT_UL_LIST, "site/maps/map.htm"), tree.list(), 0);
  EXPECT_FALSE(std::filesystem::exists("site"));
  EXPECT_NE(ReadBytes("map.htm").find("<LI><A HREF=\"../../a.htm\">A</A><BR>\r\n"),
            std::string::npos);
  EXPECT_EQ(OutputList(), std::vector<std::string>{"map.htm"});
  EXPECT_EQ(log.info, std::vector<std::string>{"   Generate 'map.htm' page\n"});
}

TEST(Generation, AnAbsolutePathIsWrittenThereWithLinksAsTheyAre) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  std::filesystem::create_directory("web");
  const std::string path = here.dir() / "web/map.htm";
  Tree tree("A -> a.htm\nB -> /srv/b.htm");
  Generate(Settings(VELLUM_OUTPUT_UL_LIST, path.c_str()), tree.list(), 0);
  const std::string page = ReadBytes(path);
  EXPECT_NE(page.find("<LI><A HREF=\"a.htm\">A</A><BR>\r\n"), std::string::npos);
  EXPECT_NE(page.find("<LI><A HREF=\"file:///srv/b.htm\">B</A><BR>\r\n"), std::string::npos);
  EXPECT_EQ(OutputList(), std::vector<std::string>{path});
  EXPECT_EQ(log.info, std::vector<std::string>{"   Generate '" + path + "' page\n"});
}

TEST(Generation, RelativeLinksAreStrippedOfTheBaseFolder) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree("A -> /srv/www/a.htm\nB -> /srv/www/docs/b.htm\nC -> /srv/other/c.htm");
  Generate(Settings(VELLUM_OUTPUT_NAV_COMBO, "nav.htm"), tree.list(), VELLUM_GEN_RELATIVE_LINKS,
           "/srv/www/index.htm");
  const std::string page = ReadBytes("nav.htm");
  EXPECT_NE(page.find(StoredText("<OPTION VALUE=\"a.htm\">A</OPTION>\n"
                                 "<OPTION VALUE=\"docs/b.htm\">B</OPTION>\n"
                                 "<OPTION VALUE=\"file:///srv/other/c.htm\">C</OPTION>\n")),
            std::string::npos);
}

TEST(Generation, TheTrailOfARelativePathLinksBackUpTheSameWay) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree("Products -> products.html\n  Garden -> garden.html\n    Seeds -> seeds.html");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "maps/map.htm");
  settings.TopCrumbText = "Top";
  Generate(settings, tree.list(), VELLUM_GEN_BREADCRUMBS);
  EXPECT_NE(ReadBytes("map2.htm")
                .find("<A HREF=\"../maps/map.htm\">Top</A>&nbsp;&nbsp;"
                      "<A HREF=\"../maps/map1.htm\">Products</A>&nbsp;&nbsp;"
                      "<A HREF=\"../garden.html\">Garden</A>"),
            std::string::npos);
}

TEST(Generation, ABranchWithoutUrlEndsTheTrailWithItsNameAlone) {
  InScratchDir here;
  test::InstallMessageLog();
  Tree tree("Products\n  Tools -> tools.html");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm");
  settings.TopCrumbText = "Top";
  settings.CrumbSeparator = ">";
  Generate(settings, tree.list(), VELLUM_GEN_BREADCRUMBS);
  EXPECT_NE(ReadBytes("map1.htm").find("<A HREF=\"map.htm\">Top</A>&nbsp;>&nbsp;Products<BR>"),
            std::string::npos);
}

// ---------------------------------------------------------------------------
// Background copies.

TEST(Background, IsCopiedIntoTheImageFolderBesideAnAbsolutePage) {
  InScratchDir here;
  test::InstallMessageLog();
  here.dir().Write("pics/paper.gif", "GIF");
  std::filesystem::create_directory("web");
  const std::string path = here.dir() / "web/map.htm";
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, path.c_str());
  settings.BackgroundImage = "pics/paper.gif";
  settings.ImageFolder = "img";
  Tree tree("");
  Generate(settings, tree.list(), 0);
  EXPECT_EQ(ReadBytes(here.dir() / "web/img/paper.gif"), "GIF");
  EXPECT_EQ(OutputList(), std::vector<std::string>{path});  // copies are not registered
}

TEST(Background, WithoutImageFolderARelativePageGetsItInTheCurrentFolder) {
  InScratchDir here;
  test::InstallMessageLog();
  here.dir().Write("pics/paper.gif", "GIF");
  here.dir().Write("stone.gif", "STONE");
  Tree tree("");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, "map.htm");
  settings.BackgroundImage = "pics/paper.gif";
  Generate(settings, tree.list(), 0);
  EXPECT_EQ(ReadBytes("paper.gif"), "GIF");
  EXPECT_FALSE(std::filesystem::exists("/paper.gif"));
  settings.BackgroundImage = "stone.gif";  // already in place: left whole
  Generate(settings, tree.list(), 0);
  EXPECT_EQ(ReadBytes("stone.gif"), "STONE");
}

// ---------------------------------------------------------------------------
// Failures.

TEST(Failure, AnOutputThatCannotBeCreatedIsReportedAndNotRegistered) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  std::filesystem::create_directory("folder.htm");
  here.dir().Write("paper.gif", "GIF");
  const std::string below_a_file = here.dir().Write("file", "") + "/map.htm";
  Tree tree("A -> a.htm");
  for (const char* path : {below_a_file.c_str(), "folder.htm", "maps/", ""}) {
    SiteMapSettings settings = Settings(VELLUM_OUTPUT_UL_LIST, path);
    settings.BackgroundImage = "paper.gif";
    settings.ImageFolder = "img";
    Generate(settings, tree.list(), 0);
  }
  EXPECT_EQ(log.errors, (std::vector<std::string>{"can't open file '" + below_a_file + "'",
                                                  "can't open file 'folder.htm'",
                                                  "can't open file ''", "can't open file ''"}));
  EXPECT_TRUE(log.info.empty());
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(ReadBytes("img/paper.gif"), "GIF");  // the resources are still copied
}

// A file size limit makes the writes fail as a full disk would: for a small
// page when it is closed, for a large one while it is being written.
void ExpectWriteErrorKeepsThePreviousPage(std::string_view outline) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  here.dir().Write("map.htm", "previous page");
  Tree tree(outline);
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{64, 64};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  Generate(Settings(VELLUM_OUTPUT_UL_LIST, "map.htm"), tree.list(), 0);
  EXPECT_EQ(log.errors, std::vector<std::string>{"write error in the file"});
  EXPECT_TRUE(log.info.empty());
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(ReadBytes("map.htm"), "previous page");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                          std::filesystem::directory_iterator()),
            1);  // no partial page left beside it
}

TEST(Failure, AWriteErrorAtTheEndKeepsThePreviousPage) {
  ExpectWriteErrorKeepsThePreviousPage(kShop);
}

TEST(Failure, AWriteErrorWithinALargePageKeepsThePreviousPage) {
  std::string outline;
  for (int i = 0; i < 5000; ++i) outline += "Page " + std::to_string(i) + " -> p.htm\n";
  ExpectWriteErrorKeepsThePreviousPage(outline);
}

TEST(Failure, AFailedBranchPageDoesNotStopThePageLinkingIt) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  std::filesystem::create_directory("map1.htm");
  Tree tree(kShop);
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), tree.list(), 0);
  EXPECT_EQ(log.errors, std::vector<std::string>{"can't open file 'map1.htm'"});
  // The failed page's own branches are never reached; the next branch is 2.
  EXPECT_EQ(OutputList(), (std::vector<std::string>{"map2.htm", "map.htm"}));
  EXPECT_NE(ReadBytes("map.htm").find("<A HREF=\"map1.htm\">Products</A>"), std::string::npos);
}

TEST(Failure, The64thLevelOfBranchPagesIsRefused) {
  InScratchDir here;
  test::MessageLog& log = test::InstallMessageLog();
  Tree chain("");
  test::AppendChain(chain.list(), 65);  // branch pages at levels 1 to 64
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), chain.list(), 0);
  EXPECT_EQ(log.errors, std::vector<std::string>{"runtime error #971"});
  EXPECT_EQ(log.info.size(), 64u);
  EXPECT_EQ(log.info.front(), "   Generate 'map63.htm' page\n");
  EXPECT_EQ(log.info.back(), "   Generate 'map.htm' page\n");
  EXPECT_EQ(OutputList().size(), 64u);
  EXPECT_FALSE(std::filesystem::exists("map64.htm"));
  EXPECT_NE(ReadBytes("map63.htm").find("<A HREF=\"map64.htm\">L63</A>"), std::string::npos);
}

}  // namespace
}  // namespace vellum::generate
