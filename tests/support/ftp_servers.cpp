#include "support/ftp_servers.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/scratch_dir.h"

namespace vellum::test {

FtpServer::FtpServer(const std::string& root, const std::string& log_path) {
  process_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/python3", "-u", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                               "0", "-w", "-d", root, "-u", kUser, "-P", kPassword, "-D"},
      log_path);
  port_ = std::stoi(process_->WaitForLog("starting FTP server on 127\\.0\\.0\\.1:([0-9]+)"));
}

std::vector<std::string> FtpServer::Commands() const {
  return AllMatches(process_->Log(), "\\] [0-9.:]+-\\[[^\\]]*\\] <- ([^\\n]*)");
}

std::vector<int> FtpServer::StoredBytes() const {
  std::vector<int> bytes;
  for (const std::string& count :
       AllMatches(process_->Log(), " STOR .* completed=1 bytes=([0-9]+)")) {
    bytes.push_back(std::stoi(count));
  }
  return bytes;
}

FtpProxy::FtpProxy() : log_path_(folder_ / "ftp-proxy.log") {
  namespace fs = std::filesystem;
  port_ = FreePort();
  const std::string folder = folder_.path().string();
  const std::string config_path = folder + "/ftp-proxy.conf";
  std::ofstream(config_path) << "ServerType standalone\n"
                             << "Listen 127.0.0.1\n"
                             << "Port " << port_ << "\n"
                             << "DestinationAddress 127.0.0.1\n"
                             << "DestinationPort 21\n"
                             << "AllowMagicUser yes\n"
                             // Quick successive connections are refused below about 100.
                             << "ForkLimit 1000\n"
                             << "LogDestination " << log_path_ << "\n"
                             << "LogLevel INF\n"
                             << "PidFile " << folder << "/ftp-proxy.pid\n";
  std::vector<std::string> command = {"/usr/sbin/ftp-proxy", "-d", "-n", "-f", config_path};
  if (geteuid() == 0) {
    // Meant to run unprivileged: as root, it runs as nobody.
    fs::permissions(folder, fs::perms::all);
    command.insert(command.begin(),
                   {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
  }
  process_ = std::make_unique<ChildProcess>(command, folder + "/ftp-proxy.out");
  if (!WaitForListening(port_)) throw std::runtime_error("ftp-proxy does not listen");
}

std::vector<std::string> FtpProxy::Commands() const {
  // "'TYPE I' from 127.0.0.1", and "PASV set to ..." for a PASV or an EPSV
  // it turned into one.
  return AllMatches(ReadBytes(log_path_), "USER-INF (?:'([^']*)' from|(PASV) set to)", "$1$2");
}

std::vector<std::string> FtpProxy::Logins() const {
  return AllMatches(ReadBytes(log_path_), "'USER ([^']*)' dest (\\S+) from", "$1@$2");
}

}  // namespace vellum::test
