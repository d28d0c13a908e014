// Uploads to folder targets, and the rules that every target shares: where
// a file goes, what is sent, skipped, compressed or rewritten, and what the
// target records.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "project/project.h"
#include "publish/channel.h"
#include "publish/upload.h"
#include "scan/compress.h"
#include "support/scratch_dir.h"
#include "upload_fixture.h"

namespace vellum::publish {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

// ---------------------------------------------------------------------------
// Where a file goes.

struct DestinationRow {
  const char* folder;
  const char* site_path;
  bool lower_case;
  std::optional<std::string> expected;
};

TEST(Destination, JoinsTheFolderAndTheSitePath) {
  const DestinationRow rows[] = {
      {"D:\\pub", "map.htm", false, "D:/pub/map.htm"},
      {"/pub/", "tree0.js", false, "/pub/tree0.js"},
      {"/pub\\", "img\\a.gif", false, "/pub/img/a.gif"},
      {nullptr, "img/a.gif", false, "img/a.gif"},
      {"", "a.htm", false, "a.htm"},
      // Only the site's part is lower-cased: the target's folder is the
      // user's, and its letter case tells it apart here.
      {"/Pub", "Img/Logo.GIF", true, "/Pub/img/logo.gif"},
      {"/pub", "img/../x.gif", false, "/pub/img/../x.gif"},
      {"/pub", "a..b/..c.gif", false, "/pub/a..b/..c.gif"},
      {"/pub", "../x.gif", false, std::nullopt},
      {"/pub", "..\\x.gif", false, std::nullopt},
      {"/pub", "img/../../x.gif", false, std::nullopt},
      {"/pub", "./../x.gif", false, std::nullopt},
  };
  for (const DestinationRow& row : rows) {
    EXPECT_EQ(DestinationOf(row.folder, row.site_path, row.lower_case), row.expected)
        << (row.folder != nullptr ? row.folder : "(none)") << " + " << row.site_path;
  }
}

// ---------------------------------------------------------------------------
// How an FTP target is reached.

struct EndpointRow {
  const char* name;
  const char* server;
  int32_t port;
  const char* login;
  const char* password;
  uint32_t flags;
  const char* firewall;
  int32_t port_fw;
  int32_t firewall_passive;
  // Expected: host, port, user, password, passive; or the error.
  const char* host;
  long expected_port;
  const char* user;
  const char* expected_password;
  bool passive;
  const char* error;
};

constexpr uint32_t kFtp = VELLUM_TARGET_FTP;
constexpr uint32_t kPassive = VELLUM_TARGET_PASSIVE;
constexpr uint32_t kFirewall = VELLUM_TARGET_FIREWALL;

TEST(Endpoint, FollowsThePortAndFirewallRules) {
  const EndpointRow rows[] = {
      {"port from the server text", "host:2121", 0, "joe", "pw", kFtp | kPassive, nullptr, 0, 0,
       "host", 2121, "joe", "pw", true, nullptr},
      {"target port wins", "host:2121", 21, "joe", "pw", kFtp, nullptr, 0, 0, "host", 21, "joe",
       "pw", false, nullptr},
      {"default port", "host", 0, "joe", "pw", kFtp, nullptr, 0, 0, "host", 21, "joe", "pw", false,
       nullptr},
      {"empty port", "host:", 0, "joe", "pw", kFtp, nullptr, 0, 0, "host", 21, "joe", "pw", false,
       nullptr},
      {"anonymous", "host", 0, nullptr, "", kFtp, nullptr, 0, 0, "host", 21, "anonymous", "", false,
       nullptr},
      {"firewall with its port", "host:2121", 0, "joe", "pw", kFtp | kFirewall, "fw:1080", 0, 0,
       "fw", 1080, "joe@host:2121", "pw", false, nullptr},
      {"firewall port and target port", "host", 2021, "joe", "pw", kFtp | kFirewall, "fw:1080",
       2121, 0, "fw", 2121, "joe@host:2021", "pw", false, nullptr},
      {"firewall keeps the target passive", "host", 0, "joe", "pw", kFtp | kFirewall | kPassive,
       "fw", 0, 0, "fw", 21, "joe@host", "pw", true, nullptr},
      {"firewall set passive means active", "host", 0, "joe", "pw", kFtp | kFirewall | kPassive,
       "fw", 0, 1, "fw", 21, "joe@host", "pw", false, nullptr},
      {"no server", nullptr, 0, "joe", "pw", kFtp, nullptr, 0, 0, nullptr, 0, nullptr, nullptr,
       false, "not determined name server"},
      {"no firewall", "host", 0, "joe", "pw", kFtp | kFirewall, nullptr, 1080, 0, nullptr, 0,
       nullptr, nullptr, false, "in system it is not determined firewall"},
  };
  for (const EndpointRow& row : rows) {
    SCOPED_TRACE(row.name);
    test::MessageLog& log = test::InstallMessageLog();
    OutputTarget target{};
    target.Server = row.server;
    target.Port = row.port;
    target.Login = row.login;
    target.Password = row.password;
    target.Flags = row.flags;
    EngineConfig config{};
    config.Firewall = row.firewall;
    config.PortFW = row.port_fw;
    config.Passive = row.firewall_passive;

    const std::optional<FtpEndpoint> endpoint = EndpointOf(target, config);
    if (row.error != nullptr) {
      EXPECT_FALSE(endpoint);
      EXPECT_EQ(log.errors, std::vector<std::string>{row.error});
      continue;
    }
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(endpoint->host, row.host);
    EXPECT_EQ(endpoint->port, row.expected_port);
    EXPECT_EQ(endpoint->user, row.user);
    EXPECT_EQ(endpoint->password, row.expected_password);
    EXPECT_EQ(endpoint->passive, row.passive);
    EXPECT_TRUE(log.errors.empty());
  }
}

// ---------------------------------------------------------------------------
// Uploads to folders.

constexpr unsigned kResources = VELLUM_UPLOAD_RESOURCES;
constexpr unsigned kLowerCase = VELLUM_UPLOAD_LOWER_CASE;
constexpr unsigned kSkipUnchanged = VELLUM_UPLOAD_SKIP_UNCHANGED;
constexpr unsigned kCompress = VELLUM_UPLOAD_COMPRESS;

TEST_F(UploadTest, AbsoluteRegistrationsGoByNameAndRelativeOnesWithTheirFolders) {
  const std::string absolute = root_ / "other/map.htm";
  Register(absolute, "<P>map</P>");
  Register("tree0.js", "var tree;");
  Register("sub/page.htm", "<P>page</P>");
  AddFolderTarget(pub_ + "/");

  EXPECT_EQ(Upload(0), Sent({absolute, "tree0.js", "sub/page.htm"}));
  EXPECT_EQ(ReadBytes(pub_ + "/map.htm"), "<P>map</P>");
  EXPECT_EQ(ReadBytes(pub_ + "/tree0.js"), "var tree;");
  EXPECT_EQ(ReadBytes(pub_ + "/sub/page.htm"), "<P>page</P>");
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(Records(), absolute + " 10\ntree0.js 9\nsub/page.htm 11\n");
}

TEST_F(UploadTest, ResourcesOfPagesKeepTheirPlaceBesideThem) {
  // A page written by absolute path refers to its pictures relatively: they
  // must land where its references look for them, not beside it by name.
  // What lies above its folder can only go by name.
  const std::string folder = root_ / "other/site/";
  Register(folder + "map.htm",
           "<BODY BACKGROUND=\"img/paper.gif\"><IMG SRC=img/logo.gif><A HREF=doc.pdf>d</A>"
           "<A HREF=sub/next.htm>next</A><IMG SRC=http://far/x.gif><IMG SRC=../up.gif></BODY>");
  root_.Write("other/site/img/paper.gif", "P");
  root_.Write("other/site/img/logo.gif", "L");
  root_.Write("other/site/doc.pdf", "D");
  root_.Write("other/up.gif", "U");
  Register("sub/page.htm", "<IMG SRC=img/shared.gif><IMG SRC='pics/a.gif'>");
  root_.Write("site/sub/img/shared.gif", "S");
  root_.Write("site/sub/pics/a.gif", "A");
  AddFolderTarget(pub_);

  EXPECT_EQ(Upload(kResources),
            Sent({folder + "map.htm", folder + "img/paper.gif", folder + "img/logo.gif",
                  folder + "doc.pdf", root_ / "other/up.gif", "sub/page.htm", "sub/img/shared.gif",
                  "sub/pics/a.gif"}));
  for (const char* file : {"map.htm", "img/paper.gif", "img/logo.gif", "doc.pdf", "up.gif",
                           "sub/page.htm", "sub/img/shared.gif", "sub/pics/a.gif"}) {
    EXPECT_TRUE(fs::is_regular_file(pub_ + "/" + file)) << file;
  }
}

TEST_F(UploadTest, APathThatClimbsOutOfTheTargetIsRefused) {
  root_.Write("site/img/.keep", "");
  Register("../other/outside.gif", "O");
  Register("img/../../other/outside.gif", "O");
  Register("img/../inside.gif", "I");
  AddFolderTarget(pub_ + "/deep");

  EXPECT_EQ(Upload(0),
            "Unable upload '../other/outside.gif'\n"
            "Unable upload 'img/../../other/outside.gif'\n" +
                Sent({"img/../inside.gif"}));
  EXPECT_FALSE(fs::exists(pub_ + "/other"));
  EXPECT_EQ(ReadBytes(pub_ + "/deep/inside.gif"), "I");
  EXPECT_EQ(Records(), "img/../inside.gif 1\n");
}

TEST_F(UploadTest, ASecondUploadSkipsUnchangedFilesWithoutAWord) {
  Register("map.htm", "<P>map</P>");
  Register("img/a.gif", "GIF");
  AddFolderTarget(pub_);
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm", "img/a.gif"}));
  project().Modified = 0;

  EXPECT_EQ(Upload(kSkipUnchanged), "");
  EXPECT_EQ(project().Modified, 0);

  root_.Write("site/map.htm", "<P>a longer map</P>");
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm"}));
  EXPECT_EQ(Records(), "map.htm 19\nimg/a.gif 3\n");
  EXPECT_EQ(project().Modified, 1);

  // Without the option everything goes again.
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/a.gif"}));
}

TEST_F(UploadTest, LowerCaseRewritesTheSentPageAndItsNamesButNotTheSite) {
  const std::string page = "<IMG SRC=\"Img/Logo.GIF\"><A HREF=Other.HTM>o</A>\r\n";
  Register("Index.HTM", page);
  root_.Write("site/Img/Logo.GIF", "L");
  AddFolderTarget(pub_ + "/Pub");

  EXPECT_EQ(Upload(kResources | kLowerCase), Sent({"Index.HTM", "Img/Logo.GIF"}));
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/index.htm"),
            "<IMG SRC=\"img/logo.gif\"><A HREF=Other.HTM>o</A>\r\n");
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/img/logo.gif"), "L");
  // The site keeps its own names, which its files still have.
  EXPECT_EQ(ReadBytes(site_ + "/Index.HTM"), page);
  EXPECT_TRUE(fs::is_empty(temp_.path()));
  EXPECT_EQ(Records(), "Index.HTM " + std::to_string(page.size()) + "\nImg/Logo.GIF 1\n");
}

TEST_F(UploadTest, PagesAreSentCompressedAndOtherFilesAsTheyAre) {
  Register("map.htm", "<P>one\r\n   two</P>\r\n");
  Register("notes.txt", "a   b\r\n");
  AddFolderTarget(pub_);
  constexpr unsigned kUploadDefaults = 0xFEFFD;

  EXPECT_EQ(Upload(kCompress | kLowerCase, kUploadDefaults),
            "Compress Page\n   map.htm: Original size (18), compresed size (15), Deflating (16%), "
            "done.\n" +
                Sent({"map.htm", "notes.txt"}));
  EXPECT_EQ(ReadBytes(pub_ + "/map.htm"), "<P>one two</P>\r\n");
  EXPECT_EQ(ReadBytes(pub_ + "/notes.txt"), "a   b\r\n");
  EXPECT_EQ(ReadBytes(site_ + "/map.htm"), "<P>one\r\n   two</P>\r\n");
  EXPECT_TRUE(fs::is_empty(temp_.path()));
  // The record is of the page itself, not of its compressed copy.
  EXPECT_EQ(Records(), "map.htm 20\nnotes.txt 7\n");
  EXPECT_EQ(project().CompessProperties, kUploadDefaults);
  EXPECT_EQ(project().UploadProperties, kCompress | kLowerCase);
}

TEST_F(UploadTest, AMissingOrUnwritableFileIsReportedAndNotRecorded) {
  Register("map.htm", "<P>map</P>");
  project::AddFile(project(), "gone.htm");
  fs::create_directories(pub_ + "/map.htm");  // a folder where the page should go
  AddFolderTarget(pub_);

  EXPECT_EQ(Upload(0), "Unable upload 'map.htm'\nfile 'gone.htm' not found\n");
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(Records(), "");
}

TEST_F(UploadTest, OnlySelectedTargetsAreServed) {
  Register("map.htm", "<P>map</P>");
  AddFolderTarget(pub_ + "/a");
  AddFolderTarget(pub_ + "/b");
  project().Modified = 0;

  const uint8_t second_only[] = {0, 1};
  publish::Upload(project(), UploadRequest{kSkipUnchanged, 0, second_only, 1});
  EXPECT_FALSE(fs::exists(pub_ + "/a"));
  EXPECT_TRUE(fs::exists(pub_ + "/b/map.htm"));
  EXPECT_EQ(project().Targets[0].Flags & VELLUM_TARGET_SELECTED, 0u);
  EXPECT_EQ(project().Targets[1].Flags & VELLUM_TARGET_SELECTED, VELLUM_TARGET_SELECTED);
  EXPECT_EQ(project().UploadProperties, kSkipUnchanged);
  EXPECT_EQ(project().Modified, 1);

  // Nothing selected: silently nothing, or refused when a target is required.
  const uint8_t none[] = {0, 0};
  publish::Upload(project(), UploadRequest{0, 0, none, 0});
  EXPECT_TRUE(errors().empty());
  publish::Upload(project(), UploadRequest{0, 0, none, 1});
  EXPECT_EQ(errors(), std::vector<std::string>{"Not determined(Not selected) any output target."});
  EXPECT_EQ(project().Targets[1].Flags & VELLUM_TARGET_SELECTED, 0u);
}

TEST_F(UploadTest, RecordsAreSavedAndReadBack) {
  Register("map.htm", "<P>map</P>");
  Register("img/a.gif", "GIF");
  AddFolderTarget(pub_);
  Upload(kSkipUnchanged);
  core::FileStamp stamp;
  ASSERT_TRUE(core::ReadFileStamp("map.htm", stamp));

  const std::string path = root_ / "site.bpj";
  ASSERT_TRUE(project::Save(project(), path.c_str()));
  project::Close(project());
  ASSERT_TRUE(project::Open(project(), path.c_str()));
  ASSERT_EQ(project().TargetCount, 1);
  EXPECT_EQ(Records(), "map.htm 10\nimg/a.gif 3\n");
  const UploadedFile& record = project().Targets[0].UploadedFiles[0];
  EXPECT_TRUE(project::SameStamp(record, stamp));
  EXPECT_EQ(project().UploadProperties, kSkipUnchanged);

  // The records read back still tell the files apart from changed ones.
  EXPECT_EQ(Upload(kSkipUnchanged), "");
}

TEST_F(UploadTest, RecordsOfManyFilesAreFoundWithoutChangingTheirOrder) {
  // Records compared without regard to case: a file recorded as MAP.HTM is
  // the same as map.htm.
  Register("map.htm", "<P>map</P>");
  const int target = AddFolderTarget(pub_);
  core::FileStamp stamp;
  ASSERT_TRUE(core::ReadFileStamp("map.htm", stamp));
  for (int i = 0; i < 2000; ++i) {
    const std::string name = "page" + std::to_string(i) + ".htm";
    project::RecordUpload(project(), project().Targets[target], name.c_str(), stamp);
  }
  project::RecordUpload(project(), project().Targets[target], "MAP.HTM", stamp);

  EXPECT_EQ(Upload(kSkipUnchanged), "");
  stamp.size = 1;
  project::RecordUpload(project(), project().Targets[target], "MAP.HTM", stamp);
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm"}));
  EXPECT_EQ(project().Targets[target].UploadedCount, 2001);
  EXPECT_STREQ(project().Targets[target].UploadedFiles[2000].Path, "MAP.HTM");
  EXPECT_EQ(project().Targets[target].UploadedFiles[2000].Size, 10);
}

}  // namespace
}  // namespace vellum::publish
