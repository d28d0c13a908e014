// Uploads to a real FTP server (pyftpdlib) on 127.0.0.1, directly and
// through a real FTP proxy (ftp-proxy) as the firewall.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
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

using test::FtpServer;
using test::ReadBytes;
using ::testing::StartsWith;

constexpr uint32_t kFtp = VELLUM_TARGET_FTP;
constexpr uint32_t kPassive = VELLUM_TARGET_PASSIVE;
constexpr uint32_t kFirewall = VELLUM_TARGET_FIREWALL;

// How often each command of interest came after the first seen ones, as
// "USER 1, EPSV 2"; seen moves on to the end.
std::string Tally(const std::vector<std::string>& commands, std::size_t& seen) {
  std::string tally;
  for (const char* name :
       {"USER", "MKD", "TYPE A", "TYPE I", "EPSV", "EPRT", "PASV", "PORT", "RNTO", "QUIT"}) {
    int count = 0;
    for (std::size_t i = seen; i < commands.size(); ++i) count += commands[i].starts_with(name);
    if (count > 0)
      tally.append(tally.empty() ? "" : ", ")
          .append(name)
          .append(" ")
          .append(std::to_string(count));
  }
  seen = commands.size();
  return tally;
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

  const std::string www_ = Made(root_ / "ftp/www");  // the server's "/www"
  FtpServer server_{root_ / "ftp", root_ / "ftp.log"};
};

// One upload to one FTP target, removed afterwards: either every file
// arrives over one connection, or each fails once with at most one error and
// nothing is recorded.
struct Attempt {
  std::string server;
  int32_t port = 0;
  uint32_t flags = kFtp | kPassive;
  const char* folder = "/www";
  const char* password = FtpServer::kPassword;
  std::string error = {};
  const char* reason = nullptr;  // what follows the error: "server reply: 530" ...
  bool arrives = false;
  const char* tally = nullptr;   // the commands the server saw, when given
  const char* stored = nullptr;  // the page as the server stored it, when given
};

TEST_F(FtpUploadTest, ReachesTheServerOrFailsEachFileOnce) {
  Register("map.htm", "<P>map</P>\r\n<P>end</P>\r\n");
  Register("img/My logo.gif", "GIF89a\r\n\x01\n");  // its name escaped in the URL
  project::AddFile(project(), "gone.htm");
  const std::string server = Server();
  const int port = server_.port();
  const std::string closed = "127.0.0.1:" + std::to_string(test::FreePort());
  const auto bad = [](const std::string& server) { return "'" + server + "' Bad Upload"; };
  std::size_t seen = 0;
  const auto upload = [&](const Attempt& row) {
    SCOPED_TRACE(row.server + " port " + std::to_string(row.port));
    AddFtpTarget(row.server, row.flags, row.folder, row.port, row.password);
    std::string report = Upload(0);
    if (row.reason != nullptr) {
      // The server's reply or the reason no connection came about, named
      // as a file's is.
      const std::size_t end = report.find('\n') + 1;
      EXPECT_THAT(report.substr(0, end), StartsWith("   '" + row.server + "' - " + row.reason));
      report.erase(0, end);
    }
    EXPECT_EQ(report, (row.arrives ? Sent({"map.htm", "img/My logo.gif"})
                                   : "Unable upload 'map.htm'\nUnable upload 'img/My logo.gif'\n") +
                          "file 'gone.htm' not found\n");
    EXPECT_EQ(errors(),
              row.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.error});
    EXPECT_EQ(Records(), row.arrives ? "map.htm 24\nimg/My logo.gif 10\n" : "");
    const std::string tally = Tally(server_.Commands(), seen);
    if (row.tally != nullptr) {
      EXPECT_EQ(tally, row.tally);
    }
    if (row.stored != nullptr) {
      EXPECT_EQ(ReadBytes(www_ + "/map.htm"), row.stored);
    }
    // The server text keeps its port.
    EXPECT_STREQ(project().Targets[0].Server, row.server.empty() ? nullptr : row.server.c_str());
    RemoveFirstTarget();
  };
  for (const Attempt& row :
       {// Text, active, into a folder below the login folder (not into a
        // second one of that name below it). The stored CR LF line ends
        // cross the wire as CR LF, not doubled, and a lone line feed gets
        // its CR; the server stores lines its own way.
        Attempt{.server = server,
        .flags = kFtp | VELLUM_TARGET_TEXT,
        .folder = "www",
        .arrives = true,
        .tally = "USER 1, MKD 1, TYPE A 1, EPRT 2, RNTO 2, QUIT 1",
        .stored = "<P>map</P>\n<P>end</P>\n"},
        Attempt{.server = server,
        .arrives = true,
        .tally = "USER 1, TYPE I 1, EPSV 2, RNTO 2, QUIT 1",
        .stored = "<P>map</P>\r\n<P>end</P>\r\n"},
        // A port in the server text gives way to the target's.
        Attempt{.server = closed, .port = port, .arrives = true},
        Attempt{.server = closed, .error = bad(closed), .reason = "transfer failed: "},
        Attempt{.server = server,
        .password = "wrong",
        .error = bad(server),
        .reason = "server reply: 530 Authentication failed."},
        Attempt{.server = "", .error = "not determined name server"},
        Attempt{.server = server,
        .flags = kFtp | kFirewall,
        .error = "in system it is not determined firewall"},
        Attempt{.server = "127.0.0.1/x:21", .error = bad("127.0.0.1/x:21")},
        // A remote folder that cannot be entered fails silently.
        Attempt{.server = server, .folder = "/nowhere", .tally = "USER 1, QUIT 1"}}) {
    upload(row);
  }
  EXPECT_EQ(server_.StoredBytes(), (std::vector<int>{24, 11, 24, 10, 24, 10}));
  EXPECT_FALSE(std::filesystem::exists(www_ + "/www"));

  // A server that accepts connections (the kernel does) and never says a
  // word cannot hold the upload.
  int silent_port = 0;
  const int listener = test::ListenOnLoopback(silent_port);
  web::testing::SetDownloadLimits({.connect_seconds = 1, .stall_seconds = 1});
  const std::string silent = "127.0.0.1:" + std::to_string(silent_port);
  upload({.server = silent, .error = bad(silent), .reason = "transfer failed: "});
  close(listener);
}

// A file the server refuses fails with the server's reply on a line of its
// own after the usual one; the files around it still arrive and are
// recorded.
TEST_F(FtpUploadTest, ARefusedFileGivesTheServersReply) {
  Register("map.htm", "<P>map</P>");
  Register("taken.htm", "<P>taken</P>");
  Register("end.htm", "<P>end</P>");
  std::filesystem::create_directories(www_ + "/taken.htm");  // where the file would go
  AddFtpTarget(Server(), kFtp | kPassive);
  EXPECT_EQ(Upload(0), Sent({"map.htm"}) + "Unable upload 'taken.htm'\n" +
                           "   'taken.htm' - server reply: 550 Is a directory.\n" +
                           Sent({"end.htm"}));
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(Records(), "map.htm 10\nend.htm 10\n");
  EXPECT_EQ(LastUploadCounts().failed, 1);
  // Each file went under a name of its own and was renamed into place; the
  // one the server would not put in place is gone from there too.
  const std::vector<std::string> commands = server_.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "RNTO map.htm"), 1);
  EXPECT_FALSE(std::filesystem::exists(www_ + "/.taken.htm.part"));
}

TEST_F(FtpUploadTest, TheFirewallLogsInAsUserAtServer) {
  test::FtpProxy proxy;
  Register("img/logo.gif", "GIF89a\r\n\x01\n");
  EngineConfig& config = config::TheConfig();
  std::size_t seen = 0;

  // The firewall's port from the configuration, the server's from the
  // target.
  config.Firewall = core::CopyText("127.0.0.1");
  config.PortFW = proxy.port();
  AddFtpTarget("127.0.0.1", kFtp | kFirewall | kPassive, "/www", server_.port());
  EXPECT_EQ(Upload(0), Sent({"img/logo.gif"}));
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(ReadBytes(www_ + "/img/logo.gif"), "GIF89a\r\n\x01\n");
  EXPECT_EQ(Tally(proxy.Commands(), seen), "MKD 1, TYPE I 1, PASV 1, RNTO 1, QUIT 1");

  // Both ports in the texts; the firewall's passive setting makes the
  // transfers active.
  config::ReleaseMember(config.Firewall);
  config.Firewall = core::CopyText(("127.0.0.1:" + std::to_string(proxy.port())).c_str());
  config.PortFW = 0;
  config.Passive = 1;
  RemoveFirstTarget();
  AddFtpTarget(Server(), kFtp | kFirewall | kPassive);
  EXPECT_EQ(Upload(0), Sent({"img/logo.gif"}));
  EXPECT_EQ(proxy.Logins(), std::vector<std::string>(2, "joe@" + Server()));
  EXPECT_EQ(Tally(proxy.Commands(), seen), "TYPE I 1, PORT 1, RNTO 1, QUIT 1");
}

}  // namespace
}  // namespace vellum::publish
