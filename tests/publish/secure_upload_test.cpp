// Uploads to real SFTP (OpenSSH's sshd) and FTPS (pyftpdlib with TLS)
// servers on 127.0.0.1: host keys, certificates, logins, passwords from
// outside the project, and files that are never seen half written.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "publish/credentials.h"
#include "support/ftp_servers.h"
#include "support/secure_servers.h"
#include "upload_fixture.h"

namespace vellum::publish {
namespace {

namespace fs = std::filesystem;
using test::FtpServer;
using test::ReadBytes;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Files left under a temporary name anywhere below folder.
std::vector<std::string> PartFiles(const std::string& folder) {
  std::vector<std::string> parts;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().filename().string().ends_with(".part")) parts.push_back(entry.path());
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += text;
  return joined;
}

// Forwards TCP connections to 127.0.0.1:to, one after the other, and cuts
// both ends of the first once the client has sent limit bytes on it: a
// connection that breaks in the middle of a file, and a line that works
// again afterwards.
class CuttingRelay {
 public:
  CuttingRelay(int to, std::size_t limit) : listener_(test::ListenOnLoopback(port_)) {
    thread_ = std::thread([this, to, limit] {
      for (std::size_t cut_at = limit; Relay(to, cut_at);) cut_at = SIZE_MAX;
    });
  }
  ~CuttingRelay() {
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }
  int port() const { return port_; }

 private:
  // Relays the next connection; false when there is none.
  bool Relay(int to, std::size_t limit) {
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) return false;
    const int server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(to));
    std::size_t sent = 0;
    if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      pollfd ends[] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
      char block[4096];
      while (sent < limit && poll(ends, 2, 10000) > 0) {
        const bool upward = (ends[0].revents & (POLLIN | POLLHUP)) != 0;
        const int from = upward ? client : server;
        const ssize_t got = read(from, block, sizeof block);
        if (got <= 0 || write(upward ? server : client, block, got) != got) break;
        if (upward) sent += got;
      }
    }
    close(server);
    close(client);
    return true;
  }

  int port_ = 0;  // declared before listener_, whose making sets it
  int listener_;
  std::thread thread_;
};

class SecureUploadTest : public UploadTest {
 protected:
  SecureUploadTest() {
    setenv("HOME", home_.c_str(), 1);
    // No desktop session: the keyring is out of reach.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("XDG_RUNTIME_DIR");
    Register("index.html", "<p>home</p>");
    Register("sub/page.html", "<p>page</p>");
  }

  // One server target; security as given.
  static void AddServerTarget(int port, const project::TargetSecurity& security, const char* login,
                              const char* password, const char* folder) {
    const std::string server = "127.0.0.1:" + std::to_string(port);
    OutputTarget target{};
    target.Server = server.c_str();
    target.Login = login;
    target.Password = password;
    target.Folder = folder;
    target.Flags = VELLUM_TARGET_FTP;
    AddTarget(target);
    project::SetSecurity(project(), project().TargetCount - 1, security);
  }

  std::string Home(const std::string& name) const { return home_ + "/" + name; }
  void WriteHome(const std::string& name, const std::string& bytes) const {
    root_.Write("home/" + name, bytes);
  }

  const std::string home_ = Made(root_ / "home");
};

// --- SFTP ------------------------------------------------------------------

class SftpUploadTest : public SecureUploadTest {
 protected:
  void AddSftpTarget(const char* password = nullptr, bool with_key = true, int port = 0) {
    project::TargetSecurity security;
    security.protocol = VELLUM_PROTOCOL_SFTP;
    if (with_key) security.key_file = server_.client_key();
    AddServerTarget(port != 0 ? port : server_.port(), security, nullptr, password,
                    remote_.c_str());
  }

  test::SshServer server_;
  const std::string remote_ = root_ / "sftp/www";  // made by the upload
};

// Each row: what known_hosts holds, the answer to the question about an
// unknown key, how the user logs in, and what comes of it.
struct HostKeyCase {
  const char* name;
  enum { kServerKey, kOtherKey, kNone } known;
  int32_t answer;
  bool with_key;
  const char* password;
  bool arrives;
  const char* error;  // part of the first error; nullptr for none
};

class SftpHostKeyTest : public SftpUploadTest, public ::testing::WithParamInterface<HostKeyCase> {};

TEST_P(SftpHostKeyTest, ChecksTheHostKeyAndTheLogin) {
  const HostKeyCase& row = GetParam();
  if (row.known != HostKeyCase::kNone) {
    WriteHome(".ssh/known_hosts", row.known == HostKeyCase::kServerKey
                                      ? server_.KnownHostsLine()
                                      : server_.OtherKnownHostsLine());
  }
  log_.answer = row.answer;
  AddSftpTarget(row.password, row.with_key);
  Upload(VELLUM_UPLOAD_SKIP_UNCHANGED);

  EXPECT_EQ(LastUploadCounts().sent, row.arrives ? 2 : 0);
  EXPECT_EQ(fs::exists(remote_ + "/sub/page.html"), row.arrives);
  if (row.error == nullptr) {
    EXPECT_THAT(errors(), IsEmpty());
  } else {
    ASSERT_FALSE(errors().empty());
    EXPECT_THAT(errors()[0], HasSubstr(row.error));
  }
  // Only an unknown key is asked about; a yes adds it to known_hosts.
  EXPECT_EQ(log_.questions.size(), row.known == HostKeyCase::kNone ? 1u : 0u);
  if (row.known == HostKeyCase::kNone && row.answer != 0) {
    EXPECT_THAT(ReadBytes(Home(".ssh/known_hosts")), HasSubstr("[127.0.0.1]:"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SftpHostKeyTest,
    ::testing::Values(
        HostKeyCase{"KnownKeyAndKeyFile", HostKeyCase::kServerKey, 0, true, nullptr, true, nullptr},
        HostKeyCase{"UnknownKeyRefused", HostKeyCase::kNone, 0, true, nullptr, false,
                    "is not known (ssh-ed25519 SHA256:"},
        HostKeyCase{"UnknownKeyTrustedOnce", HostKeyCase::kNone, 1, true, nullptr, true, nullptr},
        HostKeyCase{"ChangedKey", HostKeyCase::kOtherKey, 1, true, nullptr, false,
                    "is not the one in ~/.ssh/known_hosts (the server now shows ssh-ed25519 "
                    "SHA256:"},
        HostKeyCase{"WrongPassword", HostKeyCase::kServerKey, 0, false, "wrong", false,
                    "Bad Upload"}),
    [](const auto& info) { return std::string(info.param.name); });

// The file that breaks off leaves the published one whole; the next upload
// sends only it (the pages are unchanged) and replaces the published one.
TEST_F(SftpUploadTest, ConnectionCutInAFileLeavesTheOldOneAndTheNextUploadReplacesIt) {
  const std::string big(4 << 20, 'x');
  Register("big.bin", big);
  root_.Write("sftp/www/big.bin", "old");
  {
    CuttingRelay relay(server_.port(), 1 << 20);
    WriteHome(".ssh/known_hosts", server_.KnownHostsLine() + server_.KnownHostsLine(relay.port()));
    AddSftpTarget(nullptr, true, 0);
    project().Targets[0].Port = relay.port();
    const std::string info = Upload(VELLUM_UPLOAD_SKIP_UNCHANGED);
    EXPECT_EQ(LastUploadCounts().sent, 2) << info << Joined(errors());  // the pages went first
  }
  EXPECT_EQ(ReadBytes(remote_ + "/big.bin"), "old");
  EXPECT_THAT(PartFiles(remote_), IsEmpty());

  project().Targets[0].Port = 0;
  EXPECT_EQ(Upload(VELLUM_UPLOAD_SKIP_UNCHANGED), Sent({"big.bin"}));
  EXPECT_EQ(ReadBytes(remote_ + "/big.bin"), big);
  EXPECT_THAT(PartFiles(remote_), IsEmpty());
}

// --- FTPS ------------------------------------------------------------------

// The password callback answers with the server's password.
int32_t GivePassword(const char* prompt, char* password, int32_t size, int32_t* remember) {
  EXPECT_THAT(prompt, HasSubstr("Password for joe on ftps://127.0.0.1:"));
  std::snprintf(password, size, "%s", FtpServer::kPassword);
  *remember = 0;
  return 1;
}

struct FtpsCase {
  const char* name;
  bool own_ca;  // verify with the server's certificate as the CA file
  int32_t password_from;
  const char* password;  // in the project
  const char* netrc;     // ~/.netrc, when given
  bool answers;          // the password callback gives the password
  bool cut;              // the connection breaks in the middle of a large file
  const char* reason;    // part of why nothing arrives; nullptr when the pages do
};

class FtpsUploadTest : public SecureUploadTest, public ::testing::WithParamInterface<FtpsCase> {
 protected:
  const std::string ftp_root_ = Made(root_ / "ftps");
  const std::string www_ = Made(root_ / "ftps/www");
  test::FtpsServer server_{ftp_root_, true, GetParam().cut ? 1 << 20 : 0};
};

// The first upload sends the pages (a large file after them breaks off
// when the row cuts the connection); the second sends only what did not
// arrive. Nothing is ever left under a temporary name.
TEST_P(FtpsUploadTest, VerifiesTheServerLogsInAndSendsWhatIsMissing) {
  const FtpsCase& row = GetParam();
  const std::string big(4 << 20, 'x');
  if (row.cut) Register("big.bin", big);
  if (row.netrc != nullptr) WriteHome(".netrc", row.netrc);
  if (row.answers) SetPasswordCallback(GivePassword);
  project::TargetSecurity security;
  security.protocol = VELLUM_PROTOCOL_FTPS;
  if (row.own_ca) security.ca_file = server_.certificate();
  security.password_from = row.password_from;
  AddServerTarget(server_.port(), security,
                  row.password_from == VELLUM_PASSWORD_NETRC ? nullptr : FtpServer::kUser,
                  row.password, "/www");
  const std::string info = Upload(VELLUM_UPLOAD_SKIP_UNCHANGED);
  SetPasswordCallback(nullptr);

  EXPECT_EQ(LastUploadCounts().sent, row.reason == nullptr ? 2 : 0) << info << Joined(errors());
  EXPECT_FALSE(fs::exists(www_ + "/big.bin"));
  EXPECT_THAT(PartFiles(ftp_root_), IsEmpty());
  if (row.reason != nullptr) {
    EXPECT_THAT(info + Joined(errors()), HasSubstr(row.reason));
    return;
  }
  EXPECT_EQ(ReadBytes(www_ + "/sub/page.html"), "<p>page</p>");
  EXPECT_EQ(Upload(VELLUM_UPLOAD_SKIP_UNCHANGED), row.cut ? Sent({"big.bin"}) : "");
  EXPECT_EQ(LastUploadCounts().skipped, 2);
  if (row.cut) {
    EXPECT_EQ(ReadBytes(www_ + "/big.bin"), big);
  }
  EXPECT_THAT(PartFiles(ftp_root_), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FtpsUploadTest,
    ::testing::Values(
        FtpsCase{"OwnCa", true, VELLUM_PASSWORD_PROJECT, FtpServer::kPassword, nullptr, false,
                 false, nullptr},
        FtpsCase{"ConnectionCutInAFile", true, VELLUM_PASSWORD_PROJECT, FtpServer::kPassword,
                 nullptr, false, true, nullptr},
        FtpsCase{"CertificateNotVerified", false, VELLUM_PASSWORD_PROJECT, FtpServer::kPassword,
                 nullptr, false, false, "the server's certificate cannot be trusted"},
        FtpsCase{"WrongPassword", true, VELLUM_PASSWORD_PROJECT, "wrong", nullptr, false, false,
                 "server reply: 530"},
        FtpsCase{"Netrc", true, VELLUM_PASSWORD_NETRC, nullptr,
                 "machine example.org login bob password no\n"
                 "machine 127.0.0.1\n  login joe\n  password \"s3cret\"\n",
                 false, false, nullptr},
        FtpsCase{"NetrcWithoutEntry", true, VELLUM_PASSWORD_NETRC, nullptr,
                 "machine example.org login joe password s3cret\n", false, false,
                 "~/.netrc holds no password for ftps://127.0.0.1:"},
        FtpsCase{"Asked", true, VELLUM_PASSWORD_ASK, nullptr, nullptr, true, false, nullptr},
        FtpsCase{"KeyringWithoutSessionAndNobodyToAsk", true, VELLUM_PASSWORD_KEYRING, nullptr,
                 nullptr, false, false, "the desktop keyring cannot be used: no desktop session"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SecureUploadTest, PlainFtpServerOfferingTlsGetsAHint) {
  const std::string ftp_root = Made(root_ / "ftp");
  Made(ftp_root + "/www");
  test::FtpsServer server(ftp_root, false);
  AddServerTarget(server.port(), {}, FtpServer::kUser, FtpServer::kPassword, "/www");
  const std::string info = Upload(0);
  const std::string hint = "' - the server offers TLS: as an FTPS target";
  EXPECT_THAT(info, HasSubstr(hint));
  EXPECT_EQ(info.find(hint), info.rfind(hint)) << "said more than once: " << info;
  EXPECT_THAT(info, HasSubstr(Sent({"index.html", "sub/page.html"})));
}

}  // namespace
}  // namespace vellum::publish
