// The site scan: the fixture site on disk in every mode, and served over HTTP
// with a second server as the "other site".
#include "scan/scan_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "scan/kept_pages.h"
#include "support/http_servers.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/page_access.h"

namespace vellum::scan {
namespace {

using namespace std::string_literals;

constexpr unsigned kWizard =
    VELLUM_SCAN_INCLUDE_BASE | VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
constexpr unsigned kFolder = VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
const std::string kSite = VELLUM_SCAN_FIXTURES "/site/";

// The fixture site from index.htm with the wizard's usual flags.
const std::string kNavigationTree =
    "About us | ROOT/about.htm\n"
    "  Alice | ROOT/people/alice.htm\n"
    "  Team | ROOT/team.htm\n"
    "Home | ROOT/index.htm\n"
    "News | ROOT/news.htm\n"
    "Products | ROOT/products/list.htm\n"
    "  Widget | ROOT/products/widget.htm\n"
    "  gadget.htm | ROOT/products/gadget.htm\n"
    "contact | ROOT/contact.htm\n";

std::string Without(std::string tree, const std::string& line) {
  return tree.erase(tree.find(line), line.size());
}

class ScanTest : public ScanFixture {
 protected:
  // The tree that a scan in mode over base (or project) gives, dumped
  // against root_; the result goes to result_.
  std::string Scan(int mode, const std::string& base, unsigned flags,
                   const std::string& excluded = "", Project* project = nullptr) {
    SiteMapParams params{};
    params.BasePath = base.c_str();
    params.StartEntry = project;
    params.Settings.Mode = static_cast<uint8_t>(mode);
    params.Settings.OutputFile =
        excluded.empty() ? nullptr : excluded.c_str();  // none to leave out
    RunScan(params, flags);
    return test::DumpTree(tree_, root_);
  }

  std::string root_ = kSite;
};

TEST_F(ScanTest, TreesOfTheFixtureSite) {
  const std::string folder_tree =
      "About us | about.htm\n"
      "Home | index.htm\n"
      "News | news.htm\n"
      "Team | team.htm\n"
      "contact | contact.htm\n"
      "people | staff.htm\n"
      "  Alice | people/alice.htm\n"
      "products | -\n"
      "  Products | products/list.htm\n"
      "  Widget | products/widget.htm\n"
      "  gadget.htm | products/gadget.htm\n"
      "  old | -\n"
      "    Legacy | products/old/legacy.html\n";
  struct Row {
    int mode;
    std::string base;
    unsigned flags;
    std::string excluded;
    std::string tree;   // empty: the scan fails, and says so
    std::size_t infos;  // "not found" reports
  };
  const std::string index = kSite + "index.htm";
  const Row rows[] = {
      {0, index, kWizard, "", kNavigationTree, 1},
      // Link names from the META description, else from the title, else
      // from the file.
      {0, index, kWizard | VELLUM_SCAN_META_DESCRIPTION, "",
       "News | ROOT/news.htm\n"
       "Products | ROOT/products/list.htm\n"
       "  A widget | ROOT/products/widget.htm\n"
       "  gadget.htm | ROOT/products/gadget.htm\n"
       "Welcome page | ROOT/index.htm\n"
       "Who we are | ROOT/about.htm\n"
       "  Alice's page | ROOT/people/alice.htm\n"
       "  Team | ROOT/team.htm\n"
       "contact | ROOT/contact.htm\n",
       1},
      // The excluded page is compared exactly in navigation mode, without
      // case in folder mode.
      {0, index, kWizard, kSite + "news.htm", Without(kNavigationTree, "News | ROOT/news.htm\n"),
       1},
      {0, index, kWizard, kSite + "NEWS.htm", kNavigationTree, 1},
      {1, kSite, kFolder, "INDEX.HTM", Without(folder_tree, "Home | index.htm\n"), 0},
      {0, kSite + "products/old/legacy.html", kWizard, "",
       "Legacy | ROOT/products/old/legacy.html\n", 0},
      {1, kSite, kFolder, "", folder_tree, 0},
      {1, kSite.substr(0, kSite.size() - 1), kFolder, "", folder_tree, 0},
      // An unreadable or empty base, a missing folder or a web address as the
      // folder.
      {0, kSite + "missing.htm", kWizard, "", "", 0},
      {0, "", kWizard, "", "", 0},
      {1, kSite + "sight/", kFolder, "", "", 0},
      {1, "http://127.0.0.1:1/", kFolder, "", "", 0},
      {2, "", kFolder, "", "", 0},  // no project
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.base + " " + std::to_string(row.flags) + " " + row.excluded);
    *log_ = {};
    EXPECT_EQ(Scan(row.mode, row.base, row.flags, row.excluded), row.tree);
    EXPECT_EQ(result_, row.tree.empty() ? 0 : 1);
    EXPECT_EQ(log_->info.size(), row.infos);
    EXPECT_EQ(log_->errors.size(), row.tree.empty() ? 1u : 0u);
  }
}

TEST_F(ScanTest, AProjectIsScannedByItsType) {
  Project project{};
  project.Source = core::CopyText(kSite + "index.htm");
  EXPECT_EQ(Scan(2, "", kWizard, "", &project), kNavigationTree);
  // Any other type: the project's source files, in their order, below its
  // Source folder; files outside it keep their whole path.
  project.Type = 1;
  config::ReleaseMember(project.Source);
  project.Source = core::CopyText(kSite + "products");
  for (std::string file : {"products/widget.htm", "products/old/legacy.html", "news.htm"}) {
    file.insert(0, kSite);
    core::Add(project.SourceFiles, file.data(), 0);
  }
  EXPECT_EQ(Scan(2, "", kFolder, "", &project),
            "News | ROOT/news.htm\n"
            "Widget | widget.htm\n"
            "old | -\n"
            "  Legacy | old/legacy.html\n");
  config::ReleaseMember(project.Source);
  core::Clear(project.SourceFiles);
}

TEST_F(ScanTest, HostilePagesAreScannedToTheEnd) {
  test::ScratchDir site;
  root_ = site / "";
  std::string many;
  for (int i = 0; i < 60; ++i) many.append(" x").append(std::to_string(i)).append("=\"1\"");
  std::string noise;
  for (int i = 0; i < 100000; ++i) noise += static_cast<char>(i % 255 + 1 == '<' ? 0 : i % 255 + 1);
  site.Write("index.htm",
             "<title>Hostile</title><a href=a.htm><a href=\"b.htm\"><a href='c.htm'>"
             "<a href=d.htm><a href=e.htm><a href=\"f.htm\0\0<b"s);
  site.Write("a.htm", "<title>Unclosed title<a href=\"index.htm>");
  site.Write("b.htm", "<title>Many</title><a" + many + " href=c.htm><a href=e.htm" + many + ">");
  site.Write("c.htm", "<title>Long</title>"s + std::string(10 << 20, 'x') + "<a href=index.htm>");
  site.Write("d.htm", "<title>Nul\0inside</title><a href=b.htm\0junk>"s);
  site.Write("e.htm", noise);
  // An unclosed title runs to the end of its page, as in a browser.
  EXPECT_EQ(Scan(0, root_ + "index.htm", kWizard),
            "Hostile | ROOT/index.htm\n"
            "  Many | ROOT/b.htm\n"
            "  Nul\xEF\xBF\xBDinside | ROOT/d.htm\n"
            "  Unclosed title&lt;a href=&quot;index.htm&gt; | ROOT/a.htm\n"
            "  e.htm | ROOT/e.htm\n"
            "Long | ROOT/c.htm\n");
  EXPECT_TRUE(log_->errors.empty());
}

// A page's link is an address: "&amp;" is a character reference, "%3D" an
// escape of "=". A file's name is a name: its "#", "?" and "%" are its own.
TEST_F(ScanTest, LinksAreAddressesAndFileNamesAreNamesOnDiskAndOverHttp) {
  test::ScratchDir site, logs;
  site.Write("index.htm",
             "<title>Home</title><a href=\"a&amp;b.html\">a</a><a href='x&#x26;y.html'>x</a>"
             "<a href=op%3D.html>=</a><a href=hash%23.html>#</a><a href=q%3F.html>?</a>"
             "<a href=pct%2541.html>%</a>");
  for (const char* name :
       {"a&b.html", "x&y.html", "op=.html", "hash#.html", "q?.html", "pct%41.html"}) {
    site.Write(name, std::string("<title>") + name + "</title>");
  }
  test::HttpServer server(site.path().string(), logs / "site.log");
  const std::string pages =
      "  a&b.html | ROOT/a&b.html\n"
      "  hash#.html | ROOT/hash%23.html\n"
      "  op=.html | ROOT/op%3D.html\n"
      "  pct%41.html | ROOT/pct%2541.html\n"
      "  q?.html | ROOT/q%3F.html\n"
      "  x&y.html | ROOT/x&y.html\n";
  for (const std::string& root : {site / "", server.Url("")}) {
    SCOPED_TRACE(root);
    web::PurgePageCache();
    root_ = root;
    EXPECT_EQ(Scan(0, root + "index.htm", kWizard), "Home | ROOT/index.htm\n" + pages);
  }
  root_ = "";
  EXPECT_EQ(Scan(1, site / "", kFolder),
            "Home | index.htm\n"
            "a&b.html | ./a&b.html\n"
            "hash#.html | hash%23.html\n"
            "op=.html | op=.html\n"
            "pct%41.html | pct%2541.html\n"
            "q?.html | q%3F.html\n"
            "x&y.html | ./x&y.html\n");
  EXPECT_TRUE(log_->errors.empty() && log_->info.empty());
}

// The pages of a project's source: read as a scan reads them, with its
// limits, in the order met, pages on disk as their files' paths.
TEST_F(ScanTest, TheLinkedPagesOfASourceAreListedAsAScanReadsThem) {
  test::ScratchDir site, logs;
  site.Write("index.htm",
             "<a href=./a.htm>a</a><a href=b.htm?q>b</a><a href=http://127.0.0.1:1/far.htm>far</a>"
             "<a href=x.gif><a href=q%3F.htm>");
  site.Write("a.htm", "<a href=index.htm><a href=sub/c.htm><a href=missing.htm>");
  site.Write("b.htm", "<a href=a.htm#x>");
  site.Write("sub/c.htm", "<a href=../b.htm><a href=d.htm>");
  site.Write("sub/d.htm", "");
  site.Write("q?.htm", "");
  const std::string root = site / "";
  core::Progress progress(VELLUM_PROGRESS_SCAN);
  std::vector<std::string> pages;
  ASSERT_TRUE(ListLinkedPages((root + "index.htm").c_str(), core::kReportAsError, settings_,
                              progress, pages));
  EXPECT_EQ(pages,
            (std::vector<std::string>{root + "index.htm", root + "a.htm", root + "b.htm",
                                      root + "q?.htm", root + "sub/c.htm", root + "sub/d.htm"}));
  EXPECT_FALSE(ListLinkedPages((root + "none.htm").c_str(), core::kReportAsError, settings_,
                               progress, pages));
  EXPECT_EQ(log_->errors, std::vector<std::string>{"file '" + root + "none.htm' not found\n"});

  // A site without end ends at the page limit.
  test::HttpServer server(site.path().string(), logs / "site.log");
  settings_.page_limit = 3;
  ASSERT_TRUE(ListLinkedPages(server.Url("trap/1").c_str(), core::kReportAsError, settings_,
                              progress, pages));
  EXPECT_EQ(pages, (std::vector<std::string>{server.Url("trap/1"), server.Url("trap/2"),
                                             server.Url("trap/3")}));
}

TEST_F(ScanTest, RunningOutOfMemoryAnywhereEndsTheScanCleanly) {
  // Fail each allocation of the scan in turn: every run must end, report
  // what it lost, and leave a tree that can be freed.
  std::vector<std::string> runtime_errors;
  for (int n = 0;; ++n) {
    log_->errors.clear();
    core::testing::FailAllocationAfter(n);
    const std::string tree = Scan(0, kSite + "index.htm", kWizard);
    core::testing::FailAllocationAfter(-1);
    for (const std::string& error : log_->errors) {
      if (error != "memory overflou") runtime_errors.push_back(error);
    }
    if (log_->errors.empty()) {
      EXPECT_EQ(tree, kNavigationTree);
      break;
    }
  }
  EXPECT_FALSE(runtime_errors.empty());
  EXPECT_THAT(runtime_errors,
              ::testing::Each(::testing::MatchesRegex("runtime error #(129|152|162|175)")));
}

// The fixture site served over HTTP: its link to another site points at a
// second server, and its news page answers with a redirect.
class HttpScanTest : public ScanTest {
 protected:
  void SetUp() override {
    ScanTest::SetUp();
    std::filesystem::copy(kSite, site_.path(), std::filesystem::copy_options::recursive);
    std::string index = test::ReadBytes(site_ / "index.htm");
    site_.Write("index.htm", index.replace(index.find("http://127.0.0.1:1/"), 19, other_.Url("")));
    // Links on the page a redirect leads to count from its own folder.
    std::string news = test::ReadBytes(site_ / "news.htm");
    site_.Write("archive/news.htm", news.replace(news.find("index.htm"), 9, "../index.htm"));
    root_ = server_.Url("");
  }

  // The tree from the served index.htm, the other site's pages under OTHER/,
  // the news page under the address its redirect leads to.
  std::string ScanHttp(unsigned flags) {
    std::string tree = Scan(0, server_.Url("index.htm"), flags);
    for (std::size_t at; (at = tree.find("ROOT/archive/")) != std::string::npos;) {
      tree.erase(at + 5, 8);
    }
    for (std::size_t at; (at = tree.find(other_.Url(""))) != std::string::npos;) {
      tree.replace(at, other_.Url("").size(), "OTHER/");
    }
    return tree;
  }

  test::ScratchDir site_, logs_;
  test::HttpServer other_{VELLUM_SCAN_FIXTURES "/other", logs_ / "other.log"};
  test::HttpServer server_{
      site_.path().string(), logs_ / "site.log", {{"/news.htm", "/archive/news.htm"}}};
};

TEST_F(HttpScanTest, OtherSitesAreAddedAndFollowedOnlyWhenAsked) {
  const std::string home = "Home | ROOT/index.htm\n", other = "  Other site | OTHER/page.htm\n";
  struct Row {
    unsigned flags;
    std::string below_home;
    std::vector<std::string> other_requests;  // so far
  };
  const Row rows[] = {
      {kWizard, "", {}},
      {kWizard | VELLUM_SCAN_ADD_OTHER_SITES, other, {"/robots.txt", "/page.htm"}},
      {kWizard | VELLUM_SCAN_ADD_OTHER_SITES | VELLUM_SCAN_FOLLOW_OTHER_SITES,
       other + "    More | OTHER/more.htm\n",
       {"/robots.txt", "/page.htm", "/robots.txt", "/page.htm", "/more.htm"}},
  };
  std::size_t scans = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.flags);
    web::PurgePageCache();
    std::string tree = kNavigationTree;
    EXPECT_EQ(ScanHttp(row.flags), tree.insert(tree.find(home) + home.size(), row.below_home));
    EXPECT_EQ(other_.Requests(), row.other_requests);
    // Every page, the redirect, the missing one and robots.txt are fetched
    // once per scan.
    EXPECT_EQ(server_.Requests().size(), 12 * ++scans);
  }
  EXPECT_EQ(log_->info,
            std::vector<std::string>(
                3, std::string("file '") + server_.Url("missing.htm") + "' not found\n"));
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(HttpScanTest, BookmarksAndArgumentsAreKeptWhenNotIgnored) {
  EXPECT_THAT(ScanHttp(VELLUM_SCAN_INCLUDE_BASE),
              ::testing::AllOf(::testing::HasSubstr(
                                   "News | ROOT/news.htm#latest\nNews | ROOT/news.htm#archive\n"),
                               ::testing::HasSubstr("contact | ROOT/contact.htm?from=home\n")));
}

TEST_F(HttpScanTest, AWebPageLeadsNeitherToLocalFilesNorToMarkupInNames) {
  test::ScratchDir home;
  const std::string private_page =
      home.Write("private.htm", "<meta name=description content=Private>");
  const std::string host = server_.Url("").substr(5);  // "//127.0.0.1:PORT/"
  site_.Write("hostile.htm",
              "<meta name=description content=\"<img src=x onerror=alert(1) \">"
              "<a href=\"" +
                  private_page + "?x=:\">p</a><a href=\"" + host + "leaf.htm\">n</a>");
  site_.Write("leaf.htm", "<meta name=description content='A \"leaf\"'>");
  EXPECT_EQ(Scan(0, server_.Url("hostile.htm"), kWizard | VELLUM_SCAN_META_DESCRIPTION),
            "&lt;img src=x onerror=alert(1) | ROOT/hostile.htm\n"
            "  A &quot;leaf&quot; | ROOT/leaf.htm\n");
  EXPECT_THAT(server_.Requests(), ::testing::Contains(private_page));
}

// Kept pages, numbered as they are given or appended, are found by their
// addresses in whatever object holds them after a copy (for undo) or a move
// (into the project), and numbered on from there.
TEST(KeptPagesTest, AddressesAreFoundAfterACopyAndAMove) {
  using Transfer = KeptPages (*)(KeptPages&);
  const std::pair<const char*, Transfer> transfers[] = {
      {"copy", [](KeptPages& pages) { return KeptPages(pages); }},
      {"move", [](KeptPages& pages) { return KeptPages(std::move(pages)); }},
      {"move assignment",
       [](KeptPages& pages) {
         KeptPages other;
         other.Number("http://h/other.htm");
         other = std::move(pages);
         return other;
       }},
  };
  for (const auto& [name, transfer] : transfers) {
    SCOPED_TRACE(name);
    KeptPages pages;
    for (int i = 0; i < 100; ++i) {
      const std::string address = "http://h/" + std::to_string(i);
      pages.Keep(i % 3 == 0 ? pages.Number(address) : pages.Append(address));
    }
    KeptPages held = transfer(pages);
    ASSERT_EQ(held.addresses(), 100u);
    EXPECT_EQ(held.size(), 100u);
    for (int i = 0; i < 100; ++i) {
      EXPECT_EQ(held.NumberOf("http://h/" + std::to_string(i)), i);
      EXPECT_EQ(held.Find("http://h/" + std::to_string(i)), held.At(i));
    }
    EXPECT_EQ(held.Number("http://h/99"), 99);
    EXPECT_EQ(held.Add("http://h/new"), 100);
    EXPECT_EQ(held.NumberOf("http://h/new"), 100);
  }
}

}  // namespace
}  // namespace vellum::scan
