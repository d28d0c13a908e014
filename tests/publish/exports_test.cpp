// "Generate Site Map And Upload" through the shared library, as the desktop
// application calls it: a script tree site map with its pictures and
// scripts, and a page with its picture, published to a folder; a second
// run sends nothing. What an upload does is tested below the library.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace {

namespace fs = std::filesystem;
using vellum::test::ReadBytes;

// "Generate Site Map And Upload" passes these, with every target selected.
std::string Upload() {
  vellum::test::Messages() = {};
  const std::vector<uint8_t> selection(256, 1);
  const UploadRequest request{VELLUM_UPLOAD_RESOURCES | VELLUM_UPLOAD_SKIP_UNCHANGED, 0,
                              selection.data(), 0};
  EXPECT_EQ(HTMLprjUpload(&request), 0);
  EXPECT_TRUE(vellum::test::Messages().errors.empty());
  std::string joined;
  for (const std::string& text : vellum::test::Messages().info) joined += text;
  return joined;
}

TEST(GenerateAndUpload, PublishesTheSiteMapWithItsFilesAndThenNothingMore) {
  // An installation with the shipped pictures and scripts.
  vellum::test::ScratchDir dir;
  fs::create_directories(dir.path() / "BIN");
  fs::copy(VELLUM_RESOURCE_FOLDER, dir.path() / "Resource", fs::copy_options::recursive);
  const std::string program = dir / "IDE/bramblel";
  HTMLinitmess(vellum::test::RecordInfo, vellum::test::RecordError, nullptr, 0, 0, program.c_str());
  EngineConfig settings{};
  settings.ExtPage = "*.htm;*.html";
  HTMLputCfg(&settings);
  Project* project = HTMLprjClose(0);

  const std::string site = dir / "site";
  dir.Write("site/paper.gif", "GIF89a paper");
  const std::string pictures = dir.Write("site/pictures.htm", "<IMG SRC=\"img/photo.jpg\">\r\n");
  dir.Write("site/img/photo.jpg", "JFIF photo");
  vellum::test::CurrentFolder current(site);  // where the background picture is named from

  // The site map, written by absolute path with its pictures in img/ and
  // its scripts beside it.
  vellum::test::Tree tree(
      "Pictures -> pictures.htm\nMore -> more.htm\n  Top -> pictures.htm#top\n");
  const std::string page = site + "/sitemap.html";
  SiteMapParams params{};
  params.Settings.OutputType = VELLUM_OUTPUT_SCRIPT_TREE;
  params.Settings.OutputFile = page.c_str();
  params.Settings.ImageFolder = "img";
  params.Settings.BackgroundImage = "paper.gif";
  params.Items = &tree.list();
  ASSERT_NE(HTMLGSiteMap(&params, 0), 0);
  PrmRequest add{VELLUM_PRM_ADD_FILE, 0, pictures.c_str()};
  HTMLprjPrm(&add);
  ASSERT_EQ(project->AddedCount, 6);
  const std::string pub = dir / "pub";
  OutputTarget target{};
  target.Folder = pub.c_str();
  PrmRequest append{VELLUM_PRM_APPEND_TARGET, 0, &target};
  HTMLprjPrm(&append);

  // The registered page, the pictures it shows, the pictures and scripts
  // generation registered for the scripts, the other page and its picture.
  const char* files[] = {"sitemap.html",   "img/paper.gif",  "img/iicon0.gif", "img/iicon3.gif",
                         "img/iicon2.gif", "img/iicon1.gif", "img/iicon4.gif", "tree0.js",
                         "tree4.js",       "pictures.htm",   "img/photo.jpg"};
  std::string sent;
  for (const char* file : files) sent += "   '" + site + "/" + file + "' - Upload successful\n";
  EXPECT_EQ(Upload(), sent);
  for (const char* file : files) {
    ASSERT_FALSE(ReadBytes(site + "/" + file).empty()) << file;
    EXPECT_EQ(ReadBytes(pub + "/" + file), ReadBytes(site + "/" + file)) << file;
  }
  EXPECT_EQ(Upload(), "");
  HTMLprjClose(0);
}

}  // namespace
