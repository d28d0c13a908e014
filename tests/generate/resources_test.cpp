// What generation copies beside a page, per output type, from the shipped
// resource folder.
#include "generate/resources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generate/schemes.h"
#include "generate_support.h"
#include "project/project.h"
#include "support/message_log.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;
using test::EngineStart;
using test::FilesBelow;
using test::Generate;
using test::InScratchDir;
using test::ReadBytes;
using test::Settings;
using test::Tree;

using Files = std::vector<std::string>;

// The files generation registered, taken out of the project again so that
// the next case starts from none.
Files TakeOutputList() {
  Project& project = project::TheProject();
  Files files(project.OutputList, project.OutputList + project.AddedCount);
  for (const std::string& file : files) project::RemoveFile(project, file.c_str());
  return files;
}

constexpr const char* kTree = "Apple -> apple.htm\n  7up -> 7up.htm\n_x -> x.htm";

const Files kIcons{"img/iicon0.gif", "img/iicon1.gif"};
const Files kAllIcons{"img/iicon0.gif", "img/iicon1.gif", "img/iicon2.gif", "img/iicon3.gif",
                      "img/iicon4.gif"};
const Files kUsedLetters{"img/ichar7.gif", "img/ichara.gif", "img/icharother.gif"};

TEST(CopyResources, EachOutputTypeBesideAnAbsolutePage) {
  const struct {
    int output_type;
    Files pictures;  // below the page's folder, the page and scripts aside
    Files scripts;
  } rows[] = {
      {VELLUM_OUTPUT_UL_LIST, {}, {}},
      {VELLUM_OUTPUT_PAGED_UL_LIST, {}, {}},
      {VELLUM_OUTPUT_ICON_TREE, kIcons, {}},
      {VELLUM_OUTPUT_SCRIPT_TREE, kAllIcons, {"tree0.js", "tree4.js"}},
      {VELLUM_OUTPUT_NAV_COMBO, {}, {}},
      {VELLUM_OUTPUT_INDEX_PAGE, kUsedLetters, {}},
      {VELLUM_OUTPUT_LEVEL_TABLE, {}, {}},
  };
  EngineStart engine(test::SourceRoot());
  for (const auto& row : rows) {
    InScratchDir here;
    fs::create_directory("web");
    const std::string page = here.dir() / "web/map.htm";
    SiteMapSettings settings = Settings(row.output_type, page.c_str());
    settings.ImageFolder = "img";
    Tree tree(kTree);
    Generate(settings, tree.list(), 0);

    Files expected = row.pictures;
    expected.push_back("map.htm");
    if (row.output_type == VELLUM_OUTPUT_PAGED_UL_LIST) expected.push_back("map1.htm");
    expected.insert(expected.end(), row.scripts.begin(), row.scripts.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesBelow(here.dir() / "web"), expected) << row.output_type;

    Files registered;
    if (row.output_type == VELLUM_OUTPUT_PAGED_UL_LIST)
      registered.push_back(here.dir() / "web/map1.htm");
    registered.push_back(page);
    // The pictures only the scripts show are registered with the scripts.
    if (row.output_type == VELLUM_OUTPUT_SCRIPT_TREE) {
      registered.push_back(here.dir() / "web/img/iicon1.gif");
      registered.push_back(here.dir() / "web/img/iicon4.gif");
    }
    for (const std::string& script : row.scripts)
      registered.push_back(here.dir() / ("web/" + script));
    EXPECT_EQ(TakeOutputList(), registered) << row.output_type;
    EXPECT_TRUE(test::Messages().errors.empty());
  }
}

TEST(CopyResources, CopiesAreWholeFilesOfTheResourceFolder) {
  InScratchDir here;
  EngineStart engine(test::SourceRoot());
  Tree tree(kTree);
  Generate(Settings(VELLUM_OUTPUT_SCRIPT_TREE, "map.htm"), tree.list(), 0);
  const std::string resources = test::SourceRoot() + "Resource/";
  EXPECT_EQ(ReadBytes("tree0.js"), ReadBytes(resources + "Script/tree0.js"));
  EXPECT_EQ(ReadBytes("tree4.js"), ReadBytes(resources + "Script/tree4.js"));
  EXPECT_EQ(ReadBytes("iicon3.gif"), ReadBytes(resources + "img/iicon3.gif"));
}

TEST(CopyResources, ARelativePageGetsThemInTheCurrentFolder) {
  const struct {
    const char* output_file;
    const char* image_folder;
    uint32_t flags;
    Files files;
    Files registered;
  } rows[] = {
      {"map.htm",
       nullptr,
       0,
       {"iicon0.gif", "iicon1.gif", "iicon2.gif", "iicon3.gif", "iicon4.gif", "map.htm", "tree0.js",
        "tree4.js"},
       {"map.htm", "iicon1.gif", "iicon4.gif", "tree0.js", "tree4.js"}},
      {"site/maps/map.htm",
       "pics/tree",
       0,
       {"map.htm", "pics/tree/iicon0.gif", "pics/tree/iicon1.gif", "pics/tree/iicon2.gif",
        "pics/tree/iicon3.gif", "pics/tree/iicon4.gif", "tree0.js", "tree4.js"},
       {"map.htm", "pics/tree/iicon1.gif", "pics/tree/iicon4.gif", "tree0.js", "tree4.js"}},
      {"map.htm",
       "img",
       VELLUM_GEN_NO_OUTPUT_LIST,
       {"img/iicon0.gif", "img/iicon1.gif", "img/iicon2.gif", "img/iicon3.gif", "img/iicon4.gif",
        "map.htm", "tree0.js", "tree4.js"},
       {}},
  };
  EngineStart engine(test::SourceRoot());
  for (const auto& row : rows) {
    InScratchDir here;
    SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, row.output_file);
    settings.ImageFolder = row.image_folder;
    Tree tree(kTree);
    Generate(settings, tree.list(), row.flags);
    EXPECT_EQ(FilesBelow("."), row.files) << row.output_file;
    EXPECT_EQ(TakeOutputList(), row.registered) << row.output_file;
  }
}

TEST(CopyResources, ShippedSchemesLoadAndGiveTheirPictures) {
  InScratchDir here;
  EngineStart engine(test::SourceRoot());
  EXPECT_TRUE(test::Messages().info.empty());
  const ImageScheme* green = FindScheme(VELLUM_OUTPUT_SCRIPT_TREE, "Green");
  ASSERT_NE(green, nullptr);
  ASSERT_EQ(green->Count, 5);
  EXPECT_EQ(green->Pictures[4].Width, 16);
  const ImageScheme* round = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, "round");
  ASSERT_NE(round, nullptr);
  ASSERT_EQ(round->Count, 36);
  EXPECT_EQ(round->Pictures[35].Height, 20);

  Tree tree(kTree);
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm");
  settings.SchemeName = "green";
  Generate(settings, tree.list(), 0);
  settings = Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm");
  settings.SchemeName = "round";
  Generate(settings, tree.list(), 0);
  EXPECT_EQ(FilesBelow("."),
            (Files{"green0.gif", "green1.gif", "green2.gif", "green3.gif", "green4.gif",
                   "index.htm", "round7.gif", "rounda.gif", "tree.htm", "tree0.js", "tree4.js"}));
  EXPECT_EQ(ReadBytes("green3.gif"),
            ReadBytes(test::SourceRoot() + "Resource/Schemes/green/img/green3.gif"));
  // Without an other picture the name _x comes last, after a rule.
  EXPECT_NE(ReadBytes("index.htm").find("\r\n<HR>\r\n<A HREF=\"x.htm\">_x</A><BR>\r\n\r\n<BR>"),
            std::string::npos);
  EXPECT_TRUE(test::Messages().info.size() == 2u);  // the two "Generate" lines
}

TEST(CopyResources, AnUnreadablePictureIsDrawnWithoutSizeAndCopiedAsItIs) {
  InScratchDir here;
  here.dir().Write("root/Resource/Schemes/odd.scm",
                   "Type = 1 Pict = \"leaf.gif\" Pict = \"branch.gif\"");
  here.dir().Write("root/Resource/Schemes/img/leaf.gif", "not a picture");
  fs::copy_file(test::SourceRoot() + "Resource/img/iicon1.gif",
                here.dir() / "root/Resource/Schemes/img/branch.gif");
  EngineStart engine(here.dir() / "root/");
  Tree tree("A -> a.htm\n  B -> b.htm");
  SiteMapSettings settings = Settings(VELLUM_OUTPUT_ICON_TREE, "icons.htm");
  settings.SchemeName = "odd";
  Generate(settings, tree.list(), 0);
  const std::string page = ReadBytes("icons.htm");
  EXPECT_NE(page.find("<IMG WIDTH=16 HEIGHT=16 SRC=\"branch.gif\" CLASS=ICO BORDER=0>"),
            std::string::npos);
  EXPECT_NE(page.find("<IMG SRC=\"leaf.gif\" CLASS=ICO BORDER=0>"), std::string::npos);
  EXPECT_EQ(ReadBytes("leaf.gif"), "not a picture");

  // A script tree from a scheme of two pictures lacks the other three.
  settings = Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm");
  settings.SchemeName = "odd";
  Generate(settings, tree.list(), 0);
  const std::string tree_page = ReadBytes("tree.htm");
  EXPECT_NE(tree_page.find("return false\">\r\n</A>&nbsp<A HREF=\"a.htm\">A</A><BR>"),
            std::string::npos);
}

}  // namespace
}  // namespace vellum::generate
