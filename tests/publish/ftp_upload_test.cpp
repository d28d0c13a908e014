// Uploads to a real FTP server (pyftpdlib) on 127.0.0.1, directly and
// through a real FTP proxy (ftp-proxy) as the firewall.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "project/project.h"
#include "publish/upload.h"
#include "support/ftp_servers.h"
#include "upload_fixture.h"
#include "web/http_download.h"

namespace vellum::publish {
namespace {

namespace fs = std::filesystem;
using test::FtpServer;
using test::ReadBytes;

constexpr uint32_t kFtp = VELLUM_TARGET_FTP;
constexpr uint32_t kPassive = VELLUM_TARGET_PASSIVE;
constexpr uint32_t kText = VELLUM_TARGET_TEXT;
constexpr uint32_t kFirewall = VELLUM_TARGET_FIREWALL;

int Count(const std::vector<std::string>& commands, const std::string& prefix) {
  return static_cast<int>(std::count_if(commands.begin(), commands.end(), [&](const auto& command) {
    return command.starts_with(prefix);
  }));
}

class FtpUploadTest : public UploadTest {
 protected:
  void SetUp() override {
    UploadTest::SetUp();
    ftp_root_ = root_ / "ftp";
    fs::create_directories(ftp_root_ + "/www");
    server_ = std::make_unique<FtpServer>(ftp_root_, root_ / "ftp.log");
  }

  std::string Server() const { return "127.0.0.1:" + std::to_string(server_->port()); }

  int AddFtpTarget(const std::string& server, uint32_t flags, const char* folder = "/www",
                   int32_t port = 0, const char* password = FtpServer::kPassword) {
    OutputTarget target{};
    target.Server = server.c_str();
    target.Login = FtpServer::kUser;
    target.Password = password;
    target.Folder = folder;
    target.Port = port;
    target.Flags = flags;
    return AddTarget(target);
  }

  void RegisterSite() {
    Register("map.htm", "<P>map</P>\r\n<P>end</P>\r\n");
    Register("img/logo.gif", "GIF89a\r\n\x01\n");
  }

  std::string ftp_root_;
  std::unique_ptr<FtpServer> server_;
};

TEST_F(FtpUploadTest, PassiveBinaryUploadEntersTheFolderAndMakesSubfolders) {
  RegisterSite();
  AddFtpTarget(Server(), kFtp | kPassive);

  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(ReadBytes(ftp_root_ + "/www/map.htm"), "<P>map</P>\r\n<P>end</P>\r\n");
  EXPECT_EQ(ReadBytes(ftp_root_ + "/www/img/logo.gif"), "GIF89a\r\n\x01\n");
  EXPECT_EQ(Records(), "map.htm 24\nimg/logo.gif 10\n");

  const std::vector<std::string> commands = server_->Commands();
  EXPECT_EQ(Count(commands, "USER "), 1) << "one connection for every file of the target";
  EXPECT_EQ(Count(commands, "MKD img"), 1);
  EXPECT_EQ(Count(commands, "TYPE I"), 1);  // said once for the connection
  EXPECT_EQ(Count(commands, "TYPE A"), 0);
  EXPECT_EQ(Count(commands, "EPSV"), 2);
  EXPECT_EQ(Count(commands, "EPRT"), 0);
  EXPECT_EQ(Count(commands, "QUIT"), 1);
}

TEST_F(FtpUploadTest, ActiveTextUploadSendsLinesAsTheWireWantsThem) {
  RegisterSite();
  // A folder below the login folder: the files go into it, not into a
  // second one of that name below it.
  AddFtpTarget(Server(), kFtp | kText, "www");

  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  const std::vector<std::string> commands = server_->Commands();
  EXPECT_EQ(Count(commands, "TYPE A"), 1);
  EXPECT_EQ(Count(commands, "TYPE I"), 0);
  EXPECT_EQ(Count(commands, "EPRT"), 2);
  EXPECT_EQ(Count(commands, "EPSV"), 0);
  // The stored CR LF line ends cross the wire as CR LF, not doubled, and a
  // lone line feed gets its CR; the server stores lines its own way.
  EXPECT_EQ(server_->StoredBytes(), (std::vector<int>{24, 11}));
  EXPECT_EQ(ReadBytes(ftp_root_ + "/www/map.htm"), "<P>map</P>\n<P>end</P>\n");
  EXPECT_FALSE(fs::exists(ftp_root_ + "/www/www"));
}

TEST_F(FtpUploadTest, APortInTheServerTextGivesWayToTheTargetPort) {
  Register("map.htm", "<P>map</P>");
  const std::string port = std::to_string(server_->port());
  const std::string closed = std::to_string(test::FreePort());
  struct Row {
    std::string server;
    int32_t port;
    bool reached;
  };
  const Row rows[] = {
      {"127.0.0.1:" + port, 0, true},
      {"127.0.0.1:" + closed, server_->port(), true},
      {"127.0.0.1", server_->port(), true},
      {"127.0.0.1:" + port, std::stoi(closed), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.server + " port " + std::to_string(row.port));
    AddFtpTarget(row.server, kFtp | kPassive, "/www", row.port);
    EXPECT_EQ(Upload(0), row.reached ? Sent({"map.htm"}) : "Unable upload 'map.htm'\n");
    EXPECT_EQ(errors(), row.reached ? std::vector<std::string>{}
                                    : std::vector<std::string>{"'" + row.server + "' Bad Upload"});
    EXPECT_EQ(Records(), row.reached ? "map.htm 10\n" : "");
    // The server text keeps its port.
    EXPECT_STREQ(project().Targets[0].Server, row.server.c_str());
    PrmRequest remove{VELLUM_PRM_DELETE_TARGET, 0, nullptr};
    project::ChangeTargets(project(), remove);
  }
}

TEST_F(FtpUploadTest, AFailedConnectionFailsEachFileOnceAndRecordsNothing) {
  RegisterSite();
  project::AddFile(project(), "gone.htm");
  const std::string server = Server();
  struct Row {
    const char* name;
    std::string server;
    uint32_t flags;
    const char* password;
    std::string error;
  };
  const Row rows[] = {
      {"wrong password", server, kFtp, "wrong", "'" + server + "' Bad Upload"},
      {"refused port", "127.0.0.1:" + std::to_string(test::FreePort()), kFtp, "s3cret", ""},
      {"no server name", "", kFtp, "s3cret", "not determined name server"},
      {"no firewall", server, kFtp | kFirewall, "s3cret",
       "in system it is not determined firewall"},
      {"a host that is not one", "127.0.0.1/x:21", kFtp, "s3cret", "'127.0.0.1/x:21' Bad Upload"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    AddFtpTarget(row.server, row.flags, "/www", 0, row.password);
    EXPECT_EQ(Upload(0),
              "Unable upload 'map.htm'\nUnable upload 'img/logo.gif'\n"
              "file 'gone.htm' not found\n");
    EXPECT_EQ(errors(), std::vector<std::string>{
                            row.error.empty() ? "'" + row.server + "' Bad Upload" : row.error});
    EXPECT_EQ(Records(), "");
    PrmRequest remove{VELLUM_PRM_DELETE_TARGET, 0, nullptr};
    project::ChangeTargets(project(), remove);
  }
  EXPECT_EQ(Count(server_->Commands(), "STOR"), 0);
}

TEST_F(FtpUploadTest, ARemoteFolderThatCannotBeEnteredFailsEveryFileSilently) {
  RegisterSite();
  AddFtpTarget(Server(), kFtp | kPassive, "/nowhere");
  EXPECT_EQ(Upload(0), "Unable upload 'map.htm'\nUnable upload 'img/logo.gif'\n");
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(Count(server_->Commands(), "MKD"), 0);
  EXPECT_FALSE(fs::exists(ftp_root_ + "/nowhere"));
}

TEST_F(FtpUploadTest, AnEmptyListStillOpensAndClosesTheConnection) {
  AddFtpTarget(Server(), kFtp | kPassive);
  EXPECT_EQ(Upload(0), "");
  EXPECT_TRUE(errors().empty());
  const std::vector<std::string> commands = server_->Commands();
  EXPECT_EQ(Count(commands, "PASS "), 1);
  EXPECT_EQ(Count(commands, "CWD www"), 1);
  EXPECT_EQ(Count(commands, "QUIT"), 1);
}

TEST_F(FtpUploadTest, TheFirewallLogsInAsUserAtServer) {
  test::FtpProxy proxy;
  RegisterSite();
  EngineConfig& config = config::TheConfig();
  const std::string port = std::to_string(server_->port());

  // The firewall's port from the configuration, the server's from the
  // target.
  config.Firewall = core::CopyText("127.0.0.1");
  config.PortFW = proxy.port();
  AddFtpTarget("127.0.0.1", kFtp | kFirewall | kPassive, "/www", server_->port());
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(ReadBytes(ftp_root_ + "/www/img/logo.gif"), "GIF89a\r\n\x01\n");
  EXPECT_EQ(proxy.Logins(), std::vector<std::string>{"joe@127.0.0.1:" + port});
  std::vector<std::string> commands = proxy.Commands();
  EXPECT_EQ(Count(commands, "PASV"), 2);
  EXPECT_EQ(Count(commands, "PORT"), 0);

  // Both ports in the texts; the firewall's passive setting makes the
  // transfers active.
  config::ReleaseMember(config.Firewall);
  config.Firewall = core::CopyText(("127.0.0.1:" + std::to_string(proxy.port())).c_str());
  config.PortFW = 0;
  config.Passive = 1;
  const std::string server = Server();
  OutputTarget settings = project().Targets[0];
  settings.Server = server.c_str();
  settings.Port = 0;
  PrmRequest modify{VELLUM_PRM_MODIFY_TARGET, 0, &settings};
  project::ChangeTargets(project(), modify);
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  EXPECT_EQ(proxy.Logins(), (std::vector<std::string>{"joe@" + server, "joe@" + server}));
  commands = proxy.Commands();
  EXPECT_EQ(Count(commands, "PORT"), 2);
  EXPECT_EQ(Count(commands, "PASV"), 2);
}

TEST(FtpUploadLimits, AServerThatNeverAnswersCannotHoldTheUpload) {
  // Accepts connections (the kernel does) and never says a word.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
  web::testing::SetDownloadLimits({.connect_seconds = 1, .stall_seconds = 1});

  test::MessageLog& log = test::InstallMessageLog();
  test::ScratchDir dir;
  const std::string page = dir.Write("map.htm", "<P>map</P>");
  project::AddFile(project::TheProject(), page.c_str());
  const std::string server = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  OutputTarget settings{};
  settings.Server = server.c_str();
  settings.Flags = kFtp | kPassive;
  PrmRequest append{VELLUM_PRM_APPEND_TARGET, 0, &settings};
  project::ChangeTargets(project::TheProject(), append);

  const uint8_t selection[] = {1};
  Upload(project::TheProject(), UploadRequest{0, 0, selection, 0});
  EXPECT_EQ(log.errors, std::vector<std::string>{"'" + server + "' Bad Upload"});
  EXPECT_EQ(log.info, std::vector<std::string>{"Unable upload '" + page + "'\n"});
  close(listener);
  project::Close(project::TheProject());
}

}  // namespace
}  // namespace vellum::publish
