#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace {

std::vector<std::string> DefinedDynamicSymbols(const std::string& library) {
  std::string command = "nm -D --defined-only '" + library + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::vector<std::string> names;
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    fields >> address >> type >> name;
    if (name.empty()) name = type;  // lines without an address
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Exports, TheLibraryExportsExactlyTheNineteenFunctions) {
  std::vector<std::string> expected = {
      "HTMLGSiteMap", "HTMLchsource",  "HTMLgenSiteMap", "HTMLgetCfg",    "HTMLinitmess",
      "HTMLparam",    "HTMLprjAdd",    "HTMLprjClose",   "HTMLprjDelete", "HTMLprjDown",
      "HTMLprjEFind", "HTMLprjFind",   "HTMLprjOpen",    "HTMLprjPrm",    "HTMLprjSave",
      "HTMLprjUp",    "HTMLprjUpload", "HTMLputCfg",     "HTMLsvItem",
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(DefinedDynamicSymbols(VELLUM_LIBRARY_PATH), expected);
}

std::vector<std::string> reported;

int32_t Record(const char* text) {
  reported.emplace_back(text);
  return 1;
}

TEST(Exports, GenSiteMapEmptiesTheTargetListEvenBeforeInit) {
  // The list is built by hand, with the engine's allocator (plain malloc).
  MapItemList tree{1, static_cast<MapItem*>(calloc(1, sizeof(MapItem)))};
  tree.Items[0].URL = strdup("a.html");
  SiteMapParams params{};
  params.Items = &tree;
  EXPECT_EQ(HTMLgenSiteMap(&params, VELLUM_SCAN_IGNORE_BOOKMARKS), 1);
  EXPECT_EQ(tree.Count, 0);
  EXPECT_EQ(tree.Items, nullptr);
}

TEST(Exports, ASecondInitReplacesTheCallbacks) {
  EXPECT_EQ(HTMLinitmess(nullptr, nullptr, nullptr, 0, 0, nullptr), 1);
  EXPECT_EQ(HTMLinitmess(Record, Record, Record, 0, 0, nullptr), 1);
  EXPECT_EQ(HTMLgetCfg(0), HTMLgetCfg(0));
  EXPECT_EQ(HTMLprjClose(0), HTMLprjOpen("/no/such/project.bpj"));
}

TEST(Exports, GSiteMapWritesRegistersAndAnnouncesThePage) {
  char folder[] = "/tmp/vellum-api-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string page = std::string(folder) + "/map.htm";
  MapItemList tree{1, static_cast<MapItem*>(calloc(1, sizeof(MapItem)))};
  tree.Items[0].URL = strdup("a.htm");
  tree.Items[0].Name = strdup("A");
  SiteMapParams params{};
  params.Settings.OutputType = VELLUM_OUTPUT_UL_LIST;
  params.Settings.OutputFile = page.c_str();
  params.Items = &tree;
  HTMLinitmess(Record, Record, Record, 0, 0, nullptr);
  reported.clear();  // whatever start-up had to say

  EXPECT_NE(HTMLGSiteMap(&params, VELLUM_GEN_PAGE_FOOTER), 0);
  EXPECT_EQ(reported, std::vector<std::string>{"   Generate '" + page + "' page\n"});
  std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(page.c_str(), "rb"), fclose);
  ASSERT_TRUE(file);
  char head[8] = {};
  EXPECT_EQ(fread(head, 1, 7, file.get()), 7u);
  EXPECT_STREQ(head, "<HTML>\r");
  remove(page.c_str());
  rmdir(folder);
  free(const_cast<char*>(tree.Items[0].URL));
  free(const_cast<char*>(tree.Items[0].Name));
  free(tree.Items);
}

TEST(Exports, StartUpReportsOfAnEarlyGenSiteMapReachTheCallbacksOfInit) {
  unsetenv("ZAZERIDOV");
  MapItemList tree{0, nullptr};
  SiteMapParams params{};
  params.Items = &tree;
  EXPECT_EQ(HTMLgenSiteMap(&params, 0), 1);
  reported.clear();
  EXPECT_EQ(HTMLinitmess(Record, Record, Record, 0, 0, "/nowhere/IDE/bramblel"), 1);
  EXPECT_EQ(reported, std::vector<std::string>{"envelopment variable 'ZAZERIDOV' not found"});
  EXPECT_EQ(HTMLgetCfg(0)->RootFolder, nullptr);  // the first start-up is the only one
}

// Starts the engine as a program installed in dir, with recording callbacks.
void StartInstalledIn(const vellum::test::ScratchDir& dir) {
  std::filesystem::create_directory(dir.path() / "BIN");
  const std::string program = dir / "IDE/bramblel";
  ASSERT_EQ(HTMLinitmess(Record, Record, Record, 0, 0, program.c_str()), 1);
}

TEST(Exports, PutCfgWritesTheUsersFileBelowTheRoot) {
  vellum::test::ScratchDir dir;
  StartInstalledIn(dir);

  EngineConfig settings{};
  settings.ExtPage = "*.htm";
  settings.PortFW = 21;
  EngineConfig* config = HTMLputCfg(&settings);
  EXPECT_EQ(config, HTMLgetCfg(0));
  EXPECT_STREQ(config->ExtPage, "*.htm");
  EXPECT_NE(config->ExtPage, settings.ExtPage);
  EXPECT_EQ(vellum::test::ReadBytes(dir / "BIN/Vellum.cfg"), "ExtPage=\"*.htm\"\r\nPortFW=21\r\n");
}

TEST(Exports, GenSiteMapScansASiteIntoTheGivenList) {
  reported.clear();
  vellum::test::ScratchDir dir;
  StartInstalledIn(dir);
  EngineConfig settings{};
  settings.ExtPage = "*.htm";
  HTMLputCfg(&settings);
  const std::string base = dir.Write("site/index.htm", "<title>Home</title><a href=b.htm>");
  dir.Write("site/b.htm", "<title>B</title><a href=index.htm>");

  MapItemList tree{0, nullptr};
  SiteMapParams params{};
  params.BasePath = base.c_str();
  params.Items = &tree;
  EXPECT_EQ(HTMLgenSiteMap(&params, VELLUM_SCAN_IGNORE_BOOKMARKS), 1);
  ASSERT_EQ(tree.Count, 2);
  EXPECT_STREQ(tree.Items[0].Name, "B");
  EXPECT_STREQ(tree.Items[1].Name, "Home");
  EXPECT_EQ(tree.Items[1].URL, base);

  params.Settings.Mode = 1;
  const std::string folder = dir / "site/";
  params.BasePath = folder.c_str();
  EXPECT_EQ(HTMLgenSiteMap(&params, VELLUM_SCAN_IGNORE_BOOKMARKS), 1);
  ASSERT_EQ(tree.Count, 2);
  EXPECT_STREQ(tree.Items[0].URL, "b.htm");
  params.Settings.Mode = 0;
  params.BasePath = "";
  EXPECT_EQ(HTMLgenSiteMap(&params, 0), 1);  // nothing to scan: the list is only emptied
  EXPECT_EQ(tree.Count, 0);
  EXPECT_TRUE(reported.empty());
}

}  // namespace
