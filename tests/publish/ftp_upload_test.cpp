// Uploads to a real FTP server (pyftpdlib) on 127.0.0.1, directly and
// through a real FTP proxy (ftp-proxy) as the firewall.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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
constexpr uint32_t kFirewall = VELLUM_TARGET_FIREWALL;

int Count(const std::vector<std::string>& commands, const std::string& prefix) {
  return static_cast<int>(std::count_if(commands.begin(), commands.end(), [&](const auto& command) {
    return command.starts_with(prefix);
  }));
}

class FtpUploadTest : public UploadTest {
 protected:
  std::string Server() const { return "127.0.0.1:" + std::to_string(server_.port()); }

  static void AddFtpTarget(const std::string& server, uint32_t flags, const char* folder = "/www",
                           int32_t port = 0, const char* password = FtpServer::kPassword) {
    OutputTarget target{};
    target.Server = server.c_str();
    target.Login = FtpServer::kUser;
    target.Password = password;
    target.Folder = folder;
    target.Port = port;
    target.Flags = flags;
    AddTarget(target);
  }

  void RegisterSite() {
    Register("map.htm", "<P>map</P>\r\n<P>end</P>\r\n");
    Register("img/logo.gif", "GIF89a\r\n\x01\n");
  }

  const std::string www_ = Made(root_ / "ftp/www");  // the server's "/www"
  FtpServer server_{root_ / "ftp", root_ / "ftp.log"};
};

struct Mode {
  const char* name;
  uint32_t flags;
  const char* folder;
  const char* type;      // said once for the connection
  const char* transfer;  // said for each file
  std::vector<int> wire;
  const char* stored_map;
};

class FtpModeTest : public FtpUploadTest, public ::testing::WithParamInterface<Mode> {};

TEST_P(FtpModeTest, SendsEveryFileOverOneConnectionAndMakesSubfolders) {
  const Mode& mode = GetParam();
  RegisterSite();
  AddFtpTarget(Server(), mode.flags, mode.folder);

  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(server_.StoredBytes(), mode.wire);
  EXPECT_EQ(ReadBytes(www_ + "/map.htm"), mode.stored_map);
  EXPECT_FALSE(fs::exists(www_ + "/www"));
  EXPECT_EQ(Records(), "map.htm 24\nimg/logo.gif 10\n");
  const std::vector<std::string> commands = server_.Commands();
  EXPECT_EQ(Count(commands, "USER "), 1);
  EXPECT_EQ(Count(commands, "MKD img"), 1);
  EXPECT_EQ(Count(commands, "TYPE "), 1);
  EXPECT_EQ(Count(commands, mode.type), 1);
  EXPECT_EQ(Count(commands, "EP"), 2);
  EXPECT_EQ(Count(commands, mode.transfer), 2);
  EXPECT_EQ(Count(commands, "QUIT"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FtpModeTest,
    ::testing::Values(Mode{"PassiveBinary",
                           kFtp | kPassive,
                           "/www",
                           "TYPE I",
                           "EPSV",
                           {24, 10},
                           "<P>map</P>\r\n<P>end</P>\r\n"},
                      // A folder below the login folder: the files go into it, not into a
                      // second one of that name below it. The stored CR LF line ends cross
                      // the wire as CR LF, not doubled, and a lone line feed gets its CR;
                      // the server stores lines its own way.
                      Mode{"ActiveText",
                           kFtp | VELLUM_TARGET_TEXT,
                           "www",
                           "TYPE A",
                           "EPRT",
                           {24, 11},
                           "<P>map</P>\n<P>end</P>\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// One upload of the site to one FTP target, removed afterwards: either every
// file arrives, or each fails once with at most one error and nothing is
// recorded.
struct Attempt {
  std::string server;
  int32_t port = 0;
  bool arrives = false;
  std::string error = {};
  uint32_t flags = kFtp | kPassive;
  const char* folder = "/www";
  const char* password = FtpServer::kPassword;
};

TEST_F(FtpUploadTest, ReachesTheServerOrFailsEachFileOnce) {
  RegisterSite();
  project::AddFile(project(), "gone.htm");
  const std::string server = Server();
  const int port = server_.port();
  const std::string closed = "127.0.0.1:" + std::to_string(test::FreePort());
  const auto bad = [](const std::string& server) { return "'" + server + "' Bad Upload"; };
  const auto upload = [&](const Attempt& row) {
    SCOPED_TRACE(row.server + " port " + std::to_string(row.port));
    AddFtpTarget(row.server, row.flags, row.folder, row.port, row.password);
    EXPECT_EQ(Upload(0), (row.arrives ? Sent({"map.htm", "img/logo.gif"})
                                      : "Unable upload 'map.htm'\nUnable upload 'img/logo.gif'\n") +
                             "file 'gone.htm' not found\n");
    EXPECT_EQ(errors(),
              row.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.error});
    EXPECT_EQ(Records(), row.arrives ? "map.htm 24\nimg/logo.gif 10\n" : "");
    // The server text keeps its port.
    EXPECT_STREQ(project().Targets[0].Server, row.server.empty() ? nullptr : row.server.c_str());
    RemoveFirstTarget();
  };
  // A port in the server text gives way to the target's.
  for (const Attempt& row :
       {Attempt{.server = server, .arrives = true},
        Attempt{.server = closed, .port = port, .arrives = true},
        Attempt{.server = "127.0.0.1", .port = port, .arrives = true},
        Attempt{.server = server, .port = test::FreePort(), .error = bad(server)},
        Attempt{.server = closed, .error = bad(closed)},
        Attempt{.server = server, .error = bad(server), .password = "wrong"},
        Attempt{.server = "", .error = "not determined name server"},
        Attempt{.server = server,
        .error = "in system it is not determined firewall",
        .flags = kFtp | kFirewall},
        Attempt{.server = "127.0.0.1/x:21", .error = bad("127.0.0.1/x:21")},
        // A remote folder that cannot be entered fails silently.
        Attempt{.server = server, .folder = "/nowhere"}}) {
    upload(row);
  }
  EXPECT_FALSE(fs::exists(root_ / "ftp/nowhere"));

  // A server that accepts connections (the kernel does) and never says a
  // word cannot hold the upload.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
  web::testing::SetDownloadLimits({.connect_seconds = 1, .stall_seconds = 1});
  const std::string silent = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  upload({.server = silent, .error = bad(silent)});
  close(listener);
}

TEST_F(FtpUploadTest, TheFirewallLogsInAsUserAtServer) {
  test::FtpProxy proxy;
  RegisterSite();
  EngineConfig& config = config::TheConfig();

  // The firewall's port from the configuration, the server's from the
  // target.
  config.Firewall = core::CopyText("127.0.0.1");
  config.PortFW = proxy.port();
  AddFtpTarget("127.0.0.1", kFtp | kFirewall | kPassive, "/www", server_.port());
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(ReadBytes(www_ + "/img/logo.gif"), "GIF89a\r\n\x01\n");
  EXPECT_EQ(proxy.Logins(), std::vector<std::string>{"joe@" + Server()});
  EXPECT_EQ(Count(proxy.Commands(), "PASV"), 2);
  EXPECT_EQ(Count(proxy.Commands(), "PORT"), 0);

  // Both ports in the texts; the firewall's passive setting makes the
  // transfers active.
  config::ReleaseMember(config.Firewall);
  config.Firewall = core::CopyText(("127.0.0.1:" + std::to_string(proxy.port())).c_str());
  config.PortFW = 0;
  config.Passive = 1;
  RemoveFirstTarget();
  AddFtpTarget(Server(), kFtp | kFirewall | kPassive);
  EXPECT_EQ(Upload(0), Sent({"map.htm", "img/logo.gif"}));
  EXPECT_EQ(proxy.Logins(), std::vector<std::string>(2, "joe@" + Server()));
  EXPECT_EQ(Count(proxy.Commands(), "PORT"), 2);
  EXPECT_EQ(Count(proxy.Commands(), "PASV"), 2);
}

}  // namespace
}  // namespace vellum::publish
