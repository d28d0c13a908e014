#include "web/page_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "support/http_servers.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/http_download.h"

namespace vellum::web {
namespace {

using test::HttpServer;
using test::ScratchDir;

std::string Text(const core::LoadedText& text) { return std::string(text.data.get(), text.length); }

class PageAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = &test::InstallMessageLog();
    site_.Write("page.htm", "<title>Page</title>");
    std::filesystem::create_directories(temp_.path());
    SetTempFolder(temp_.path().string() + "/");
  }

  void TearDown() override {
    PurgePageCache();
    SetTempFolder("");
    EngineConfig& config = config::TheConfig();
    core::ReleaseText(config.Proxy);
    config.Proxy = nullptr;
    config.PortProxy = 0;
  }

  static void SetTempFolder(const std::string& folder) {
    EngineConfig& config = config::TheConfig();
    core::ReleaseText(config.TempFolder);
    config.TempFolder = folder.empty() ? nullptr : core::CopyText(folder);
  }

  HttpServer StartServer(const HttpServer::Redirects& redirects = {}) {
    return HttpServer(site_.path().string(), logs_ / ("server" + std::to_string(++servers_)),
                      redirects);
  }

  std::vector<std::string> TemporaryCopies() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp_.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::string Load(const std::string& name, int mode, bool expected = true) {
    core::LoadedText text;
    EXPECT_EQ(LoadPage(name.c_str(), text, mode), expected) << name;
    return Text(text);
  }

  test::MessageLog* log_ = nullptr;
  ScratchDir site_;
  ScratchDir temp_;
  ScratchDir logs_;
  int servers_ = 0;
};

TEST_F(PageAccessTest, APageLoadedTwiceIsFetchedOnceAndPurgedAtTheEnd) {
  HttpServer server = StartServer();
  const std::string url = server.Url("page.htm");
  EXPECT_EQ(Load(url, core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(Load(url, core::kReportAsError), "<title>Page</title>");
  EXPECT_TRUE(PageExists(url.c_str()));
  EXPECT_EQ(server.CountRequests("/page.htm"), 1);

  std::vector<std::string> copies = TemporaryCopies();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].substr(0, 3), "swp");
  PurgePageCache();
  EXPECT_TRUE(TemporaryCopies().empty());
  EXPECT_EQ(Load(url, core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(server.CountRequests("/page.htm"), 2);
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(PageAccessTest, BlanksInAnAddressAreEscapedInTheRequest) {
  site_.Write("a b.htm", "spaced");
  HttpServer server = StartServer();
  EXPECT_EQ(Load(server.Url("a b.htm"), core::kReportAsError), "spaced");
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"/a%20b.htm"});
}

TEST_F(PageAccessTest, EachFragmentIsCachedApartButNeverSent) {
  HttpServer server = StartServer();
  const std::string url = server.Url("page.htm");
  Load(url + "#a", core::kSilent);
  Load(url + "#b", core::kSilent);
  Load(url + "#a", core::kSilent);
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/page.htm", "/page.htm"}));
}

TEST_F(PageAccessTest, AMissingPageIsReportedAsTheModeSaysAndNotCached) {
  HttpServer server = StartServer();
  const std::string url = server.Url("missing.htm");
  const std::string message = "file '" + url + "' not found\n";
  Load(url + "#x", core::kSilent, false);
  Load(url, core::kReportAsError, false);
  Load(url, core::kReportAsInfo, false);
  EXPECT_FALSE(PageExists(url.c_str()));
  EXPECT_EQ(log_->errors, std::vector<std::string>{message});
  EXPECT_EQ(log_->info, std::vector<std::string>{message});
  EXPECT_EQ(server.CountRequests("/missing.htm"), 4);
  EXPECT_TRUE(TemporaryCopies().empty());
}

TEST_F(PageAccessTest, RedirectsAreFollowedAndTheCopyKeptUnderTheAskedAddress) {
  HttpServer server = StartServer({{"/old.htm", "/page.htm"}, {"/loop.htm", "/loop.htm"}});
  EXPECT_EQ(Load(server.Url("old.htm"), core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(Load(server.Url("old.htm"), core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/old.htm", "/page.htm"}));

  Load(server.Url("loop.htm"), core::kReportAsInfo, false);
  EXPECT_EQ(server.CountRequests("/loop.htm"), 11);  // the first ask and ten redirects
  EXPECT_EQ(log_->info,
            std::vector<std::string>{"file '" + server.Url("loop.htm") + "' not found\n"});
}

TEST_F(PageAccessTest, TheProxyCarriesEveryRequestWithOrWithoutItsOwnPort) {
  HttpServer server = StartServer();
  test::HttpProxy proxy(logs_.path().string());
  EngineConfig& config = config::TheConfig();

  config.Proxy = core::CopyText("127.0.0.1");
  config.PortProxy = proxy.port();
  EXPECT_EQ(Load(server.Url("page.htm"), core::kReportAsError), "<title>Page</title>");

  core::ReleaseText(config.Proxy);
  config.Proxy = core::CopyText("127.0.0.1:" + std::to_string(proxy.port()));
  config.PortProxy = 0;
  EXPECT_TRUE(PageExists(server.Url("page.htm#second").c_str()));

  EXPECT_EQ(proxy.Requests(),
            (std::vector<std::string>{server.Url("page.htm"), server.Url("page.htm")}));
  EXPECT_EQ(server.CountRequests("/page.htm"), 2);
}

TEST_F(PageAccessTest, UnreachableServersAndProxiesEndInTheLoadersMessage) {
  const int closed = test::FreePort();
  const std::string url = "http://127.0.0.1:" + std::to_string(closed) + "/page.htm";
  Load(url, core::kReportAsInfo, false);

  HttpServer server = StartServer();
  EngineConfig& config = config::TheConfig();
  config.Proxy = core::CopyText("127.0.0.1");
  config.PortProxy = closed;
  Load(server.Url("page.htm"), core::kReportAsInfo, false);
  EXPECT_EQ(log_->info,
            (std::vector<std::string>{"file '" + url + "' not found\n",
                                      "file '" + server.Url("page.htm") + "' not found\n"}));
  EXPECT_EQ(server.CountRequests("/page.htm"), 0);
}

TEST_F(PageAccessTest, OversizedAnswersAreRefused) {
  DownloadLimits limits;
  limits.max_bytes = 1000;
  testing::SetDownloadLimits(limits);
  site_.Write("big.htm", std::string(1001, 'b'));
  site_.Write("fits.htm", std::string(1000, 'f'));
  HttpServer server = StartServer();

  // Known in advance from the length header: refused before any byte, as
  // the mode says.
  Load(server.Url("big.htm"), core::kSilent, false);
  EXPECT_TRUE(log_->info.empty());
  // Found out while reading: a broken transfer, reported even when silent.
  Load(server.Url("_stream/5000"), core::kSilent, false);
  EXPECT_EQ(log_->info,
            std::vector<std::string>{"file '" + server.Url("_stream/5000") + "' not found\n"});
  EXPECT_EQ(Load(server.Url("fits.htm"), core::kSilent).size(), 1000u);
  EXPECT_EQ(Load(server.Url("_stream/1000"), core::kSilent).size(), 1000u);
}

TEST_F(PageAccessTest, AServerThatNeverAnswersDoesNotHangTheLoad) {
  DownloadLimits limits;
  limits.stall_seconds = 1;
  testing::SetDownloadLimits(limits);
  HttpServer server = StartServer();
  const auto start = std::chrono::steady_clock::now();
  Load(server.Url("_stall"), core::kReportAsError, false);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(log_->errors,
            std::vector<std::string>{"file '" + server.Url("_stall") + "' not found\n"});
}

TEST_F(PageAccessTest, BinaryAnswersAreReadLikeAnyPage) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  site_.Write("logo.gif", bytes);
  HttpServer server = StartServer();
  EXPECT_EQ(Load(server.Url("logo.gif"), core::kSilent), bytes);
  core::FileStamp stamp;
  stamp.day = 9;
  ASSERT_TRUE(ReadPageStamp(server.Url("logo.gif").c_str(), stamp));
  EXPECT_EQ(stamp.size, 256);
  EXPECT_EQ(stamp.day + stamp.month + stamp.year + stamp.seconds, 0);
  EXPECT_EQ(server.CountRequests("/logo.gif"), 1);
}

TEST_F(PageAccessTest, WithoutATemporaryFolderCopiesGoToTheSystemsOne) {
  SetTempFolder("");
  const std::string saved = std::filesystem::temp_directory_path().string();
  setenv("TMPDIR", temp_.path().c_str(), 1);
  HttpServer server = StartServer();
  Load(server.Url("page.htm"), core::kSilent);
  EXPECT_EQ(TemporaryCopies().size(), 1u);
  PurgePageCache();
  EXPECT_EQ(TemporaryCopies().size(), 0u);
  setenv("TMPDIR", saved.c_str(), 1);
}

TEST_F(PageAccessTest, ATemporaryFolderWithAHashInItsNameStillServesTheCopies) {
  const std::string folder = temp_.path().string() + "/a#b?c/";
  std::filesystem::create_directories(folder);
  SetTempFolder(folder);
  HttpServer server = StartServer();
  EXPECT_EQ(Load(server.Url("page.htm"), core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(Load(server.Url("page.htm"), core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(server.CountRequests("/page.htm"), 1);
}

TEST_F(PageAccessTest, AnUnwritableTemporaryFolderOnlyCostsTheCache) {
  SetTempFolder(temp_.path().string() + "/no/such/folder/");
  HttpServer server = StartServer();
  EXPECT_EQ(Load(server.Url("page.htm"), core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(Load(server.Url("page.htm"), core::kReportAsError), "<title>Page</title>");
  EXPECT_EQ(server.CountRequests("/page.htm"), 2);
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(PageAccessTest, LocalNamesAreTheLocalLoadersOwn) {
  const std::string path = site_.Write("dos.htm", "a\r\nb");
  EXPECT_EQ(Load(path + "#top", core::kReportAsError), "a\nb");
  EXPECT_TRUE(PageExists(path.c_str()));
  EXPECT_FALSE(PageExists((path + "#top").c_str()));
  EXPECT_FALSE(PageExists(""));
  core::FileStamp stamp;
  ASSERT_TRUE(ReadPageStamp(path.c_str(), stamp));
  EXPECT_EQ(stamp.size, 4);
  EXPECT_NE(stamp.year, 0);
  core::LoadedText text;
  EXPECT_FALSE(LoadPage(nullptr, text, core::kReportAsError));
  EXPECT_FALSE(LoadPage("", text, core::kReportAsError));
  EXPECT_TRUE(log_->errors.empty());
}

std::optional<std::string> Optional(const char* text) {
  if (text == nullptr) return std::nullopt;
  return text;
}

TEST(ReadHead, TitleAndDescription) {
  struct Row {
    const char* html;
    const char* title;  // null: none
    const char* description;
  };
  const Row rows[] = {
      {"<title>Home</title>", "Home", nullptr},
      {"<TITLE>\n  A &amp; B \n </TITLE>", "A &amp; B \n ", nullptr},
      {"<title>One</title><title>Two</title>", "One", nullptr},
      {"<title></title>", "", nullptr},
      {"<title><b>x</b></title>", "", nullptr},
      {"<title>open", "open", nullptr},
      {"<html><body>no head</body>", nullptr, nullptr},
      {"<script><title>in a script</title></script><title>T</title>", "in a script", nullptr},
      {"<meta name=Description content=\"D1\"><meta NAME=\"DESCRIPTION\" CONTENT='D2'>", nullptr,
       "D2"},
      {"<meta name=\"description\" content=\"  spaced &amp; kept \">", nullptr,
       "  spaced &amp; kept "},
      {"<meta name=keywords content=k>", nullptr, nullptr},
      {"<meta content=x>", nullptr, nullptr},
      {"<meta name=description>", nullptr, nullptr},
      {"<meta name=description content=>", nullptr, ""},
      {"<meta name=description content=d><title>T</title>", "T", "d"},
  };
  for (const Row& row : rows) {
    TagTokenizer tokenizer;
    ASSERT_TRUE(tokenizer.AttachCopy(row.html));
    tokenizer.Next();  // the head is read from the start, wherever the walk was
    PageHeadInfo head;
    ASSERT_TRUE(ReadHead(tokenizer, head));
    EXPECT_EQ(head.title, Optional(row.title)) << row.html;
    EXPECT_EQ(head.description, Optional(row.description)) << row.html;
  }
}

}  // namespace
}  // namespace vellum::web
