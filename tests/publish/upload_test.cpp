// Uploads to folder targets, and the rules that every target shares: where
// a file goes, what is sent, skipped, compressed or rewritten, and what the
// target records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "publish/channel.h"
#include "upload_fixture.h"

namespace vellum::publish {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The report of a file that was not sent for lying elsewhere.
std::string Refused(const std::string& path) {
  return "'" + path + "' lies outside the project's folder: not uploaded";
}

TEST(Destination, JoinsTheFolderAndTheSitePath) {
  const struct {
    const char* folder;
    const char* site_path;
    bool lower_case;
    std::optional<std::string> expected;
  } rows[] = {
      {"D:\\pub", "map.htm", false, "D:/pub/map.htm"},
      {"/pub/", "tree0.js", false, "/pub/tree0.js"},
      {"/pub\\", "img\\a.gif", false, "/pub/img/a.gif"},
      {nullptr, "img/a.gif", false, "img/a.gif"},
      {"", "a.htm", false, "a.htm"},
      // Only the site's part is lower-cased: the target's folder is the user's.
      {"/Pub", "Img/Logo.GIF", true, "/Pub/img/logo.gif"},
      {"/pub", "img/../x.gif", false, "/pub/img/../x.gif"},
      {"/pub", "a..b/..c.gif", false, "/pub/a..b/..c.gif"},
      {"/pub", "../x.gif", false, std::nullopt},
      {"/pub", "..\\x.gif", false, std::nullopt},
      {"/pub", "img/../../x.gif", false, std::nullopt},
      {"/pub", "./../x.gif", false, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DestinationOf(row.folder, row.site_path, row.lower_case), row.expected)
        << (row.folder != nullptr ? row.folder : "(none)") << " + " << row.site_path;
  }
}

// How an FTP target is reached, where the FTP tests' servers cannot tell
// (they see the ports, the firewall's user names and its passive rule).
TEST(Endpoint, TakesTheLoginAndPortsFromTheTargetAndTheFirewall) {
  test::MessageLog& log = test::InstallMessageLog();
  EngineConfig config{};
  config.Firewall = "fw:1080";
  const auto reached = [&](const OutputTarget& target) {  // "user@host:port password"
    const std::optional<FtpEndpoint> at = EndpointOf(target, config);
    return at ? at->user + "@" + at->host + ":" + std::to_string(at->port) + " " + at->password
              : "none";
  };
  // An absent login is anonymous, an empty port the FTP port.
  OutputTarget target{};
  target.Server = "host:";
  target.Password = "";
  target.Flags = VELLUM_TARGET_FTP;
  EXPECT_EQ(reached(target), "anonymous@host:21 ");
  // The configuration's port for the firewall wins over its text's.
  target.Server = "host:2121";
  target.Login = "joe";
  target.Port = 2021;
  target.Flags |= VELLUM_TARGET_FIREWALL;
  config.PortFW = 2121;
  EXPECT_EQ(reached(target), "joe@host:2121:2021@fw:2121 ");
  EXPECT_TRUE(log.errors.empty());
}

constexpr unsigned kResources = VELLUM_UPLOAD_RESOURCES;
constexpr unsigned kLowerCase = VELLUM_UPLOAD_LOWER_CASE;
constexpr unsigned kSkipUnchanged = VELLUM_UPLOAD_SKIP_UNCHANGED;
constexpr unsigned kCompress = VELLUM_UPLOAD_COMPRESS;

TEST_F(UploadTest, FilesGoByNameOrWithTheirFoldersAndNeverOutOfTheTarget) {
  const std::string absolute = root_ / "other/map.htm";
  Register(absolute, "<P>map</P>");
  Register("sub/page.htm", "<P>page</P>");
  root_.Write("site/img/.keep", "");
  Register("../other/outside.gif", "O");
  Register("img/../inside.gif", "I");
  project::AddFile(project(), "gone.htm");
  Register("taken.htm", "T");
  fs::create_directories(pub_ + "/deep/taken.htm");  // a folder where the page should go
  AddFolderTarget(pub_ + "/deep/");
  log_.answer = 1;  // outside.gif may go: only the target's bounds stop it

  EXPECT_EQ(Upload(0), Sent({absolute, "sub/page.htm"}) + "Unable upload '../other/outside.gif'\n" +
                           Sent({"img/../inside.gif"}) +
                           "file 'gone.htm' not found\nUnable upload 'taken.htm'\n"
                           "   'taken.htm' - transfer failed: '" +
                           pub_ + "/deep/taken.htm' cannot be written (Is a directory)\n");
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(ReadBytes(pub_ + "/deep/map.htm"), "<P>map</P>");
  EXPECT_EQ(ReadBytes(pub_ + "/deep/sub/page.htm"), "<P>page</P>");
  EXPECT_EQ(ReadBytes(pub_ + "/deep/inside.gif"), "I");
  EXPECT_FALSE(fs::exists(pub_ + "/other"));
  EXPECT_EQ(Records(), absolute + " 10\nsub/page.htm 11\nimg/../inside.gif 1\n");
}

TEST_F(UploadTest, ResourcesOfPagesKeepTheirPlaceBesideThem) {
  // A page written by absolute path refers to its pictures relatively: they
  // must land where its references look for them, not beside it by name, and
  // so must a file generation registered below its folder (a picture that
  // only its scripts show). What lies above its folder can only go by name.
  const std::string folder = root_ / "other/site/";
  Register(folder + "map.htm",
           "<BODY BACKGROUND=\"img/paper.gif\"><IMG SRC=img/logo.gif><A HREF=doc.pdf>d</A>"
           "<A HREF=sub/next.htm>next</A><IMG SRC=http://far/x.gif><IMG SRC=../up.gif></BODY>");
  Register(folder + "img/icon.gif", "i");
  for (const char* file :
       {"other/site/img/paper.gif", "other/site/img/logo.gif", "other/site/doc.pdf", "other/up.gif",
        "site/sub/img/shared.gif", "site/sub/pics/a.gif"}) {
    const std::string path = root_.Write(file, "x");
    // Written with the page: what else lies in its folder is asked about.
    if (std::string_view(file).starts_with("other/site/")) project::NoteWrittenFile(path.c_str());
  }
  Register("sub/page.htm", "<IMG SRC=img/shared.gif><IMG SRC='pics/a.gif'>");
  AddFolderTarget(pub_);

  // What lies above its folder is outside the project: sent only when the
  // user agrees, and here the answer is no.
  EXPECT_EQ(Upload(kResources),
            Sent({folder + "map.htm", folder + "img/paper.gif", folder + "img/logo.gif",
                  folder + "doc.pdf", folder + "img/icon.gif", "sub/page.htm", "sub/img/shared.gif",
                  "sub/pics/a.gif"}));
  EXPECT_THAT(errors(), ElementsAre(Refused(root_ / "other/up.gif")));
  for (const char* file : {"map.htm", "img/paper.gif", "img/logo.gif", "doc.pdf", "img/icon.gif",
                           "sub/page.htm", "sub/img/shared.gif", "sub/pics/a.gif"}) {
    EXPECT_TRUE(fs::is_regular_file(pub_ + "/" + file)) << file;
  }
  EXPECT_FALSE(fs::exists(pub_ + "/up.gif"));
}

TEST_F(UploadTest, AFileOutsideTheProjectIsSentOnlyWhenTheUserAgrees) {
  // A shared project file may name any file of the disk, directly or
  // through a link inside the project's folder.
  const std::string secret = root_.Write("other/secret.txt", "s");
  fs::create_symlink(secret, site_ + "/link.txt");
  for (const std::string& path : {secret, std::string("link.txt")}) {
    project::AddFile(project(), path.c_str());
  }
  Register("page.htm", "p");
  AddFolderTarget(pub_);
  AddFolderTarget(root_ / "pub2");
  EXPECT_EQ(Upload(0), Sent({"page.htm"}) + Sent({"page.htm"}));
  EXPECT_THAT(errors(), ElementsAre(Refused(secret), Refused("link.txt")));
  EXPECT_EQ(log_.questions.size(), 2u) << "asked once a file, not once a target";
  EXPECT_FALSE(fs::exists(pub_ + "/secret.txt"));

  log_.answer = 1;
  EXPECT_THAT(Upload(0), HasSubstr(Sent({secret})));
  EXPECT_EQ(ReadBytes(pub_ + "/secret.txt"), "s");
}

TEST_F(UploadTest, ALinkInAFolderTargetIsReplacedNotWrittenThrough) {
  const std::string victim = root_.Write("other/victim.txt", "mine");
  fs::create_directories(pub_);
  fs::create_symlink(victim, pub_ + "/page.htm");
  Register("page.htm", "p");
  AddFolderTarget(pub_);
  EXPECT_EQ(Upload(0), Sent({"page.htm"}));
  EXPECT_EQ(ReadBytes(victim), "mine");
  EXPECT_FALSE(fs::is_symlink(pub_ + "/page.htm"));
  EXPECT_EQ(ReadBytes(pub_ + "/page.htm"), "p");
}

// A copy that breaks off (here at the file size limit) leaves the published
// file whole and no part of the new one beside it.
TEST_F(UploadTest, AFileIsPutInPlaceOnlyWhenItArrivedWhole) {
  Register("big.bin", std::string(256 * 1024, 'n'));
  Register("small.htm", "<P>new</P>");
  root_.Write("pub/big.bin", "old");
  AddFolderTarget(pub_);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit previous = limit;
  limit.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);  // EFBIG instead
  const std::string report = Upload(0);
  std::signal(SIGXFSZ, previous_handler);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);

  EXPECT_EQ(report, "Unable upload 'big.bin'\n   'big.bin' - transfer failed: '" + pub_ +
                        "/big.bin' cannot be written (File too large)\n" + Sent({"small.htm"}));
  EXPECT_EQ(ReadBytes(pub_ + "/big.bin"), "old");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(pub_)) left.push_back(entry.path().filename());
  EXPECT_THAT(left, ::testing::UnorderedElementsAre("big.bin", "small.htm"));
  EXPECT_EQ(Records(), "small.htm 10\n");
}

TEST_F(UploadTest, UnchangedFilesAreSkippedWithoutAWordAlsoAfterTheProjectIsReadBack) {
  Register("map.htm", "<P>map</P>");
  Register("img/a.gif", "GIF");
  AddFolderTarget(pub_);
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm", "img/a.gif"}));
  const std::string path = root_ / "site.bpj";
  ASSERT_TRUE(project::Save(project(), path.c_str()));
  project::Close(project());
  ASSERT_TRUE(project::Open(project(), path.c_str()));
  EXPECT_EQ(Records(), "map.htm 10\nimg/a.gif 3\n");

  // The options and records read back leave nothing to send or to save.
  EXPECT_EQ(Upload(kSkipUnchanged), "");
  EXPECT_EQ(project().Modified, 0);

  // The content counts, not its size and time: a page written again within
  // the same second at the same size goes, also after the records were read
  // back.
  const fs::file_time_type written = fs::last_write_time(site_ + "/map.htm");
  root_.Write("site/map.htm", "<P>MAP</P>");
  fs::last_write_time(site_ + "/map.htm", written);
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm"}));
  EXPECT_EQ(ReadBytes(pub_ + "/map.htm"), "<P>MAP</P>");
  EXPECT_EQ(project().Modified, 1);

  root_.Write("site/map.htm", "<P>a longer map</P>");
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm"}));
  EXPECT_EQ(Records(), "map.htm 19\nimg/a.gif 3\n");
  EXPECT_EQ(project().Modified, 1);
  // Without the option everything goes again; records that stay as they
  // were leave the project unmodified.
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/a.gif"}));
  project().Modified = 0;
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/a.gif"}));
  EXPECT_EQ(project().Modified, 0);
}

TEST_F(UploadTest, RecordsAreFoundWithoutRegardToCaseAndKeepTheirPlace) {
  Register("map.htm", "<P>map</P>");
  AddFolderTarget(pub_);
  OutputTarget& target = project().Targets[0];
  core::FileStamp stamp;
  ASSERT_TRUE(core::ReadFileStamp("map.htm", stamp));
  project::RecordUpload(project(), target, "other.htm", stamp);
  project::RecordUpload(project(), target, "MAP.HTM", stamp);
  EXPECT_EQ(Upload(kSkipUnchanged), "");

  stamp.size = 1;
  project::RecordUpload(project(), target, "MAP.HTM", stamp);
  EXPECT_EQ(Upload(kSkipUnchanged), Sent({"map.htm"}));
  EXPECT_EQ(Records(), "other.htm 10\nMAP.HTM 10\n");
}

TEST_F(UploadTest, SentPagesAreRewrittenButNotTheSite) {
  const std::string page = "<IMG SRC=\"Img/Logo.GIF\"><P>one\r\n   two</P>\r\n";
  Register("Index.HTM", page);
  Register("notes.txt", "a   b\r\n");
  // Links between the pages sent follow their names; a link to a page that
  // is not sent, and a fragment, stay as they are.
  Register("Sub/About.HTM",
           "<A HREF=\"../Index.HTM#Top\">i</A><A HREF=Other.HTM>o</A><IMG SRC=\"Me.GIF\">");
  root_.Write("site/Img/Logo.GIF", "L");
  root_.Write("site/Sub/Me.GIF", "M");
  AddFolderTarget(pub_ + "/Pub");

  // The page's resource references and the names files are sent under go
  // to lower case; the user's folder keeps its own.
  EXPECT_EQ(Upload(kResources | kLowerCase),
            Sent({"Index.HTM", "Img/Logo.GIF", "notes.txt", "Sub/About.HTM", "Sub/Me.GIF"}));
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/index.htm"),
            "<IMG SRC=\"img/logo.gif\"><P>one\r\n   two</P>\r\n");
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/img/logo.gif"), "L");
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/sub/about.htm"),
            "<A HREF=\"../index.htm#Top\">i</A><A HREF=Other.HTM>o</A><IMG SRC=\"me.gif\">");
  project::RemoveFile(project(), "Sub/About.HTM");
  // Pages go compressed as well, other files as they are.
  constexpr unsigned kUploadDefaults = 0xFEFFD;
  EXPECT_EQ(Upload(kCompress | kLowerCase, kUploadDefaults),
            "Compress Page\n   Index.HTM: Original size (42), compresed size (39), Deflating (7%), "
            "done.\n" +
                Sent({"Index.HTM", "notes.txt"}));
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/index.htm"), "<IMG SRC=\"img/logo.gif\"><P>one two</P>\r\n");
  EXPECT_EQ(ReadBytes(pub_ + "/Pub/notes.txt"), "a   b\r\n");
  EXPECT_EQ(project().CompessProperties, kUploadDefaults);
  // The site keeps its names and bytes, and the records are of them.
  EXPECT_EQ(ReadBytes(site_ + "/Index.HTM"), page);
  EXPECT_TRUE(fs::is_empty(temp_.path()));
  EXPECT_EQ(Records(),
            "Index.HTM 44\nImg/Logo.GIF 1\nnotes.txt 7\nSub/About.HTM 73\nSub/Me.GIF 1\n");
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

}  // namespace
}  // namespace vellum::publish
