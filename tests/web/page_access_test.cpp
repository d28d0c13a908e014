#include "web/page_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "support/http_servers.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/http_download.h"

namespace vellum::web {
namespace {

using namespace std::string_literals;

const std::string kPage = "<title>Page</title>";
constexpr int S = core::kSilent, E = core::kReportAsError, I = core::kReportAsInfo;

class PageAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = &test::InstallMessageLog();
    site_.Write("page.htm", kPage);
    SetTempFolder(temp_ / "");
  }

  void TearDown() override {
    PurgePageCache();
    testing::SetDownloadLimits({});
    SetTempFolder("");
    config::ReleaseMember(config::TheConfig().Proxy);
    config::TheConfig().PortProxy = 0;
  }

  static void SetTempFolder(const std::string& folder) {
    config::ReleaseMember(config::TheConfig().TempFolder);
    if (!folder.empty()) config::TheConfig().TempFolder = core::CopyText(folder);
  }

  static void SetProxy(const std::string& proxy, int port) {
    config::ReleaseMember(config::TheConfig().Proxy);
    config::TheConfig().Proxy = core::CopyText(proxy);
    config::TheConfig().PortProxy = port;
  }

  static int Copies(const std::string& folder) {  // the temporary copies in folder
    int copies = 0;
    std::error_code none;
    for (const auto& entry : std::filesystem::directory_iterator(folder, none)) {
      copies += entry.path().filename().string().rfind("swp", 0) == 0;
    }
    return copies;
  }

  // The text of name, or nothing when it cannot be loaded.
  static std::optional<std::string> Load(const std::string& name, int mode = E) {
    core::LoadedText text;
    if (!LoadPage(name.c_str(), text, mode)) return std::nullopt;
    return std::string(text.data.get(), text.length);
  }

  std::string NotFound(const std::string& name) const {
    return std::string("file '") + server_.Url(name) + "' not found\n";
  }

  test::MessageLog* log_ = nullptr;
  test::ScratchDir site_, temp_, logs_;
  test::HttpServer server_{site_.path().string(), logs_ / "server.log",
                           test::HttpServer::Redirects{{"/loop.htm", "/loop.htm"}}};
};

TEST_F(PageAccessTest, LoadsAskTheServerOnlyWhenTheyMustAndReportAsTheModeSays) {
  const std::string bytes = "\0\x01\x7f\x80\xff<a>"s, fits(60, 'f'), streamed(60, 'x');
  site_.Write("logo.gif", bytes);
  site_.Write("a b.htm", "spaced");
  site_.Write("big.htm", fits + "f");
  site_.Write("fits.htm", fits);
  DownloadLimits limits;
  limits.max_bytes = 60;
  limits.stall_seconds = 1;
  testing::SetDownloadLimits(limits);
  struct Step {
    int mode;
    std::string path;
    std::optional<std::string> text = {};  // nothing: the load fails
    int reported = S;  // "file '...' not found" as an error (E) or as information (I)
  };
  struct Row {
    std::vector<Step> loads;
    std::vector<std::string> requests;
  };
  const Row rows[] = {
      // Each fragment is cached apart but never sent.
      {{{E, "page.htm", kPage},
        {S, "page.htm#a", kPage},
        {E, "page.htm", kPage},
        {S, "page.htm#a", kPage}},
       {"/page.htm", "/page.htm"}},
      {{{S, "logo.gif", bytes}}, {"/logo.gif"}},
      {{{E, "a b.htm", "spaced"}}, {"/a%20b.htm"}},
      // A page sent compressed unasked is read decoded.
      {{{S, "_gzip/page.htm", kPage}, {S, "_deflate/page.htm", kPage}},
       {"/_gzip/page.htm", "/_deflate/page.htm"}},
      // A missing page is never cached.
      {{{S, "missing.htm#x"}, {E, "missing.htm", {}, E}, {I, "missing.htm", {}, I}},
       std::vector<std::string>(3, "/missing.htm")},
      {{{I, "loop.htm", {}, I}}, std::vector<std::string>(11, "/loop.htm")},  // ten redirects
      // Too large by the length header: refused before any byte, as the mode
      // says; found out while reading: a broken transfer, reported even when
      // silent.
      {{{S, "big.htm"}}, {"/big.htm"}},
      {{{S, "_stream/90", {}, I}}, {"/_stream/90"}},
      {{{S, "fits.htm", fits}, {S, "_stream/60", streamed}}, {"/fits.htm", "/_stream/60"}},
      // A server that never answers does not hang the load.
      {{{E, "_stall", {}, E}}, {"/_stall"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.loads[0].path);
    const std::size_t before = server_.Requests().size();
    *log_ = {};
    test::MessageLog expected;
    for (const Step& load : row.loads) {
      EXPECT_EQ(Load(server_.Url(load.path), load.mode), load.text);
      const std::string message = NotFound(load.path.substr(0, load.path.find('#')));
      if (load.reported != S)
        (load.reported == E ? expected.errors : expected.info).push_back(message);
    }
    const std::vector<std::string> requests = server_.Requests();
    EXPECT_EQ(std::vector<std::string>(requests.begin() + before, requests.end()), row.requests);
    EXPECT_EQ(log_->errors, expected.errors);
    EXPECT_EQ(log_->info, expected.info);
    PurgePageCache();
  }
  EXPECT_FALSE(PageExists(server_.Url("missing.htm").c_str()));
  core::FileStamp stamp;
  EXPECT_FALSE(ReadPageStamp(server_.Url("missing.htm").c_str(), stamp));
}

TEST_F(PageAccessTest, CopiesGoToTheTemporaryFolderOrTheSystemsOneUntilPurged) {
  const std::string saved = std::filesystem::temp_directory_path().string();
  setenv("TMPDIR", temp_.path().c_str(), 1);
  std::filesystem::create_directories(temp_ / "a#b?c");
  const std::string url = server_.Url("page.htm");
  // The folder below temp_ ("": none set), and whether copies are kept there;
  // a folder that cannot be written only costs the cache.
  const std::pair<std::string, bool> rows[] = {{"", true}, {"a#b?c/", true}, {"no/such/", false}};
  for (const auto& [folder, kept] : rows) {
    SCOPED_TRACE(folder);
    const int before = server_.CountRequests("/page.htm");
    SetTempFolder(folder.empty() ? "" : temp_ / folder);
    EXPECT_EQ(Load(url), kPage);
    EXPECT_TRUE(PageExists(url.c_str()));
    core::FileStamp stamp;
    stamp.day = 9;
    ASSERT_TRUE(ReadPageStamp(url.c_str(), stamp));
    EXPECT_EQ(stamp.size, 19);
    EXPECT_EQ(stamp.day + stamp.month + stamp.year + stamp.seconds, 0);
    EXPECT_EQ(Copies(temp_ / folder), kept ? 1 : 0);
    EXPECT_EQ(server_.CountRequests("/page.htm") - before, kept ? 1 : 3);
    PurgePageCache();
    EXPECT_EQ(Copies(temp_ / folder), 0);
  }
  setenv("TMPDIR", saved.c_str(), 1);
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(PageAccessTest, TheProxyCarriesEveryRequestAndUnreachablePlacesAreNotFound) {
  test::HttpProxy proxy(logs_.path().string());
  SetProxy("127.0.0.1", proxy.port());
  EXPECT_EQ(Load(server_.Url("page.htm")), kPage);
  SetProxy(std::string("127.0.0.1:") + std::to_string(proxy.port()), 0);
  EXPECT_TRUE(PageExists(server_.Url("page.htm#second").c_str()));
  EXPECT_EQ(proxy.Requests(), std::vector<std::string>(2, server_.Url("page.htm")));

  const int closed = test::FreePort();
  SetProxy("127.0.0.1", closed);
  EXPECT_EQ(Load(server_.Url("page.htm#x"), I), std::nullopt);
  SetProxy("", 0);
  const std::string url = std::string("http://127.0.0.1:") + std::to_string(closed) + "/page.htm";
  EXPECT_EQ(Load(url, I), std::nullopt);
  EXPECT_EQ(log_->info,
            (std::vector<std::string>{NotFound("page.htm"), "file '" + url + "' not found\n"}));
  EXPECT_EQ(server_.CountRequests("/page.htm"), 2);
}

TEST_F(PageAccessTest, LocalNamesAreTheLocalLoadersOwn) {
  const std::string path = site_.Write("dos.htm", "a\r\nb");
  EXPECT_EQ(Load(path + "?a=1#top"), "a\nb");
  EXPECT_TRUE(PageExists(path.c_str()));
  EXPECT_FALSE(PageExists((path + "#top").c_str()) || PageExists(""));
  core::FileStamp stamp;
  ASSERT_TRUE(ReadPageStamp(path.c_str(), stamp));
  EXPECT_EQ(stamp.size, 4);
  EXPECT_NE(stamp.year, 0);
  core::LoadedText text;
  EXPECT_FALSE(LoadPage(nullptr, text, E) || LoadPage("", text, E));
  EXPECT_TRUE(log_->errors.empty());
}

// Titles as browsers read them, descriptions, robots and the canonical
// address; hostile pages give bounded texts.
TEST(ReadHead, WhatAScanTakesFromAPage) {
  struct Row {
    std::string html;
    std::optional<std::string> title{}, description{};
    bool noindex = false, nofollow = false;
    std::optional<std::string> canonical{};
  };
  const std::string x5000(5000, 'x');
  std::string e600;
  for (int i = 0; i < 600; ++i) e600 += "\xC3\xA9";
  const Row rows[] = {
      {.html = "<TITLE>\n  A &amp; B\t\f\r\n C \n </TITLE>", .title = "A & B C"},
      {.html = "<title>One</title><title>Two</title>", .title = "One"},
      {.html = "<title></title>", .title = ""},
      {.html = "<title>a <b> c</title>", .title = "a <b> c"},
      {.html = "<title>x</titles>y</TITLE >z", .title = "x</titles>y"},
      {.html = "<title>&lt;script&gt;&#160;</title>", .title = "<script>\xC2\xA0"},
      {.html = "<script><title>in a script</title></script><title>T</title>", .title = "T"},
      {.html = "<script>never closed <title>T</title>"},
      {.html = "<title>open <meta name=description content=d>",
       .title = "open <meta name=description content=d>"},
      {.html = "<title>" + x5000, .title = std::string(1024, 'x')},
      {.html = "<title>a" + e600 + "</title>", .title = std::string("a").append(e600, 0, 1022)},
      {.html = "<title>" + std::string(1023, 'y') + "    z</title>",
       .title = std::string(1023, 'y')},
      {.html = "<meta name=Description content=\"D1\"><meta NAME=\"DESCRIPTION\" CONTENT=' "
               "D\n&eacute;  2 '>",
       .description = "D \xC3\xA9 2"},
      {.html = "<meta name=description content=\"" + x5000 + "\">",
       .description = std::string(1024, 'x')},
      {.html = "<meta name=keywords content=k><meta content=x><meta name=description>"},
      {.html = "<meta name=description content=><title>T</title>", .title = "T", .description = ""},
      {.html = "<meta name=robots content=\"NOINDEX, follow\">", .noindex = true},
      {.html = "<meta name=robots content=None>", .noindex = true, .nofollow = true},
      {.html = "<meta name=vellumark content='noindex'><meta name=robots content=nofollow>",
       .noindex = true,
       .nofollow = true},
      {.html = "<meta name=robots content=noindexing><meta name=googlebot content=none>"},
      {.html = "<link rel=\"Alternate  CANONICAL\" href=\" /a?x=1&amp;y=2\n\"><link rel=canonical "
               "href=/b>",
       .canonical = "/a?x=1&y=2"},
      {.html = "<link rel=canonical><link rel=canonicalx href=/c><link rel=canonical href='/d'>",
       .canonical = "/d"},
      {.html = "<link rel=stylesheet href=s.css><a rel=canonical href=/e>"},
      // A walk of the links goes through a title; the head's goes on behind it.
      {.html = "<title>a <a href=x> b</title><meta name=robots content=nofollow>",
       .title = "a <a href=x> b",
       .nofollow = true},
      {.html = "<title>t</title x='<meta name=robots content=noindex>'>",
       .title = "t",
       .noindex = true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.html.substr(0, 80));
    TagTokenizer tokenizer;
    ASSERT_TRUE(tokenizer.AttachCopy(row.html));
    tokenizer.Next();  // the head is read from the start, wherever the walk was
    // Alone, and in one walk with another reader, which meets the start
    // tags of a walk of its own.
    std::vector<std::string> met, own;
    for (const bool shared : {false, true}) {
      PageHeadInfo head;
      ASSERT_TRUE(
          ReadHead(tokenizer, head, {}, true,
                   shared ? StartTagVisitor([&](std::string_view tag) { met.emplace_back(tag); })
                          : StartTagVisitor()));
      EXPECT_EQ(head.title, row.title);
      EXPECT_EQ(head.description, row.description);
      EXPECT_EQ(head.noindex, row.noindex);
      EXPECT_EQ(head.nofollow, row.nofollow);
      EXPECT_EQ(head.canonical, row.canonical);
    }
    WalkStartTags(tokenizer, [&](std::string_view tag) { own.emplace_back(tag); });
    EXPECT_EQ(met, own);
  }
}

}  // namespace
}  // namespace vellum::web
