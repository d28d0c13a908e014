// The navigation scan of a web site: the fixture site served over HTTP, with
// a second server as the "other site", directly and through a proxy.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "scan/scan_fixture.h"
#include "support/http_servers.h"

namespace vellum::scan {
namespace {

using test::HttpServer;

constexpr unsigned kWizardDefaults =
    VELLUM_SCAN_INCLUDE_BASE | VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;

class HttpScanTest : public ScanTest {
 protected:
  void SetUp() override {
    ScanTest::SetUp();
    other_ = std::make_unique<HttpServer>(FixtureFolder("other"), logs_ / "other.log");
    // The fixture's link to another site points at the second server. The
    // news page answers with a redirect.
    const std::filesystem::path fixture = FixtureFolder("site");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fixture)) {
      if (!entry.is_regular_file()) continue;
      std::string text = test::ReadBytes(entry.path().string());
      for (std::size_t at; (at = text.find("http://127.0.0.1:1/")) != std::string::npos;) {
        text.replace(at, 19, other_->Url(""));
      }
      site_.Write(std::filesystem::relative(entry.path(), fixture).string(), text);
    }
    site_.Write("archive/news.htm", test::ReadBytes(site_ / "news.htm"));
    server_ =
        std::make_unique<HttpServer>(site_.path().string(), logs_ / "site.log",
                                     HttpServer::Redirects{{"/news.htm", "/archive/news.htm"}});
    ASSERT_NE(other_->Url("").substr(0, server_->Url("").size() - 1),
              server_->Url("").substr(0, server_->Url("").size() - 1));
  }

  std::string ScanSite(unsigned flags) {
    std::string tree = Scan(0, server_->Url("index.htm"), flags, server_->Url(""));
    for (std::size_t at; (at = tree.find(other_->Url(""))) != std::string::npos;) {
      tree.replace(at, other_->Url("").size(), "OTHER/");
    }
    return tree;
  }

  test::ScratchDir site_;
  test::ScratchDir logs_;
  std::unique_ptr<HttpServer> other_;
  std::unique_ptr<HttpServer> server_;
};

TEST_F(HttpScanTest, OtherSitesIgnoredMissingPagesLeftOutRedirectsFollowed) {
  EXPECT_EQ(ScanSite(kWizardDefaults), kFixtureNavigationTree);
  EXPECT_EQ(log_->info,
            std::vector<std::string>{"file '" + server_->Url("missing.htm") + "' not found\n"});
  EXPECT_TRUE(log_->errors.empty());
  EXPECT_TRUE(other_->Requests().empty());
  // Every page is fetched once, however often it is linked.
  for (const char* page : {"/index.htm", "/about.htm", "/team.htm", "/people/alice.htm",
                           "/products/list.htm", "/products/widget.htm", "/products/gadget.htm",
                           "/news.htm", "/archive/news.htm", "/contact.htm", "/missing.htm"}) {
    EXPECT_EQ(server_->CountRequests(page), 1) << page;
  }
  EXPECT_EQ(server_->Requests().size(), 11u);
}

TEST_F(HttpScanTest, APageOfAnotherSiteIsAddedButNotFollowed) {
  EXPECT_EQ(ScanSite(kWizardDefaults | VELLUM_SCAN_ADD_OTHER_SITES),
            "About us | ROOT/about.htm\n"
            "  Alice | ROOT/people/alice.htm\n"
            "  Team | ROOT/team.htm\n"
            "Home | ROOT/index.htm\n"
            "  Other site | OTHER/page.htm\n"
            "News | ROOT/news.htm\n"
            "Products | ROOT/products/list.htm\n"
            "    | ROOT/products/gadget.htm\n"
            "  Widget | ROOT/products/widget.htm\n"
            "contact | ROOT/contact.htm\n");
  EXPECT_EQ(other_->Requests(), std::vector<std::string>{"/page.htm"});
}

TEST_F(HttpScanTest, AnotherSiteIsFollowedWhenAsked) {
  EXPECT_EQ(
      ScanSite(kWizardDefaults | VELLUM_SCAN_ADD_OTHER_SITES | VELLUM_SCAN_FOLLOW_OTHER_SITES),
      "About us | ROOT/about.htm\n"
      "  Alice | ROOT/people/alice.htm\n"
      "  Team | ROOT/team.htm\n"
      "Home | ROOT/index.htm\n"
      "  Other site | OTHER/page.htm\n"
      "    More | OTHER/more.htm\n"
      "News | ROOT/news.htm\n"
      "Products | ROOT/products/list.htm\n"
      "    | ROOT/products/gadget.htm\n"
      "  Widget | ROOT/products/widget.htm\n"
      "contact | ROOT/contact.htm\n");
  EXPECT_EQ(other_->Requests(), (std::vector<std::string>{"/page.htm", "/more.htm"}));
}

TEST_F(HttpScanTest, BookmarksAndArgumentsAreKeptWhenNotIgnored) {
  const std::string tree = ScanSite(VELLUM_SCAN_INCLUDE_BASE);
  EXPECT_NE(tree.find("News | ROOT/news.htm#latest\nNews | ROOT/news.htm#archive\n"),
            std::string::npos)
      << tree;
  EXPECT_NE(tree.find("contact | ROOT/contact.htm?from=home\n"), std::string::npos) << tree;
  // Each fragment is a page of its own to the cache; the server never sees
  // a fragment but does see the arguments.
  EXPECT_EQ(server_->CountRequests("/news.htm"), 2);
  EXPECT_EQ(server_->CountRequests("/contact.htm?from=home"), 1);
  EXPECT_EQ(server_->CountRequests("/contact.htm"), 0);
}

TEST_F(HttpScanTest, ASecondScanReadsTheCachedPages) {
  ScanSite(kWizardDefaults);
  const std::size_t requests = server_->Requests().size();
  EXPECT_EQ(ScanSite(kWizardDefaults), kFixtureNavigationTree);
  // Only the missing page, which was never cached, is asked for again.
  EXPECT_EQ(server_->Requests().size(), requests + 1);
  EXPECT_EQ(server_->CountRequests("/missing.htm"), 2);
}

TEST_F(HttpScanTest, TheSameScanThroughAProxy) {
  test::HttpProxy proxy(logs_.path().string());
  EngineConfig& config = config::TheConfig();
  config.Proxy = core::CopyText("127.0.0.1");
  config.PortProxy = proxy.port();
  EXPECT_EQ(ScanSite(kWizardDefaults), kFixtureNavigationTree);
  const std::vector<std::string> through_proxy = proxy.Requests();
  EXPECT_EQ(through_proxy.size(), 11u);  // ten pages and the redirect
  for (const char* page : {"index.htm", "about.htm", "people/alice.htm", "news.htm",
                           "archive/news.htm", "missing.htm"}) {
    EXPECT_EQ(std::count(through_proxy.begin(), through_proxy.end(), server_->Url(page)), 1)
        << page;
  }
  EXPECT_EQ(server_->Requests().size(), 11u);
}

}  // namespace
}  // namespace vellum::scan
