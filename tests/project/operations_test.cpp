#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "project/project.h"
#include "project/project_file.h"
#include "support/golden.h"
#include "support/http_servers.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/page_access.h"

namespace vellum::project {
namespace {

using test::Messages;
using Texts = std::vector<std::string>;

Texts List(int32_t count, const char* const* texts) { return Texts(texts, texts + count); }

class OperationsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::InstallMessageLog(); }
  void TearDown() override {
    Close(project_);
    config::TheConfig().ExtPage = nullptr;
  }

  // Adds an item of kind at position named name, as the application adds its site map.
  int Add(int position, uint32_t kind, const char* name = nullptr) {
    SiteMapParams params = VellumNewSiteMapParams();
    params.BasePath = name;
    return AddItem(project_, {position, kind, &params, VELLUM_NEW_SITE_MAP_FLAGS});
  }
  Texts ItemNames() const {
    Texts names;
    for (int i = 0; i < project_.ItemCount; ++i) names.emplace_back(project_.Items[i].Name);
    return names;
  }
  // The request's index afterwards.
  int32_t ChangeTarget(uint32_t operation, int32_t index, const OutputTarget* settings = nullptr) {
    PrmRequest request{operation, index, settings};
    ChangeTargets(project_, request);
    return request.Index;
  }
  void AppendTarget(const char* url) {
    OutputTarget settings{};
    settings.URL = url;
    ChangeTarget(VELLUM_PRM_APPEND_TARGET, 0, &settings);
  }
  Texts SourceFiles() const {
    Texts texts;
    const CountedStringList& files = project_.SourceFiles;
    for (int i = 0; i < files.Count; ++i) texts.emplace_back(files.Entries[i].Text);
    return texts;
  }

  Project& project_ = TheProject();
};

// Each step starts from an unmodified project; texts treat "" as none, and
// types a file cannot hold are ignored.
TEST_F(OperationsTest, ParametersChangeOnlyWhatDiffers) {
  const struct {
    const char* name;
    ProjectParams params;
    bool changes;
  } steps[] = {
      {"an empty description is none", {nullptr, "", 2, nullptr, 0}, false},
      {"a description", {nullptr, "about", 2, nullptr, 0}, true},
      {"the description emptied", {nullptr, "", 2, nullptr, 0}, true},
      {"a type a file cannot hold", {nullptr, nullptr, 3, nullptr, 0}, false},
      {"another type", {nullptr, nullptr, 1, nullptr, 0}, true},
      {"the type back", {nullptr, nullptr, 2, nullptr, 0}, true},
      {"no macro length, no change", {nullptr, nullptr, 2, "ignored", 0}, false},
      {"a new macro length", {nullptr, nullptr, 2, "abc", 3}, true},
      {"the same macros", {nullptr, nullptr, 2, "abc", 3}, false},
      {"the same length, other macros", {nullptr, nullptr, 2, "xyz", 3}, true},
      {"macro length 0 again", {nullptr, nullptr, 2, nullptr, 0}, true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    project_.Modified = 0;
    EXPECT_EQ(SetParameters(project_, step.params), step.changes ? 1 : 0);
    EXPECT_EQ(project_.Modified, step.changes ? 1 : 0);
    EXPECT_EQ(project_.MacrosLength, step.params.MacrosLength);
  }
  EXPECT_EQ(project_.Description, nullptr);
  EXPECT_EQ(project_.Macros, nullptr);
  EXPECT_EQ(project_.Type, 2);
  project_.Modified = 0;
  ChangeSource(project_, {nullptr, 7});
  EXPECT_EQ(project_.Type, 2);
  EXPECT_EQ(project_.Modified, 0);
}

// Adding at the count appends, beyond it or with no such kind does nothing;
// moves at the ends leave list and index alone.
TEST_F(OperationsTest, ItemsAreAddedMovedAndDeletedWithinTheList) {
  const uint32_t kSite = VELLUM_KIND_SSITEMAP, kCommand = VELLUM_KIND_COMMAND;
  const std::tuple<int, uint32_t, const char*> adds[] = {
      {0, kSite, "first"},        {1, kSite, "second"}, {0, kSite, "zero"}, {4, kSite, "far"},
      {-1, kCommand, "negative"}, {0, 16, "no kind"},   {0, 0, "no kind"},
  };
  for (const auto& [position, kind, name] : adds) EXPECT_EQ(Add(position, kind, name), 1);
  EXPECT_EQ(ItemNames(), (Texts{"zero", "first", "second"}));
  project_.Modified = 0;
  const std::tuple<void (*)(Project&, int32_t&), int32_t, int32_t> moves[] = {
      {MoveItemUp, 0, 0}, {MoveItemDown, 2, 2}, {MoveItemUp, 2, 1},
      {MoveItemUp, 1, 0}, {MoveItemDown, 0, 1},
  };
  for (const auto& [move, from, to] : moves) {
    int32_t index = from;
    move(project_, index);
    EXPECT_EQ(index, to);
    EXPECT_EQ(project_.Modified, from != to ? 1 : 0);
  }
  EXPECT_EQ(ItemNames(), (Texts{"zero", "second", "first"}));
  for (int at : {3, -1, 1}) DeleteItem(project_, at);
  EXPECT_EQ(ItemNames(), (Texts{"zero", "first"}));

  core::testing::FailAllocationAfter(0);  // adding without memory empties the list
  EXPECT_EQ(Add(1, VELLUM_KIND_COMMAND), 0);
  core::testing::FailAllocationAfter(-1);
  EXPECT_EQ(project_.ItemCount, 0);
  EXPECT_EQ(project_.Items, nullptr);
  EXPECT_EQ(Messages().errors, Texts{"memory overflou"});
}

TEST_F(OperationsTest, TargetsAreChangedFromACopy) {
  for (const char* url : {"t0", "t1", "t2"}) AppendTarget(url);
  // Deleting the last target writes the new last index back; the settings
  // of an append may be one of the project's own targets, which growing the
  // array moves.
  EXPECT_EQ(ChangeTarget(VELLUM_PRM_DELETE_TARGET, 2), 1);
  ChangeTarget(VELLUM_PRM_APPEND_TARGET, 0, &project_.Targets[0]);
  EXPECT_STREQ(project_.Targets[2].URL, "t0");
  for (int index : {1, 5}) EXPECT_EQ(ChangeTarget(VELLUM_PRM_DELETE_TARGET, index), index);
  ASSERT_EQ(project_.TargetCount, 2);
  EXPECT_STREQ(project_.Targets[1].URL, "t0");

  OutputTarget settings{};
  settings.Server = "ftp.example.org";
  settings.Port = 2121;
  project_.Modified = 0;
  ChangeTarget(VELLUM_PRM_MODIFY_TARGET, 1, &settings);
  EXPECT_EQ(project_.Targets[1].URL, nullptr);
  EXPECT_STREQ(project_.Targets[1].Server, "ftp.example.org");
  EXPECT_EQ(project_.Targets[1].Port, 2121);
  EXPECT_EQ(project_.Modified, 1);
}

TEST_F(OperationsTest, ANewProjectsSiteMapIsSavedAsTheGoldenFileAndTreesAreCopied) {
  EXPECT_EQ(Add(0, VELLUM_KIND_SSITEMAP), 1);
  EXPECT_EQ(project_.Modified, 1);
  test::ScratchDir dir;
  ASSERT_TRUE(Save(project_, (dir / "new.bpj").c_str()));
  EXPECT_EQ(project_.Modified, 0);
  test::ExpectGoldenFile(dir / "new.bpj", VELLUM_GOLDEN_DIR "/new_project.bpj");

  // Trees are copied, even from the project's own items.
  MapItemList tree{};
  core::Append(core::Append(tree, "index.html", "Home")->Children, "a.html", "A");
  SiteMapParams params = VellumNewSiteMapParams();
  params.Items = &tree;
  StoreItem(project_, project_.Items[0], params);
  core::Clear(tree);
  EXPECT_EQ(project_.Modified, 1);

  // The tree of another item, which moves when the list grows.
  params.Items = &project_.Items[0].Entries;
  ASSERT_EQ(AddItem(project_, {1, VELLUM_KIND_SSITEMAP, &params, 0}), 1);
  EXPECT_EQ(test::DumpTree(project_.Items[1].Entries), "Home | index.html\n  A | a.html\n");

  // A branch of the item's own tree as the new tree.
  ScriptItem& item = project_.Items[0];
  params.Items = &item.Entries.Items[0].Children;
  StoreItem(project_, item, params);
  EXPECT_EQ(test::DumpTree(item.Entries), "A | a.html\n");

  // The number members alone mark the project modified.
  params.Items = nullptr;
  params.Settings.OutputType = 2;
  project_.Modified = 0;
  StoreItem(project_, item, params);
  EXPECT_EQ(item.Body.SiteMap.OutputType, 2);
  EXPECT_EQ(project_.Modified, 1);
  EXPECT_EQ(item.Flags, VELLUM_NEW_SITE_MAP_FLAGS);

  // The flag word goes only with StoreItemAndFlags, and marks a change too.
  for (const uint32_t flags : {VELLUM_NEW_SITE_MAP_FLAGS, VELLUM_NEW_SITE_MAP_FLAGS | 0x10000u}) {
    project_.Modified = 0;
    StoreItemAndFlags(project_, item, params, flags);
    EXPECT_EQ(item.Flags, flags);
    EXPECT_EQ(project_.Modified, flags == VELLUM_NEW_SITE_MAP_FLAGS ? 0 : 1);
  }
}

TEST_F(OperationsTest, FileListsKeepOneEntryPerFileWithoutRegardToCase) {
  RemoveFile(project_, "a.html");
  project_.Modified = 0;
  AddFile(project_, "A.HTML");  // only taken out of the removed list
  EXPECT_EQ(project_.RemovedCount + project_.AddedCount, 0);
  EXPECT_EQ(project_.Modified, 1);
  AddFile(project_, "A.HTML");
  AddFile(project_, "a.html");
  EXPECT_EQ(List(project_.AddedCount, project_.OutputList), Texts{"A.HTML"});
  RemoveFile(project_, "A.html");
  EXPECT_EQ(project_.OutputList, nullptr);
  // A file never added is listed as removed each time.
  RemoveFile(project_, "b.html");
  RemoveFile(project_, "b.html");
  EXPECT_EQ(List(project_.RemovedCount, project_.RemovedFiles), (Texts{"b.html", "b.html"}));
}

TEST_F(OperationsTest, SourceFilesAreTheFolderPagesWithTheFileListsApplied) {
  test::ScratchDir site;
  for (const char* name : {"index.html", "notes.txt", "sub/page.htm", "sub/Old.html"}) {
    site.Write(name, "");
  }
  const std::string folder = site.path().string();
  config::TheConfig().ExtPage = "*.htm;*.html";
  AddFile(project_, "extra.html?x=1#top");
  AddFile(project_, (folder + "/INDEX.html").c_str());
  RemoveFile(project_, (folder + "/sub/old.HTML").c_str());
  ChangeSource(project_, {folder.c_str(), 1});
  EXPECT_EQ(SourceFiles(), (Texts{folder + "/index.html", folder + "/sub/page.htm", "extra.html"}));
  EXPECT_STREQ(project_.OutputList[0], "extra.html");  // the cut stays in the added file's text

  // A negative Type keeps the Type and still recomputes the files.
  RemoveFile(project_, "extra.html");
  ChangeSource(project_, {folder.c_str(), -1});
  EXPECT_EQ(project_.Type, 1);
  EXPECT_EQ(SourceFiles().size(), 2u);
  // Without a source only the added files count.
  ChangeSource(project_, {nullptr, 1});
  EXPECT_EQ(SourceFiles(), Texts{folder + "/INDEX.html"});
}

TEST_F(OperationsTest, FindCountsOccurrencesInTheWholeTextOrInElementText) {
  test::ScratchDir site;
  AddFile(project_, site.Write("a.html", "<p>Apple apple APPLE</p>").c_str());
  AddFile(project_, site.Write("b.html", "<p>nothing here</p>").c_str());
  AddFile(project_, (site / "gone.html").c_str());
  AddFile(project_, site.Write("page.html",
                               "<title>apple</title><script>apple()</script><COMMENT>apple"
                               "</COMMENT><!-- apple --><p alt=apple>an apple <b>pie</b></p>"
                               "<applet>apple</applet>")
                        .c_str());
  RebuildSourceFiles(project_);
  // Each occurrence counts once in the whole text and once more in its text
  // run; element text passes over scripts and comments ("applet" holds
  // "apple"). The counts add up until the list is cleared.
  const struct {
    FindRequest request;
    std::vector<int> counts;
  } searches[] = {
      {{"apple", 0, 1}, {2, 9 + 2}}, {{"apple", 0, 0}, {8, 22}}, {{"APPLE", 1, 0}, {11, 24}},
      {{"", 0, 0}, {11, 24}},        {{"pear", 0, 0}, {11, 24}},
  };
  CountedStringList& found = FoundFiles();
  for (const auto& search : searches) {
    SCOPED_TRACE(std::string(search.request.Text) + std::to_string(search.request.MatchCase));
    Find(project_, search.request, found);
    std::vector<int> counts;
    for (int i = 0; i < found.Count; ++i) counts.push_back(found.Entries[i].UseCount);
    EXPECT_EQ(counts, search.counts);
  }
  core::Clear(found);
  // The missing file, once for each search that looked.
  EXPECT_EQ(Messages().info, Texts(4, "file '" + site / "gone.html" + "' not found\n"));
}

TEST_F(OperationsTest, AWebSourceIsCrawledAsAScanCrawlsThenSearched) {
  test::ScratchDir site, logs, temp;
  site.Write("index.htm", "<title>Fruit</title><a href=a.htm>apple</a>");
  site.Write("a.htm", "<p>apple pie</p>");
  test::HttpServer server(site.path().string(), logs / "server.log");
  EngineConfig& config = config::TheConfig();
  config.ExtPage = "*.htm";
  config.TempFolder = core::CopyText(temp.path().string() + "/");

  ChangeSource(project_, {server.Url("index.htm").c_str(), 0});
  EXPECT_EQ(SourceFiles(), (Texts{server.Url("index.htm"), server.Url("a.htm")}));
  CountedStringList& found = FoundFiles();
  Find(project_, {"apple", 1, 0}, found);
  ASSERT_EQ(found.Count, 2);
  EXPECT_STREQ(found.Entries[1].Text, server.Url("a.htm").c_str());
  core::Clear(found);
  // The crawl asks for robots.txt and keeps no page; the search reads each.
  EXPECT_EQ(server.Requests(),
            (Texts{"/index.htm", "/robots.txt", "/a.htm", "/index.htm", "/a.htm"}));
  web::PurgePageCache();
  config::ReleaseMember(config.TempFolder);
}

}  // namespace
}  // namespace vellum::project
