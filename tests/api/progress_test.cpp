// Progress and stop of a scan, through the exported interface: a small site
// on disk and served over HTTP, scanned with a progress callback that records
// what it is told and asks to stop where a test says.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/http_servers.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::test {
namespace {

constexpr unsigned kFlags = VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;

// What the progress callback was told, one entry a call.
struct Announced {
  int32_t kind, done, total;
  std::string item;
  bool has_target;
  int requested;  // times the watched server had served the item when told
};

std::vector<Announced> announced;
int32_t stop_at = -1;  // the Done at which the callback asks to stop
const HttpServer* watched = nullptr;
int waits = 0;  // calls without an item, while the scan waits
bool stop_while_waiting = false;

// "/a.htm" of "http://host:port/a.htm".
std::string PathOf(const char* address) {
  const std::string text = address;
  const std::size_t host = text.find("://");
  return host == std::string::npos ? text : text.substr(text.find('/', host + 3));
}

int32_t Record(const VellumProgress* progress) {
  if (progress->Item == nullptr) {
    ++waits;
    return stop_while_waiting ? 1 : 0;
  }
  announced.push_back({progress->Kind, progress->Done, progress->Total, progress->Item,
                       progress->Target != nullptr,
                       watched != nullptr ? watched->CountRequests(PathOf(progress->Item)) : 0});
  return progress->Done == stop_at ? 1 : 0;
}

class ScanProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test program lies in the build tree's IDE/, so the engine finds the
    // installation's page patterns beside it.
    const std::string program = std::filesystem::canonical("/proc/self/exe").string();
    HTMLinitmess(RecordInfo, RecordError, RecordQuestion, 0, 0, program.c_str());
    site_.Write("index.htm",
                "<title>Home</title><a href=a.htm>A</a> <a href=sub/b.htm>B</a> "
                "<a href=missing.htm>gone</a>");
    site_.Write("a.htm", "<title>A</title><a href=index.htm>home</a> <a href=c.htm>C</a>");
    site_.Write("sub/b.htm", "<title>B</title><a href=../c.htm>C</a>");
    site_.Write("c.htm", "<title>C</title>");
    site_.Write("sub/notes.txt", "not a page");
    announced.clear();
    stop_at = -1;
    watched = nullptr;
    waits = 0;
    stop_while_waiting = false;
    Messages() = {};
  }

  void TearDown() override {
    VellumSetProgressCallback(nullptr);
    watched = nullptr;
  }

  // A scan into tree: mode 0 from the base page, mode 1 of the folder.
  static int32_t Scan(int mode, const std::string& base, MapItemList& tree) {
    SiteMapParams params{};
    params.BasePath = base.c_str();
    params.Settings.Mode = static_cast<uint8_t>(mode);
    params.Items = &tree;
    return HTMLgenSiteMap(&params, kFlags);
  }

  // The items announced so far, with root written as "ROOT/".
  static std::vector<std::string> Items(const std::string& root) {
    std::vector<std::string> items;
    for (const Announced& entry : announced) {
      std::string item = entry.item;
      if (item.starts_with(root)) item.replace(0, root.size(), "ROOT/");
      items.push_back(item);
    }
    return items;
  }

  ScratchDir site_, logs_;
  HttpServer server_{site_.path().string(), logs_ / "site.log"};
};

TEST_F(ScanProgressTest, EachPageIsAnnouncedOnceBeforeItIsRead) {
  const std::vector<std::string> navigation = {"ROOT/index.htm", "ROOT/a.htm", "ROOT/sub/b.htm",
                                               "ROOT/missing.htm", "ROOT/c.htm"};
  struct Row {
    int mode;
    std::string root, base;
    const HttpServer* server;
    std::vector<std::string> items;
  };
  const Row rows[] = {
      {0, site_ / "", site_ / "index.htm", nullptr, navigation},
      {0, server_.Url(""), server_.Url("index.htm"), &server_, navigation},
      // Page files only, each folder's files before its sub-folders.
      {1,
       site_ / "",
       site_ / "",
       nullptr,
       {"ROOT/a.htm", "ROOT/c.htm", "ROOT/index.htm", "ROOT/sub/b.htm"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.base);
    // Pages fetched over HTTP stay in the engine's cache: the scan that
    // watches the server goes first.
    announced.clear();
    watched = row.server;
    Messages() = {};
    VellumSetProgressCallback(Record);
    Tree watched_scan("");
    EXPECT_EQ(Scan(row.mode, row.base, watched_scan.list()), 1);
    const MessageLog watched_messages = Messages();
    EXPECT_EQ(VellumLastCallStopped(), 0);

    EXPECT_EQ(Items(row.root), row.items);
    for (std::size_t i = 0; i < announced.size(); ++i) {
      EXPECT_EQ(announced[i].kind, VELLUM_PROGRESS_SCAN);
      EXPECT_EQ(announced[i].done, static_cast<int32_t>(i));
      // Navigation counts the pages found so far, this one included.
      EXPECT_EQ(announced[i].total > static_cast<int32_t>(i), row.mode == 0);
      EXPECT_FALSE(announced[i].has_target);
      // Told before the page was asked for.
      EXPECT_EQ(announced[i].requested, 0);
    }

    // Watching changes nothing: the tree and the messages of a scan without
    // a callback.
    VellumSetProgressCallback(nullptr);
    Messages() = {};
    Tree plain_scan("");
    EXPECT_EQ(Scan(row.mode, row.base, plain_scan.list()), 1);
    EXPECT_EQ(DumpTree(watched_scan.list()), DumpTree(plain_scan.list()));
    EXPECT_EQ(watched_messages.info, Messages().info);
    EXPECT_EQ(watched_messages.errors, Messages().errors);
    EXPECT_EQ(announced.size(), row.items.size());
  }
}

// From inside a callback every export is refused with a report and changes
// nothing; the handler gets the caller's pointer back.
TEST_F(ScanProgressTest, AnExportCalledFromACallbackIsRefused) {
  Tree kept("A -> a.html");
  SiteMapParams params{};
  params.Items = &kept.list();
  const auto options = VellumRecord<VellumScanOptions>();
  struct Call {
    const char* name;
    std::function<bool()> refused;
  };
  const std::vector<Call> calls = {
      {"HTMLprjOpen", [] { return HTMLprjOpen("/no/such.bpj") == nullptr; }},
      {"HTMLgetCfg", [] { return HTMLgetCfg(0) == nullptr; }},
      {"HTMLgenSiteMap", [&] { return HTMLgenSiteMap(&params, 0) == 0; }},
      {"HTMLGSiteMap", [&] { return HTMLGSiteMap(&params, 0) == 0; }},
      {"VellumSetScanOptions", [&] { return VellumSetScanOptions(&options) == 0; }},
      {"VellumTreeClear", [&] { return VellumTreeClear(&kept.list()) == 0; }},
  };
  struct Calls {
    const std::vector<Call>& table;
    std::vector<std::string> not_refused;
    int handled = 0;
  } state{calls, {}};
  VellumSetProgressHandler(
      [](const VellumProgress*, void* data) -> int32_t {
        Calls& state = *static_cast<Calls*>(data);
        if (state.handled++ > 0) return 0;
        for (const Call& call : state.table) {
          if (!call.refused()) state.not_refused.push_back(call.name);
        }
        return 0;
      },
      &state);
  Tree scanned("");
  EXPECT_EQ(Scan(0, site_ / "index.htm", scanned.list()), 1);
  EXPECT_EQ(state.handled, 5);
  EXPECT_EQ(state.not_refused, std::vector<std::string>{});
  for (const Call& call : calls) {
    EXPECT_THAT(Messages().errors,
                ::testing::Contains(std::string(call.name) +
                                    ": refused, called from inside a callback of the engine"));
  }
  EXPECT_EQ(DumpTree(kept.list()), DumpTree(Tree("A -> a.html").list()));
}

// After the stop, the next scan or upload (without a callback) clears it.
TEST_F(ScanProgressTest, AStoppedScanLeavesTheTreeAsItWas) {
  using Call = int32_t (*)(const std::string& site, MapItemList& tree);
  const Call scan_to_the_end = [](const std::string& site, MapItemList& tree) {
    return Scan(1, site, tree);
  };
  const Call scan_that_cannot_start = [](const std::string& site, MapItemList& tree) {
    return Scan(0, site + "none.htm", tree);
  };
  const Call upload = [](const std::string&, MapItemList&) {
    const UploadRequest request{0, 0, nullptr, 0};
    return HTMLprjUpload(&request);
  };
  struct Row {
    int mode;
    std::string base;
    int32_t stop_at;
    const HttpServer* server;
    Call next;
  };
  const Row rows[] = {
      {0, site_ / "index.htm", 0, nullptr, scan_to_the_end},  // before the base page
      {0, site_ / "index.htm", 3, nullptr, scan_that_cannot_start},
      {1, site_ / "", 2, nullptr, upload},
      {0, server_.Url("index.htm"), 2, &server_, scan_to_the_end},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.base + " " + std::to_string(row.stop_at));
    VellumSetProgressCallback(Record);
    announced.clear();
    stop_at = row.stop_at;
    Messages() = {};
    Tree tree("Old page -> old.htm\n  Kept -> kept.htm\nOther");
    const MapItem* items = tree.list().Items;
    const std::string before = DumpTree(tree.list());

    EXPECT_EQ(Scan(row.mode, row.base, tree.list()), 0);
    EXPECT_EQ(VellumLastCallStopped(), 1);
    EXPECT_EQ(tree.list().Items, items);
    EXPECT_EQ(DumpTree(tree.list()), before);
    // No page is announced, nor read, after the one the callback refused.
    EXPECT_EQ(announced.size(), static_cast<std::size_t>(row.stop_at) + 1);
    if (row.server != nullptr) {
      EXPECT_EQ(row.server->Requests().size(), static_cast<std::size_t>(row.stop_at));
    }
    EXPECT_EQ(Messages().info, std::vector<std::string>{"Scan stopped\n"});
    EXPECT_TRUE(Messages().errors.empty());

    VellumSetProgressCallback(nullptr);
    row.next(site_ / "", tree.list());
    EXPECT_EQ(VellumLastCallStopped(), 0);
    EXPECT_EQ(announced.size(), static_cast<std::size_t>(row.stop_at) + 1);
  }
}

// A server that never answers does not keep a stop waiting: while the scan
// waits, the callback is asked every 100 ms without an item.
TEST_F(ScanProgressTest, AStopIsHeardWhileAServerStalls) {
  site_.Write("index.htm", "<title>Home</title><a href=_stall>stall</a>");
  VellumSetProgressCallback(Record);
  stop_while_waiting = true;
  Tree tree("Old page -> old.htm");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Scan(0, server_.Url("index.htm"), tree.list()), 0);
  // Far below the 30 s after which a silent answer fails by itself.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(VellumLastCallStopped(), 1);
  EXPECT_GT(waits, 0);
  EXPECT_EQ(DumpTree(tree.list()), "Old page | old.htm\n");
}

}  // namespace
}  // namespace vellum::test
