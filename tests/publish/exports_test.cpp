// "Generate Site Map And Upload" end to end, through the shared library as
// the desktop application calls it: a script tree site map with its
// pictures and scripts, and a page with its picture, published to a folder
// and to a real FTP server; a second run sends nothing, also after the
// project was saved and opened again.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ftp_servers.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace {

namespace fs = std::filesystem;
using vellum::test::FtpServer;
using vellum::test::ReadBytes;

class GenerateAndUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // An installation with the shipped pictures and scripts.
    fs::create_directories(dir_.path() / "BIN");
    fs::copy(VELLUM_RESOURCE_FOLDER, dir_.path() / "Resource", fs::copy_options::recursive);
    const std::string program = dir_ / "IDE/bramblel";
    HTMLinitmess(vellum::test::RecordInfo, vellum::test::RecordError, nullptr, 0, 0,
                 program.c_str());
    EngineConfig settings{};
    settings.ExtPage = "*.htm;*.html";
    HTMLputCfg(&settings);
    project_ = HTMLprjClose(0);
    fs::create_directories(dir_.path() / "ftp/www");
    server_ = std::make_unique<FtpServer>(dir_ / "ftp", dir_ / "ftp.log");

    site_ = dir_ / "site";
    fs::create_directories(site_);
    previous_folder_ = fs::current_path().string();
    fs::current_path(site_);  // where the background picture is named from
  }

  void TearDown() override {
    fs::current_path(previous_folder_);
    HTMLprjClose(0);
  }

  void AddTarget(const OutputTarget& target) {
    PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &target};
    HTMLprjPrm(&request);
  }

  void AddFile(const std::string& path) {
    PrmRequest request{VELLUM_PRM_ADD_FILE, 0, path.c_str()};
    HTMLprjPrm(&request);
  }

  // "Generate Site Map And Upload" passes these, with every target selected.
  std::string Upload() {
    vellum::test::Messages() = {};
    const std::vector<uint8_t> selection(256, 1);
    const UploadRequest request{VELLUM_UPLOAD_RESOURCES | VELLUM_UPLOAD_SKIP_UNCHANGED, 0,
                                selection.data(), 0};
    EXPECT_EQ(HTMLprjUpload(&request), 0);
    std::string joined;
    for (const std::string& text : vellum::test::Messages().info) joined += text;
    return joined;
  }

  int Stored() const {
    const std::vector<std::string> commands = server_->Commands();
    return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                          [](const auto& c) { return c.starts_with("STOR "); }));
  }

  vellum::test::ScratchDir dir_;
  std::unique_ptr<FtpServer> server_;
  std::string site_;
  Project* project_ = nullptr;

 private:
  std::string previous_folder_;
};

TEST_F(GenerateAndUploadTest, PublishesTheSiteMapWithItsFilesAndThenNothingMore) {
  dir_.Write("site/paper.gif", "GIF89a paper");
  const std::string pictures = dir_.Write("site/pictures.htm", "<IMG SRC=\"img/photo.jpg\">\r\n");
  dir_.Write("site/img/photo.jpg", "JFIF photo");

  // The site map, written by absolute path with its pictures in img/ and
  // its scripts beside it.
  MapItem items[2] = {};
  items[0].URL = "pictures.htm";
  items[0].Name = "Pictures";
  items[1].URL = "more.htm";
  items[1].Name = "More";
  MapItem child{};
  child.URL = "pictures.htm#top";
  child.Name = "Top";
  items[1].Children = MapItemList{1, &child};
  MapItemList tree{2, items};
  const std::string page = site_ + "/sitemap.html";
  SiteMapParams params{};
  params.Settings.OutputType = VELLUM_OUTPUT_SCRIPT_TREE;
  params.Settings.OutputFile = page.c_str();
  params.Settings.ImageFolder = "img";
  params.Settings.BackgroundImage = "paper.gif";
  params.Items = &tree;
  ASSERT_NE(HTMLGSiteMap(&params, 0), 0);
  AddFile(pictures);
  ASSERT_EQ(project_->AddedCount, 6);

  const std::string pub = dir_ / "pub";
  OutputTarget folder{};
  folder.Folder = pub.c_str();
  AddTarget(folder);
  const std::string server = "127.0.0.1:" + std::to_string(server_->port());
  OutputTarget ftp{};
  ftp.Server = server.c_str();
  ftp.Login = FtpServer::kUser;
  ftp.Password = FtpServer::kPassword;
  ftp.Folder = "/www";
  ftp.Flags = VELLUM_TARGET_FTP | VELLUM_TARGET_PASSIVE;
  AddTarget(ftp);

  // The registered page, the pictures it shows, the pictures and scripts
  // generation registered for the scripts, the other page and its picture.
  const std::vector<std::string> files = {"sitemap.html",   "img/paper.gif",  "img/iicon0.gif",
                                          "img/iicon3.gif", "img/iicon2.gif", "img/iicon1.gif",
                                          "img/iicon4.gif", "tree0.js",       "tree4.js",
                                          "pictures.htm",   "img/photo.jpg"};
  std::string sent;
  for (const std::string& file : files)
    sent += "   '" + site_ + "/" + file + "' - Upload successful\n";
  EXPECT_EQ(Upload(), sent + sent);
  EXPECT_TRUE(vellum::test::Messages().errors.empty());
  for (const std::string& root : {pub, dir_ / "ftp/www"}) {
    for (const std::string& file : files) {
      ASSERT_FALSE(ReadBytes(site_ + "/" + file).empty()) << file;
      EXPECT_EQ(ReadBytes(root + "/" + file), ReadBytes(site_ + "/" + file)) << root << " " << file;
    }
  }
  EXPECT_EQ(Stored(), 11);
  EXPECT_EQ(project_->Targets[1].UploadedCount, 11);

  EXPECT_EQ(Upload(), "");
  EXPECT_TRUE(vellum::test::Messages().errors.empty());
  EXPECT_EQ(Stored(), 11);

  const std::string project_file = dir_ / "site.bpj";
  ASSERT_EQ(HTMLprjSave(project_file.c_str()), project_);
  HTMLprjClose(0);
  ASSERT_EQ(HTMLprjOpen(project_file.c_str()), project_);
  ASSERT_EQ(project_->TargetCount, 2);
  EXPECT_EQ(project_->Targets[0].UploadedCount, 11);
  EXPECT_STREQ(project_->Targets[1].UploadedFiles[1].Path, (site_ + "/img/paper.gif").c_str());
  EXPECT_EQ(Upload(), "");
  EXPECT_EQ(Stored(), 11);
}

}  // namespace
