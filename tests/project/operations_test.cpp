#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "project/project.h"
#include "project_fixtures.h"
#include "support/http_servers.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/page_access.h"

namespace vellum::project {
namespace {

using test::Messages;

class OperationsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::InstallMessageLog(); }
  void TearDown() override { Close(project_); }

  // Adds an item of kind at position named name, as the application adds its
  // site map.
  int Add(int position, uint32_t kind, const char* name = nullptr) {
    SiteMapParams params = test::NewProjectSiteMap();
    params.BasePath = name;
    return AddItem(project_, {position, kind, &params, test::kNewSiteMapFlags});
  }

  std::vector<std::string> ItemNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < project_.ItemCount; ++i) {
      names.emplace_back(project_.Items[i].Name != nullptr ? project_.Items[i].Name : "");
    }
    return names;
  }

  void AppendTarget(const char* url) {
    OutputTarget settings{};
    settings.URL = url;
    PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &settings};
    ChangeTargets(project_, request);
  }

  std::vector<std::string> SourceFiles() const {
    std::vector<std::string> texts;
    for (int i = 0; i < project_.SourceFiles.Count; ++i) {
      texts.emplace_back(project_.SourceFiles.Entries[i].Text);
    }
    return texts;
  }

  Project& project_ = TheProject();
};

TEST_F(OperationsTest, TheUpdateRuleTreatsAnEmptyTextAsNone) {
  ProjectParams params{nullptr, "", 2, nullptr, 0};
  EXPECT_EQ(SetParameters(project_, params), 0);
  EXPECT_EQ(project_.Modified, 0);

  params.Description = "about";
  EXPECT_EQ(SetParameters(project_, params), 1);
  project_.Modified = 0;
  params.Description = "";
  EXPECT_EQ(SetParameters(project_, params), 1);
  EXPECT_EQ(project_.Description, nullptr);
  EXPECT_EQ(project_.Modified, 1);
}

TEST_F(OperationsTest, MacrosChangeOnlyWhenLengthOrTextDiffers) {
  const struct {
    const char* name;
    const char* macros;
    int32_t length;
    bool changes;
  } steps[] = {
      {"no length, no change", "ignored", 0, false},
      {"a new length", "abc", 3, true},
      {"the same text and length", "abc", 3, false},
      {"the same length, another text", "xyz", 3, true},
      {"length 0 again", nullptr, 0, true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    project_.Modified = 0;
    EXPECT_EQ(SetParameters(project_, {nullptr, nullptr, 2, step.macros, step.length}),
              step.changes ? 1 : 0);
    EXPECT_EQ(project_.Modified, step.changes ? 1 : 0);
    EXPECT_EQ(project_.MacrosLength, step.length);
  }
  EXPECT_EQ(project_.Macros, nullptr);
}

TEST_F(OperationsTest, TypesThatAFileCannotHoldAreIgnored) {
  EXPECT_EQ(SetParameters(project_, {nullptr, nullptr, 3, nullptr, 0}), 0);
  EXPECT_EQ(project_.Type, 2);
  ChangeSource(project_, {nullptr, 7});
  EXPECT_EQ(project_.Type, 2);
  EXPECT_EQ(project_.Modified, 0);
}

TEST_F(OperationsTest, AddingAtTheCountAppendsAndBeyondItDoesNothing) {
  EXPECT_EQ(Add(0, VELLUM_KIND_SSITEMAP, "first"), 1);
  EXPECT_EQ(Add(1, VELLUM_KIND_SSITEMAP, "second"), 1);
  EXPECT_EQ(Add(0, VELLUM_KIND_SSITEMAP, "zero"), 1);
  EXPECT_EQ(Add(4, VELLUM_KIND_SSITEMAP, "far"), 1);
  EXPECT_EQ(Add(-1, VELLUM_KIND_SSITEMAP, "negative"), 1);
  EXPECT_EQ(Add(0, 16, "no such kind"), 1);
  EXPECT_EQ(Add(0, 0, "no such kind"), 1);
  EXPECT_EQ(ItemNames(), (std::vector<std::string>{"zero", "first", "second"}));
  EXPECT_EQ(project_.Items[1].Flags, test::kNewSiteMapFlags);
  EXPECT_STREQ(project_.Items[1].Body.SiteMap.OtherName, "Other");
  EXPECT_EQ(project_.Items[1].Body.SiteMap.SchemeName, nullptr);
}

TEST_F(OperationsTest, AddingWithoutMemoryEmptiesTheList) {
  Add(0, VELLUM_KIND_SSITEMAP, "first");
  SiteMapParams params{};
  core::testing::FailAllocationAfter(0);
  EXPECT_EQ(AddItem(project_, {1, VELLUM_KIND_COMMAND, &params, 0}), 0);
  core::testing::FailAllocationAfter(-1);
  EXPECT_EQ(project_.ItemCount, 0);
  EXPECT_EQ(project_.Items, nullptr);
  EXPECT_EQ(Messages().errors, std::vector<std::string>{"memory overflou"});
}

TEST_F(OperationsTest, MovesAtTheEndsLeaveListAndIndexAlone) {
  for (const char* name : {"a", "b", "c"}) Add(project_.ItemCount, VELLUM_KIND_COMMAND, name);
  project_.Modified = 0;
  int32_t index = 0;
  MoveItemUp(project_, index);
  EXPECT_EQ(index, 0);
  index = 2;
  MoveItemDown(project_, index);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(project_.Modified, 0);

  MoveItemUp(project_, index);
  EXPECT_EQ(index, 1);
  MoveItemUp(project_, index);
  EXPECT_EQ(index, 0);
  MoveItemDown(project_, index);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(ItemNames(), (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_EQ(project_.Modified, 1);

  DeleteItem(project_, 3);
  DeleteItem(project_, -1);
  DeleteItem(project_, 1);
  EXPECT_EQ(ItemNames(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(OperationsTest, DeletingTheLastTargetWritesTheNewLastIndexBack) {
  for (const char* url : {"t0", "t1", "t2"}) AppendTarget(url);
  PrmRequest request{VELLUM_PRM_DELETE_TARGET, 2, nullptr};
  ChangeTargets(project_, request);
  EXPECT_EQ(request.Index, 1);
  AppendTarget("t3");
  ChangeTargets(project_, request);
  EXPECT_EQ(request.Index, 1);
  ASSERT_EQ(project_.TargetCount, 2);
  EXPECT_STREQ(project_.Targets[1].URL, "t3");
  request.Index = 5;
  ChangeTargets(project_, request);
  EXPECT_EQ(request.Index, 5);
  EXPECT_EQ(project_.TargetCount, 2);
}

TEST_F(OperationsTest, TargetsTakeTheirSettingsFromACopy) {
  AppendTarget("first");
  // The settings are one of the project's own targets, which growing the
  // array moves.
  PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &project_.Targets[0]};
  ChangeTargets(project_, request);
  ASSERT_EQ(project_.TargetCount, 2);
  EXPECT_STREQ(project_.Targets[1].URL, "first");

  OutputTarget settings{};
  settings.Server = "ftp.example.org";
  settings.Port = 2121;
  settings.Flags = VELLUM_TARGET_FTP;
  project_.Modified = 0;
  request = {VELLUM_PRM_MODIFY_TARGET, 1, &settings};
  ChangeTargets(project_, request);
  EXPECT_EQ(project_.Targets[1].URL, nullptr);
  EXPECT_STREQ(project_.Targets[1].Server, "ftp.example.org");
  EXPECT_EQ(project_.Targets[1].Port, 2121);
  EXPECT_EQ(project_.Modified, 1);
}

TEST_F(OperationsTest, RecordingAnUploadUpdatesTheRecordOfTheSamePath) {
  AppendTarget("t");
  OutputTarget& target = project_.Targets[0];
  EXPECT_TRUE(RecordUpload(project_, target, "Page.html", {10, 1, 2, 2024, 60}));
  project_.Modified = 0;
  EXPECT_TRUE(RecordUpload(project_, target, "page.HTML", {10, 1, 2, 2024, 60}));
  EXPECT_EQ(project_.Modified, 0);
  EXPECT_TRUE(RecordUpload(project_, target, "page.HTML", {11, 1, 2, 2024, 60}));
  EXPECT_EQ(project_.Modified, 1);
  EXPECT_TRUE(RecordUpload(project_, target, "other.html", {1, 1, 1, 1, 1}));
  ASSERT_EQ(target.UploadedCount, 2);
  EXPECT_STREQ(target.UploadedFiles[0].Path, "Page.html");
  EXPECT_EQ(target.UploadedFiles[0].Size, 11);
}

TEST_F(OperationsTest, StoringASiteMapCopiesItsTreeAndMarksChanges) {
  Add(0, VELLUM_KIND_SSITEMAP);
  ScriptItem& item = project_.Items[0];
  MapItemList tree{};
  MapItem* home = core::Append(tree, "index.html", "Home");
  core::Append(home->Children, "a.html", "A");

  SiteMapParams params = test::NewProjectSiteMap();
  params.Items = &tree;
  project_.Modified = 0;
  StoreItem(project_, item, params);
  core::Clear(tree);
  ASSERT_EQ(item.Entries.Count, 1);
  EXPECT_STREQ(item.Entries.Items[0].Children.Items[0].URL, "a.html");
  EXPECT_EQ(project_.Modified, 1);

  // A branch of the item's own tree as the new tree.
  params.Items = &item.Entries.Items[0].Children;
  StoreItem(project_, item, params);
  ASSERT_EQ(item.Entries.Count, 1);
  EXPECT_STREQ(item.Entries.Items[0].URL, "a.html");

  // The number members alone mark the project modified.
  params.Items = nullptr;
  params.Settings.OutputType = 2;
  project_.Modified = 0;
  StoreItem(project_, item, params);
  EXPECT_EQ(item.Body.SiteMap.OutputType, 2);
  EXPECT_EQ(project_.Modified, 1);
  EXPECT_EQ(item.Flags, test::kNewSiteMapFlags);
}

TEST_F(OperationsTest, AddingWithTheTreeOfAnotherItemCopiesIt) {
  Add(0, VELLUM_KIND_SSITEMAP, "first");
  core::Append(project_.Items[0].Entries, "index.html", "Home");
  SiteMapParams params = test::NewProjectSiteMap();
  params.Items = &project_.Items[0].Entries;  // moves when the list grows
  ASSERT_EQ(AddItem(project_, {1, VELLUM_KIND_SSITEMAP, &params, 0}), 1);
  ASSERT_EQ(project_.Items[1].Entries.Count, 1);
  EXPECT_STREQ(project_.Items[1].Entries.Items[0].Name, "Home");
}

TEST_F(OperationsTest, SourceFilesAreTheFolderPagesWithTheFileListsApplied) {
  test::ScratchDir site;
  site.Write("index.html", "");
  site.Write("notes.txt", "");
  site.Write("sub/page.htm", "");
  site.Write("sub/Old.html", "");
  const std::string folder = site.path().string();
  config::TheConfig().ExtPage = "*.htm;*.html";

  AddFile(project_, "extra.html?x=1#top");
  AddFile(project_, (folder + "/INDEX.html").c_str());
  RemoveFile(project_, (folder + "/sub/old.HTML").c_str());
  ChangeSource(project_, {folder.c_str(), 1});
  EXPECT_EQ(SourceFiles(), (std::vector<std::string>{folder + "/index.html",
                                                     folder + "/sub/page.htm", "extra.html"}));
  // The cut stays in the added file's text.
  EXPECT_STREQ(project_.OutputList[0], "extra.html");

  // A negative Type keeps the Type and still recomputes the files.
  RemoveFile(project_, "extra.html");
  ChangeSource(project_, {folder.c_str(), -1});
  EXPECT_EQ(project_.Type, 1);
  EXPECT_EQ(SourceFiles().size(), 2u);

  // Without a source only the added files count.
  ChangeSource(project_, {nullptr, 1});
  EXPECT_EQ(SourceFiles(), std::vector<std::string>{folder + "/INDEX.html"});
  config::TheConfig().ExtPage = nullptr;
}

TEST_F(OperationsTest, FindCountsEveryOccurrenceInTheWholeText) {
  test::ScratchDir site;
  const std::string a = site.Write("a.html", "<p>Apple apple APPLE</p>");
  const std::string b = site.Write("b.html", "<p>nothing here</p>");
  AddFile(project_, a.c_str());
  AddFile(project_, b.c_str());
  AddFile(project_, (site / "gone.html").c_str());
  RebuildSourceFiles(project_);

  // Each occurrence counts once in the whole text and once more in its
  // text run.
  CountedStringList& found = FoundFiles();
  Find(project_, {"apple", 0, 1}, found);
  ASSERT_EQ(found.Count, 1);
  EXPECT_EQ(found.Entries[0].UseCount, 2);
  Find(project_, {"apple", 0, 0}, found);
  EXPECT_EQ(found.Entries[0].UseCount, 8);
  Find(project_, {"", 0, 0}, found);
  Find(project_, {"pear", 0, 0}, found);
  EXPECT_EQ(found.Count, 1);
  // The missing file, once for each search that looked.
  EXPECT_EQ(Messages().info,
            std::vector<std::string>(3, "file '" + site / "gone.html" + "' not found\n"));
  core::Clear(found);
}

TEST_F(OperationsTest, FindInElementTextPassesOverScriptsAndComments) {
  test::ScratchDir site;
  const std::string page = site.Write(
      "page.html",
      "<title>apple</title><script>apple()</script><COMMENT>apple</COMMENT><!-- apple -->"
      "<p alt=apple>an apple <b>pie</b></p><applet>apple</applet>");
  AddFile(project_, page.c_str());
  RebuildSourceFiles(project_);
  CountedStringList& found = FoundFiles();
  Find(project_, {"APPLE", 1, 0}, found);
  ASSERT_EQ(found.Count, 1);
  EXPECT_EQ(found.Entries[0].UseCount, 2);  // the title and the paragraph
  core::Clear(found);
  Find(project_, {"apple", 0, 1}, found);
  EXPECT_EQ(found.Entries[0].UseCount, 9 + 2);  // "applet" holds "apple" too
  core::Clear(found);
}

TEST_F(OperationsTest, TheSourceFilesOfAPageAreTheSiteItsLinksReach) {
  test::ScratchDir site;
  const std::string index =
      site.Write("index.htm", "<a href=a.htm?x#y>a</a><a href=b.htm><a href=pic.gif>");
  site.Write("a.htm", "<a href=index.htm><a href=sub/c.htm>");
  site.Write("b.htm", "");
  site.Write("sub/c.htm", "<a href=../index.htm>");
  const std::string folder = site.path().string() + "/";
  config::TheConfig().ExtPage = "*.htm";

  RemoveFile(project_, (folder + "B.HTM").c_str());
  AddFile(project_, "extra.htm");
  ChangeSource(project_, {index.c_str(), 0});
  EXPECT_EQ(SourceFiles(),
            (std::vector<std::string>{index, folder + "a.htm", folder + "sub/c.htm", "extra.htm"}));

  ChangeSource(project_, {(folder + "missing.htm").c_str(), 0});
  EXPECT_EQ(SourceFiles(), std::vector<std::string>{"extra.htm"});
  EXPECT_EQ(Messages().errors,
            std::vector<std::string>{"file '" + folder + "missing.htm' not found\n"});
  config::TheConfig().ExtPage = nullptr;
}

TEST_F(OperationsTest, AWebSiteIsCrawledAndSearchedThroughThePageCache) {
  test::ScratchDir site, logs, temp;
  site.Write("index.htm", "<title>Fruit</title><a href=a.htm>apple</a>");
  site.Write("a.htm", "<p>apple pie</p>");
  test::HttpServer server(site.path().string(), logs / "server.log");
  EngineConfig& config = config::TheConfig();
  config.ExtPage = "*.htm";
  config.TempFolder = core::CopyText(temp.path().string() + "/");

  ChangeSource(project_, {server.Url("index.htm").c_str(), 0});
  EXPECT_EQ(SourceFiles(),
            (std::vector<std::string>{server.Url("index.htm"), server.Url("a.htm")}));
  CountedStringList& found = FoundFiles();
  Find(project_, {"apple", 1, 0}, found);
  ASSERT_EQ(found.Count, 2);
  EXPECT_STREQ(found.Entries[1].Text, server.Url("a.htm").c_str());
  core::Clear(found);
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/index.htm", "/a.htm"}));

  web::PurgePageCache();
  config.ExtPage = nullptr;
  config::ReleaseMember(config.TempFolder);
}

TEST_F(OperationsTest, CloseFreesEverythingAndResets) {
  Add(0, VELLUM_KIND_SSITEMAP, "map");
  core::Append(project_.Items[0].Entries, "index.html", "Home");
  AppendTarget("t");
  RecordUpload(project_, project_.Targets[0], "a.html", {1, 1, 1, 2000, 1});
  AddFile(project_, "a.html");
  RemoveFile(project_, "b.html");
  SetParameters(project_, {"src", "desc", 0, "m", 1});
  RebuildSourceFiles(project_);

  Close(project_);
  EXPECT_EQ(project_.Source, nullptr);
  EXPECT_EQ(project_.Type, 2);
  EXPECT_EQ(project_.ItemCount, 0);
  EXPECT_EQ(project_.TargetCount, 0);
  EXPECT_EQ(project_.AddedCount + project_.RemovedCount + project_.SourceFiles.Count, 0);
  EXPECT_EQ(project_.Modified, 0);
  EXPECT_EQ(project_.CompessProperties, 0xFEFFDu);
  EXPECT_EQ(project_.UploadProperties, 5u);
}

}  // namespace
}  // namespace vellum::project
