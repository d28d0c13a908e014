// The crawl over HTTP against real local servers: the ordinary spellings of
// links on the web, robots rules, limits, encodings, the orders of the tree,
// broken links, and the same tree whatever the number of connections.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "config/engine_config.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "scan/scan_fixture.h"
#include "support/http_servers.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/http_download.h"
#include "web/page_access.h"

namespace vellum::scan {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr unsigned kWizard =
    VELLUM_SCAN_INCLUDE_BASE | VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
const std::string kFixtures = VELLUM_SCAN_FIXTURES;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
}

class CrawlTest : public ScanFixture {
 protected:
  // The tree of a navigation scan from base, dumped against root.
  std::string Scan(const std::string& base, const std::string& root, unsigned flags = kWizard) {
    web::PurgePageCache();
    SiteMapParams params{};
    params.BasePath = base.c_str();
    RunScan(params, flags);
    return test::DumpTree(tree_, root);
  }

  // Copies a fixture site into site_, its "PORT" made the port of server.
  void CopyFixture(const std::string& name, const test::HttpServer& server) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kFixtures + name)) {
      if (!entry.is_regular_file()) continue;
      std::string text = test::ReadBytes(entry.path());
      ReplaceAll(text, "PORT", std::to_string(server.port()));
      site_.Write(entry.path().lexically_relative(kFixtures + name).string(), text);
    }
  }

  test::ScratchDir site_, logs_;
};

TEST_F(CrawlTest, OrdinaryWebPatternsGiveEachPageOnceUnderItsFinalAddress) {
  // A link of the site that redirects to another site leads off it: left out.
  test::ScratchDir other_site;
  other_site.Write("x.html", "<title>Elsewhere</title>");
  test::HttpServer other(other_site.path().string(), logs_ / "other.log");
  test::HttpServer server(site_.path().string(), logs_ / "site.log",
                          {{"/moved.html", "/new/moved.html"},
                           {"/old/start.html", "/index.html"},
                           {"/away.html", other.Url("x.html")}},
                          true);
  CopyFixture("/patterns", server);
  const std::string pages =
      "  Area | ROOT/area.html\n"
      "  Based | ROOT/based.html\n"
      "    In B | ROOT/b/inb.html\n"
      "  Blank after | ROOT/ws.html\n"
      "  Case | ROOT/case.html\n"
      "  Folder D | ROOT/d/\n"
      "  Frame | ROOT/frame.html\n"
      "  Iframe | ROOT/iframe.html\n"
      "  Moved | ROOT/new/moved.html\n"
      "    Sibling | ROOT/new/sibling.html\n"
      "  No extension | ROOT/extless\n"
      "  Up | ROOT/up.html\n"
      "  notitle.html | ROOT/notitle.html\n";
  struct Row {
    std::string base;
    int connections;
    std::string home;
  };
  const Row rows[] = {
      {server.Url("index.html"), 1, "ROOT/index.html"},
      {server.Url("index.html"), 4, "ROOT/index.html"},
      // A base without its final slash is the site's home page.
      {"http://127.0.0.1:" + std::to_string(server.port()), 4, "ROOT/"},
      // A base that moves to another folder takes the site along.
      {server.Url("old/start.html"), 4, "ROOT/index.html"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.base + " " + std::to_string(row.connections));
    settings_.connections = row.connections;
    *log_ = {};
    // The page that links back to the home page stands beside it.
    EXPECT_EQ(Scan(row.base, server.Url("")),
              "A | ROOT/a.html\nPatterns | " + row.home + "\n" + pages);
    EXPECT_EQ(result_, 1);
    ASSERT_EQ(report_.broken.size(), 1u);
    EXPECT_EQ(report_.broken[0].address, server.Url("missing.html"));
    EXPECT_EQ(report_.broken[0].page, server.Url(row.home.substr(5)));
    EXPECT_EQ(report_.broken[0].status, 404);
    EXPECT_THAT(log_->info, ElementsAre("file '" + server.Url("missing.html") + "' not found\n"));
  }
  // The loop ends on disk too, each page once.
  const std::string on_disk = Scan(site_ / "index.html", site_ / "");
  EXPECT_THAT(on_disk, HasSubstr("A | ROOT/a.html\nPatterns | ROOT/index.html\n  Area"));
  EXPECT_THAT(on_disk, Not(HasSubstr("ROOT/./")));
}

TEST_F(CrawlTest, RobotsRulesAndCanonicalAddressesDecideWhatIsReadAndListed) {
  // A link that redirects into a part robots.txt keeps out is kept out too.
  test::HttpServer server(site_.path().string(), logs_ / "site.log",
                          {{"/moved.html", "/private/kept-out.html"}});
  CopyFixture("/robots", server);
  struct Row {
    bool honour_robots;
    std::string tree;
    std::vector<std::string> unread;
  };
  const Row rows[] = {
      {true,
       "Robots | ROOT/index.html\n"
       "  Canon A | ROOT/canon-a.html\n"
       "  Canon private | ROOT/canon-private.html\n"
       "  Nofollow | ROOT/nofollow.html\n",
       {"/private/secret.html", "/hidden.html", "/relnf.html"}},
      {false,
       "Robots | ROOT/index.html\n"
       "  Canon A | ROOT/canon-a.html\n"
       "  Kept out | ROOT/private/kept-out.html\n"
       "  Nofollow | ROOT/nofollow.html\n"
       "    Hidden | ROOT/hidden.html\n"
       "  Noindex | ROOT/noindex.html\n"
       "  Rel nofollow | ROOT/relnf.html\n"
       "  Secret | ROOT/private/secret.html\n",
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.honour_robots);
    settings_.honour_robots = row.honour_robots;
    const std::size_t before = server.Requests().size();
    EXPECT_EQ(Scan(server.Url("index.html"), server.Url("")), row.tree);
    const std::vector<std::string> all = server.Requests();
    const std::vector<std::string> requests(all.begin() + static_cast<long>(before), all.end());
    for (const std::string& path : row.unread) EXPECT_THAT(requests, Not(Contains(path)));
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "/robots.txt"), row.honour_robots);
  }
  EXPECT_TRUE(log_->errors.empty() && log_->info.empty());
}

// A page is kept under the address it names as its own only when that
// address is a web page of the site that was read.
TEST_F(CrawlTest, CanonicalAddressesCountOnlyBetweenWebPagesOfTheSiteThatWereRead) {
  // Pages packaged on disk name where they were built as their own address.
  site_.Write("index.html",
              "<link rel=canonical href='file:///usr/share/doc/x/index.html'><title>Home</title>"
              "<a href=a.html>A</a><a href=b.html>B</a><a href=c.html>C</a><a href=d.html>D</a>"
              "<a href=admin.html>Admin</a>");
  site_.Write("a.html",
              "<link rel=canonical href='file:///usr/share/doc/x/a.html'><title>A</title>");
  site_.Write("b.html", "<link rel=canonical href='a.html'><title>B</title>");
  site_.Write("c.html", "<link rel=canonical href='/nonexistent.html'><title>C</title>");
  site_.Write("d.html", "<link rel=canonical href='admin.html'><title>D</title>");
  site_.Write("admin.html", "<title>Admin</title>");
  test::HttpServer server(site_.path().string(), logs_ / "site.log");
  EXPECT_EQ(Scan(site_ / "index.html", site_ / ""),
            "Home | ROOT/index.html\n  A | ROOT/a.html\n  Admin | ROOT/admin.html\n"
            "  B | ROOT/b.html\n  C | ROOT/c.html\n  D | ROOT/d.html\n");
  EXPECT_EQ(Scan(server.Url("index.html"), server.Url("")),
            "Home | ROOT/index.html\n  A | ROOT/a.html\n  Admin | ROOT/admin.html\n"
            "  C | ROOT/c.html\n");
}

TEST_F(CrawlTest, ATrapEndsAtEitherLimitOrPatternAndASlowPageAtItsTimeLimit) {
  test::HttpServer server(site_.path().string(), logs_ / "site.log");
  struct Row {
    int page_limit;
    int depth_limit;
    std::string include, exclude;
    int last_read;  // the last /trap/N asked for
    std::vector<std::string> info;
  };
  const Row rows[] = {
      {70, 0, "", "", 69, {"Page limit reached: the scan reads 70 pages at most\n"}},
      {100, 3, "", "", 3, {"Depth limit reached: the scan follows links 3 deep at most\n"}},
      {100, 0, "*/trap/?", "", 9, {}},
      {100, 0, "", "*/trap/1?; */trap/4", 3, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.last_read);
    *log_ = {};
    settings_.page_limit = row.page_limit;
    settings_.depth_limit = row.depth_limit;
    settings_.include = row.include;
    settings_.exclude = row.exclude;
    const std::size_t before = server.Requests().size();
    const std::string tree = Scan(server.Url("trap/0"), server.Url(""));
    EXPECT_THAT(tree, HasSubstr("Trap " + std::to_string(row.last_read) + " |"));
    EXPECT_THAT(tree, Not(HasSubstr("Trap " + std::to_string(row.last_read + 1) + " |")));
    EXPECT_EQ(server.Requests().size() - before, 1u + row.last_read + 1);  // and robots.txt
    EXPECT_EQ(server.Requests().back(), "/trap/" + std::to_string(row.last_read));
    EXPECT_EQ(log_->info, row.info);
  }
  // A page that drips past its time limit, and one that falls silent.
  const struct {
    long page_seconds, stall_seconds;
    std::string page, reason;
  } slow[] = {{1, 30, "_drip/40", "no answer within the time limit (1 s)"},
              {60, 1, "_stall", "the server sent nothing for 1 s"}};
  for (const auto& row : slow) {
    settings_ = {};
    settings_.page_seconds = static_cast<int>(row.page_seconds);
    web::testing::SetDownloadLimits({.stall_seconds = row.stall_seconds});
    site_.Write("slow.html", "<title>Slow</title><a href=\"" + row.page + "\">slow</a>");
    EXPECT_EQ(Scan(server.Url("slow.html"), server.Url("")), "Slow | ROOT/slow.html\n");
    ASSERT_EQ(report_.broken.size(), 1u);
    EXPECT_EQ(report_.broken[0].address, server.Url(row.page));
    EXPECT_EQ(report_.broken[0].page, server.Url("slow.html"));
    EXPECT_EQ(report_.broken[0].reason, row.reason);
  }
  web::testing::SetDownloadLimits({});
}

// A base page that leads to another site, or a server that stops answering
// halfway, fails the scan with one message; redirects lead to web pages only.
TEST_F(CrawlTest, AScanFailsWithOneMessageWhenItsSiteIsNotThere) {
  test::ScratchDir other_site;
  other_site.Write("x.html", "<title>Elsewhere</title>");
  test::HttpServer other(other_site.path().string(), logs_ / "other.log");
  site_.Write("ftp.html", "<title>Ftp</title><a href=toftp.html>f</a>");
  std::string index = "<title>Home</title><a href=_exit>x</a>";
  for (int i = 0; i < 16; ++i) {
    const std::string page = std::string("p").append(std::to_string(i)).append(".html");
    site_.Write(page, "<title>P</title>");
    index += "<a href=" + page + ">p</a>";
  }
  site_.Write("index.html", index);
  test::HttpServer server(
      site_.path().string(), logs_ / "site.log",
      {{"/away.html", other.Url("x.html")}, {"/toftp.html", "ftp://127.0.0.1:1/x.html"}});
  EXPECT_EQ(Scan(server.Url("away.html"), server.Url("")), "");
  EXPECT_EQ(result_, 0);
  EXPECT_THAT(log_->errors, ElementsAre(HasSubstr("'" + server.Url("away.html") + "' leads to '" +
                                                  other.Url("x.html") + "', another site")));
  Scan(server.Url("ftp.html"), server.Url(""));
  ASSERT_EQ(report_.broken.size(), 1u);
  EXPECT_EQ(report_.broken[0].address, server.Url("toftp.html"));
  EXPECT_EQ(report_.broken[0].reason, "Unsupported protocol");
  *log_ = {};
  EXPECT_EQ(Scan(server.Url("index.html"), server.Url("")), "");
  EXPECT_EQ(result_, 0);
  EXPECT_THAT(log_->errors,
              ElementsAre(HasSubstr("the server http://127.0.0.1:" + std::to_string(server.port()) +
                                    " stopped answering")));
}

// While one page drips in, the answers behind it are held in memory only up
// to a bound: further requests wait instead of buffering the whole site.
TEST_F(CrawlTest, ASlowPageDoesNotMakeTheCrawlBufferTheRestOfTheSite) {
  test::HttpServer server(site_.path().string(), logs_ / "site.log");
  std::string index = "<title>Slow</title><a href=_drip/6>drip</a>";
  constexpr int kLarge = 20;
  for (int i = 0; i < kLarge; ++i)
    index += "<a href=_stream/" + std::to_string((1 << 20) + i) + ">";
  site_.Write("index.html", index);
  const auto streams = [&] {
    const std::vector<std::string> requests = server.Requests();
    return std::count_if(requests.begin(), requests.end(),
                         [](const std::string& path) { return path.starts_with("/_stream/"); });
  };
  settings_.read_ahead_bytes = 1 << 20;
  std::thread scan([&] { Scan(server.Url("index.html"), server.Url("")); });
  std::this_thread::sleep_for(std::chrono::seconds(2));  // the drip takes 3 s
  const long started_while_dripping = streams();
  scan.join();
  // A page held, a request per connection running, one on its way.
  EXPECT_LE(started_while_dripping, 6);
  EXPECT_EQ(streams(), kLarge);
  EXPECT_EQ(report_.pages_read, kLarge + 2);
}

// What the answer to robots.txt leaves of a host (RFC 9309 2.3.1). The
// base page, asked for by name, is read in any case.
TEST_F(CrawlTest, RobotsTxtThatCannotBeReachedKeepsTheRestOfItsHostUnread) {
  site_.Write("index.html", "<title>Home</title><a href=a.html>A</a><a href=b.html>B</a>");
  site_.Write("a.html", "<title>A</title>");
  site_.Write("b.html", "<title>B</title>");
  site_.Write("robots.txt", "User-agent: *\nDisallow: /b.html\n");
  site_.Write("moved.txt", "User-agent: *\nDisallow: /b.html\n");
  site_.Write("slow.txt", "User-agent: *\nCrawl-delay: 86400\nDisallow: /\n");
  // Larger than the download limit: its first 500 KiB are read.
  site_.Write("big.txt", "User-agent: *\nDisallow: /b.html\n" + std::string(2 << 20, '#'));
  web::testing::SetDownloadLimits({.max_bytes = 1 << 20});
  settings_.page_seconds = 1;
  struct Row {
    const char* name;
    const char* section;  // of RFC 9309
    test::HttpServer::Redirects redirects;
    std::vector<std::string> pages;  // asked for
    std::string reason;              // why robots.txt could not be read; empty: it could
    bool delay_capped = false;       // its Crawl-delay was cut to 30 s
  };
  const auto to = [](const char* target) {
    return test::HttpServer::Redirects{{"/robots.txt", target}};
  };
  const std::vector<std::string> all = {"/index.html", "/a.html", "/b.html"},
                                 allowed(all.begin(), all.begin() + 2),
                                 base(all.begin(), all.begin() + 1);
  const Row rows[] = {
      {"File", "2.3.1.1", {}, allowed, ""},
      {"FiveRedirects",
       "2.3.1.2",
       {{"/robots.txt", "/1"}, {"/1", "/2"}, {"/2", "/3"}, {"/3", "/4"}, {"/4", "/moved.txt"}},
       allowed,
       ""},
      {"RedirectsWithoutEnd", "2.3.1.2", to("/robots.txt"), all, ""},
      {"Missing", "2.3.1.3", to("/_status/404"), all, ""},
      {"ServerError", "2.3.1.4", to("/_status/503"), base, "HTTP status 503"},
      {"Refused", "2.3.1.4", to("http://127.0.0.1:1/robots.txt"), base,
       "Couldn't connect to server"},
      {"NoAnswer", "2.3.1.4", to("/_stall"), base, "no answer within the time limit (1 s)"},
      {"DayLongCrawlDelay", "2.2.4", to("/slow.txt"), base, "", true},
      {"LargerThanTheDownloadLimit", "2.5", to("/big.txt"), allowed, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " (RFC 9309 " + row.section + ")");
    *log_ = {};
    test::HttpServer server(site_.path().string(), logs_ / (std::string(row.name) + ".log"),
                            row.redirects);
    Scan(server.Url("index.html"), server.Url(""));
    std::vector<std::string> pages;
    for (const std::string& path : server.Requests()) {
      if (path.ends_with(".html")) pages.push_back(path);
    }
    EXPECT_THAT(pages, ::testing::UnorderedElementsAreArray(row.pages));  // read at once
    const std::string host = "http://127.0.0.1:" + std::to_string(server.port());
    std::vector<std::string> info;
    if (!row.reason.empty()) {
      info.push_back("robots.txt of " + host + " cannot be read (" + row.reason +
                     "): the scan reads no further page of that host\n");
    }
    if (row.delay_capped) {
      info.push_back("robots.txt of " + host +
                     " asks for more than 30 s between two requests: the scan waits 30 s\n");
    }
    EXPECT_EQ(log_->info, info);
  }
  web::testing::SetDownloadLimits({});
}

// The server's charset reaches the page's reading, before the page's own
// (the rules of the encodings are the charset tests').
TEST_F(CrawlTest, NamesComeOutAsUtf8WhateverThePageIsWrittenIn) {
  test::HttpServer server(site_.path().string(), logs_ / "site.log");
  site_.Write("conflict.html", "<meta charset=\"utf-8\"><title>\311clair</title>");
  EXPECT_EQ(Scan(server.Url("_latin1/conflict.html"), server.Url("")),
            "Éclair | ROOT/_latin1/conflict.html\n");
}

TEST_F(CrawlTest, EachOrderSortsEveryLevel) {
  const std::string names[] = {"第 10 章", "2. Y", "第 2 章", "10. X"};  // as linked
  std::string home = "<title>Home</title>";
  for (int i = 0; i < 4; ++i) {
    site_.Write(std::to_string(i) + ".html", "<title>" + names[i] + "</title>");
    home += "<a href=\"" + std::to_string(i) + ".html\">x</a>";
  }
  site_.Write("index.html", home);
  struct Row {
    int order;
    std::vector<int> pages;
  };
  const Row rows[] = {
      {VELLUM_ORDER_NAME, {3, 1, 0, 2}},
      {VELLUM_ORDER_NATURAL, {1, 3, 2, 0}},
      {VELLUM_ORDER_FOUND, {0, 1, 2, 3}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.order);
    settings_.order = row.order;
    std::string tree = "Home | ROOT/index.html\n";
    for (const int page : row.pages) {
      tree += "  " + names[page] + " | ROOT/" + std::to_string(page) + ".html\n";
    }
    EXPECT_EQ(Scan(site_ / "index.html", site_ / ""), tree);
  }
}

}  // namespace
}  // namespace vellum::scan
