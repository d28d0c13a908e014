// Upload of a site: N registered pages (default 10,000), each referring to
// a picture of its own and to one picture that all share, so the file list
// holds 2N + 1 files. The first upload sends them all and records them; the
// second finds every file unchanged and sends nothing. Both must stay
// linear in N: the file list and the target's records are looked up through
// indexes.
//
//   upload_bench [N [KIND]]
//
// KIND is where the files go: folder (the default), or a server the tests'
// helpers start on 127.0.0.1: ftp (pyftpdlib, passive), ftps (the same
// server with TLS on both connections) or sftp (OpenSSH's sshd, logged in
// to by key). For a server every file is 4 kB.
//
// The site and the target go to a fresh folder in $VELLUM_BENCH_DIR
// (default /tmp), which is removed afterwards.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

#include "core/messages.h"
#include "project/project.h"
#include "publish/upload.h"
#include "support/ftp_servers.h"
#include "support/secure_servers.h"

namespace {

using namespace vellum;
namespace fs = std::filesystem;

int sent = 0;

int32_t CountSent(const char* text) {
  sent += std::string_view(text) == "' - Upload successful\n";
  return 1;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void Run(const char* name, Project& project, const UploadRequest& request) {
  sent = 0;
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  publish::Upload(project, request);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("| %s | %d | %.3f s | %.3f s |\n", name, sent, wall.count(), CpuSeconds() - cpu);
}

// The server a KIND names, started for the run, and the target that
// reaches it.
class Server {
 public:
  Server(const std::string& kind, const fs::path& root) {
    if (kind == "folder") {
      folder_ = (root / "pub").string();
      return;
    }
    folder_ = (root / "served/www").string();
    fs::create_directories(folder_);
    if (kind == "sftp") {
      const auto& ssh = server_.emplace<test::SshServer>();
      fs::create_directories(root / "home/.ssh");
      setenv("HOME", (root / "home").c_str(), 1);
      std::ofstream(root / "home/.ssh/known_hosts") << ssh.KnownHostsLine();
      security_.protocol = VELLUM_PROTOCOL_SFTP;
      security_.key_file = ssh.client_key();
      port_ = ssh.port();
      return;
    }
    const bool tls = kind == "ftps";
    const auto& ftp = server_.emplace<test::FtpsServer>((root / "served").string(), tls);
    if (tls) {
      security_.protocol = VELLUM_PROTOCOL_FTPS;
      security_.ca_file = ftp.certificate();
    }
    port_ = ftp.port();
    folder_ = "/www";
    ftp_login_ = true;
  }

  void AddTarget(Project& project) const {
    const std::string server = "127.0.0.1:" + std::to_string(port_);
    OutputTarget settings{};
    settings.Folder = folder_.c_str();
    if (port_ != 0) {
      settings.Server = server.c_str();
      settings.Flags = VELLUM_TARGET_FTP | VELLUM_TARGET_PASSIVE;
    }
    if (ftp_login_) {
      settings.Login = test::FtpServer::kUser;
      settings.Password = test::FtpServer::kPassword;
    }
    PrmRequest append{VELLUM_PRM_APPEND_TARGET, 0, &settings};
    project::ChangeTargets(project, append);
    project::SetSecurity(project, project.TargetCount - 1, security_);
  }
  bool is_folder() const { return port_ == 0; }

 private:
  std::variant<std::monostate, test::SshServer, test::FtpsServer> server_;
  project::TargetSecurity security_;
  std::string folder_;
  int port_ = 0;            // 0: a folder target
  bool ftp_login_ = false;  // SFTP logs in as the user running this
};

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string kind = argc > 2 ? argv[2] : "folder";
  if (kind != "folder" && kind != "ftp" && kind != "ftps" && kind != "sftp") {
    std::fprintf(stderr, "usage: upload_bench [N [folder|ftp|ftps|sftp]]\n");
    return 2;
  }
  const char* base = std::getenv("VELLUM_BENCH_DIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/vellum-upload-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path root = pattern;
  fs::create_directories(root / "site/img");
  fs::current_path(root / "site");
  core::InstallMessageSink({CountSent, nullptr, nullptr});

  int status = 0;
  try {
    const Server server(kind, root);
    // A few kB a file for a server, where each file costs a transfer.
    const std::string filler(server.is_folder() ? 0 : 4000, 'x');
    Project& project = project::TheProject();
    std::ofstream("img/shared.gif") << "GIF89a" << filler;
    for (int i = 0; i < pages; ++i) {
      const std::string page = "page" + std::to_string(i) + ".htm";
      const std::string picture = "img/pic" + std::to_string(i) + ".gif";
      std::ofstream(page) << "<BODY BACKGROUND=img/shared.gif><IMG SRC=" << picture << ">\n"
                          << filler;
      std::ofstream(picture) << "GIF89a" << filler;
      project::AddFile(project, page.c_str());
    }
    server.AddTarget(project);

    const uint8_t selection[] = {1};
    const UploadRequest request{VELLUM_UPLOAD_RESOURCES | VELLUM_UPLOAD_SKIP_UNCHANGED, 0,
                                selection, 0};
    std::printf("| upload of %d pages (%s) | files sent | time | CPU time |\n|---|---|---|---|\n",
                pages, kind.c_str());
    Run("first", project, request);
    Run("second (all unchanged)", project, request);
    project::Close(project);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "upload_bench: %s\n", error.what());
    status = 1;
  }
  fs::current_path(root.parent_path());
  fs::remove_all(root);
  return status;
}
