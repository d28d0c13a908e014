#include "scan/site_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/map_item_list.h"
#include "core/memory.h"
#include "scan/scan_fixture.h"
#include "web/links.h"

namespace vellum::scan {
namespace {

constexpr unsigned kWizardDefaults =
    VELLUM_SCAN_INCLUDE_BASE | VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
constexpr unsigned kFolderDefaults = VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;

const std::string kSite = FixtureFolder("site");

TEST(LinkFlagsFor, TranslatesTheWizardsChoices) {
  struct Row {
    unsigned scan_flags;
    unsigned link_flags;
  };
  const Row rows[] = {
      {0, web::kPageLinks | web::kKeepBookmarks | web::kKeepArguments},
      {kWizardDefaults, web::kPageLinks},
      {VELLUM_SCAN_IGNORE_ARGUMENTS, web::kPageLinks | web::kKeepBookmarks},
      {VELLUM_SCAN_META_DESCRIPTION | kWizardDefaults, web::kPageLinks},
      {VELLUM_SCAN_ADD_OTHER_SITES | kWizardDefaults, web::kPageLinks | web::kOutsideSite},
      {VELLUM_SCAN_ADD_OTHER_SITES | VELLUM_SCAN_FOLLOW_OTHER_SITES | kWizardDefaults,
       web::kPageLinks | web::kOutsideSite | web::kFollowOutside},
  };
  for (const Row& row : rows) EXPECT_EQ(LinkFlagsFor(row.scan_flags), row.link_flags);
}

TEST_F(ScanTest, NavigationModeBuildsTheTreeOfTheLinks) {
  EXPECT_EQ(Scan(0, kSite + "index.htm", kWizardDefaults, kSite), kFixtureNavigationTree);
  EXPECT_EQ(result_, 1);
  EXPECT_EQ(log_->info, std::vector<std::string>{"file '" + kSite + "missing.htm' not found\n"});
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(ScanTest, TheSamePageUnderTwoFragmentsIsTwoEntries) {
  EXPECT_EQ(Scan(0, kSite + "index.htm", VELLUM_SCAN_IGNORE_ARGUMENTS, kSite),
            "About us | ROOT/about.htm\n"
            "  Alice | ROOT/people/alice.htm\n"
            "  Team | ROOT/team.htm\n"
            "Home | ROOT/index.htm\n"
            "News | ROOT/news.htm#latest\n"
            "News | ROOT/news.htm#archive\n"
            "Products | ROOT/products/list.htm\n"
            "    | ROOT/products/gadget.htm\n"
            "  Widget | ROOT/products/widget.htm\n"
            "contact | ROOT/contact.htm\n");
}

TEST_F(ScanTest, LinkNamesFromTheMetaDescription) {
  // Items of equal names keep the order in which they were found.
  EXPECT_EQ(Scan(0, kSite + "index.htm", kWizardDefaults | VELLUM_SCAN_META_DESCRIPTION, kSite),
            "  | ROOT/products/list.htm\n"
            "    | ROOT/products/gadget.htm\n"
            "  A widget | ROOT/products/widget.htm\n"
            "  | ROOT/news.htm\n"
            "  | ROOT/contact.htm\n"
            "Welcome page | ROOT/index.htm\n"
            "Who we are | ROOT/about.htm\n"
            "    | ROOT/team.htm\n"
            "  Alice's page | ROOT/people/alice.htm\n");
}

TEST_F(ScanTest, TheExcludedPageIsComparedExactlyInNavigationMode) {
  const std::string without_news =
      Scan(0, kSite + "index.htm", kWizardDefaults, kSite, (kSite + "news.htm").c_str());
  EXPECT_EQ(without_news.find("news.htm"), std::string::npos) << without_news;
  const std::string with_news =
      Scan(0, kSite + "index.htm", kWizardDefaults, kSite, (kSite + "NEWS.htm").c_str());
  EXPECT_NE(with_news.find("News | ROOT/news.htm"), std::string::npos) << with_news;
}

TEST_F(ScanTest, AnUnreadableOrEmptyBaseLeavesTheTreeEmpty) {
  EXPECT_EQ(Scan(0, kSite + "missing.htm", kWizardDefaults), "");
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(Scan(0, "", kWizardDefaults), "");
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(Scan(1, "http://127.0.0.1:1/", kFolderDefaults), "");
  EXPECT_EQ(result_, 0);
  EXPECT_TRUE(log_->info.empty());
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(ScanTest, ABasePageWithoutLinksIsTheWholeTree) {
  EXPECT_EQ(Scan(0, kSite + "products/old/legacy.html", kWizardDefaults, kSite),
            "Legacy | ROOT/products/old/legacy.html\n");
}

TEST_F(ScanTest, FolderModeBuildsTheTreeOfTheFolders) {
  const std::string expected =
      "About us | about.htm\n"
      "Home | index.htm\n"
      "News | news.htm\n"
      "Team | team.htm\n"
      "contact | contact.htm\n"
      "people | staff.htm\n"
      "  Alice | people/alice.htm\n"
      "products | -\n"
      "    | products/gadget.htm\n"
      "  Products | products/list.htm\n"
      "  Widget | products/widget.htm\n"
      "  old | -\n"
      "    Legacy | products/old/legacy.html\n";
  EXPECT_EQ(Scan(1, kSite, kFolderDefaults), expected);
  EXPECT_EQ(result_, 1);
  // A base folder given without its separator gives the same tree.
  EXPECT_EQ(Scan(1, kSite.substr(0, kSite.size() - 1), kFolderDefaults), expected);
  EXPECT_TRUE(log_->info.empty());
}

TEST_F(ScanTest, TheExcludedPageIsComparedWithoutCaseInFolderMode) {
  const std::string tree = Scan(1, kSite, kFolderDefaults, "", "INDEX.HTM");
  EXPECT_EQ(tree.find("index.htm"), std::string::npos) << tree;
  EXPECT_NE(tree.find("About us | about.htm"), std::string::npos) << tree;
}

TEST_F(ScanTest, AProjectIsScannedByItsType) {
  Project project{};
  project.Type = 0;
  project.Source = core::CopyText(kSite + "index.htm");
  SiteMapParams params{};
  params.Settings.Mode = 2;
  params.StartEntry = &project;
  params.Items = &tree_;
  EXPECT_EQ(ScanSite(params, tree_, kWizardDefaults), 1);
  const std::string navigation = DumpTree(tree_, kSite);
  EXPECT_EQ(navigation, Scan(0, kSite + "index.htm", kWizardDefaults, kSite));

  // Any other type: the project's source files, in their order, below its
  // Source folder; files outside it keep their whole path.
  core::Clear(tree_);
  project.Type = 1;
  core::ReleaseText(project.Source);
  project.Source = core::CopyText(kSite + "products");
  for (std::string file :
       {kSite + "products/widget.htm", kSite + "products/old/legacy.html", kSite + "news.htm"}) {
    core::Add(project.SourceFiles, file.data(), 0);
  }
  EXPECT_EQ(ScanSite(params, tree_, kFolderDefaults), 1);
  EXPECT_EQ(DumpTree(tree_, kSite),
            "News | ROOT/news.htm\n"
            "Widget | widget.htm\n"
            "old | -\n"
            "  Legacy | old/legacy.html\n");

  core::Clear(tree_);
  params.StartEntry = nullptr;
  EXPECT_EQ(ScanSite(params, tree_, kFolderDefaults), 0);
  EXPECT_EQ(tree_.Count, 0);
  core::ReleaseText(project.Source);
  core::Clear(project.SourceFiles);
}

TEST_F(ScanTest, HostilePagesAreScannedToTheEnd) {
  test::ScratchDir site;
  std::string many;
  for (int i = 0; i < 60; ++i) many += " x" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  std::string noise;
  for (int i = 0; i < 100000; ++i) noise += static_cast<char>(i % 255 + 1 == '<' ? 0 : i % 255 + 1);
  using namespace std::string_literals;
  site.Write("index.htm",
             "<title>Hostile</title><a href=a.htm><a href=\"b.htm\"><a href='c.htm'>"
             "<a href=d.htm><a href=e.htm><a href=\"f.htm\0\0<b"s);
  site.Write("a.htm", "<title>Unclosed title<a href=\"index.htm>");
  site.Write("b.htm", "<title>Many</title><a" + many + " href=c.htm><a href=e.htm" + many + ">");
  site.Write("c.htm", "<title>Long</title>" + std::string(10 << 20, 'x') + "<a href=index.htm>");
  site.Write("d.htm", "<title>Nul\0inside</title><a href=b.htm\0junk>"s);
  site.Write("e.htm", noise);
  const std::string root = site.path().string() + "/";
  EXPECT_EQ(Scan(0, root + "index.htm", kWizardDefaults, root),
            "Hostile | ROOT/index.htm\n"
            "    | ROOT/e.htm\n"
            "  Many | ROOT/b.htm\n"
            "  Nul | ROOT/d.htm\n"
            "  Unclosed title | ROOT/a.htm\n"
            "Long | ROOT/c.htm\n");
  EXPECT_EQ(Scan(1, root, kFolderDefaults),
            "  | e.htm\n"
            "Hostile | index.htm\n"
            "Long | c.htm\n"
            "Many | b.htm\n"
            "Nul | d.htm\n"
            "Unclosed title | a.htm\n");
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(ScanTest, RunningOutOfMemoryAnywhereEndsTheScanCleanly) {
  // Fail each allocation of the scan in turn: every run must end, report
  // what it lost, and leave a tree that can be freed.
  const std::string complete = Scan(0, kSite + "index.htm", kWizardDefaults, kSite);
  std::vector<std::string> runtime_errors;
  for (int n = 0;; ++n) {
    log_->errors.clear();
    core::testing::FailAllocationAfter(n);
    const std::string tree = Scan(0, kSite + "index.htm", kWizardDefaults, kSite);
    core::testing::FailAllocationAfter(-1);
    for (const std::string& error : log_->errors) {
      if (error != "memory overflou") runtime_errors.push_back(error);
    }
    if (log_->errors.empty()) {
      EXPECT_EQ(tree, complete);
      break;
    }
  }
  for (const std::string& error : runtime_errors) {
    EXPECT_TRUE(error == "runtime error #129" || error == "runtime error #152" ||
                error == "runtime error #162" || error == "runtime error #175")
        << error;
  }
  EXPECT_FALSE(runtime_errors.empty());
}

}  // namespace
}  // namespace vellum::scan
