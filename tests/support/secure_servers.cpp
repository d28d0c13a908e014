#include "support/secure_servers.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/ftp_servers.h"
#include "support/run_program.h"

namespace vellum::test {
namespace {

void Run(const std::string& program, const std::vector<std::string>& arguments) {
  if (RunProgram(program, arguments).status != 0) {
    throw std::runtime_error(program + " failed");
  }
}

// "type base64" of a public key file.
std::string PublicKey(const std::string& path) {
  std::ifstream file(path);
  std::string type, key;
  file >> type >> key;
  return type + " " + key;
}

}  // namespace

SshServer::SshServer() : client_key_(folder_ / "client") {
  const std::string folder = folder_.path().string();
  for (const char* key : {"hostkey", "otherkey", "client"}) {
    Run("/usr/bin/ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", folder + "/" + key});
  }
  std::filesystem::copy_file(folder + "/client.pub", folder + "/authorized_keys");
  // sshd checks that its privilege separation folder exists.
  std::error_code error;
  std::filesystem::create_directories("/run/sshd", error);
  port_ = FreePort();
  const std::string config = folder + "/sshd_config";
  std::ofstream(config) << "Port " << port_ << "\n"
                        << "ListenAddress 127.0.0.1\n"
                        << "HostKey " << folder << "/hostkey\n"
                        << "PidFile " << folder << "/sshd.pid\n"
                        << "AuthorizedKeysFile " << folder << "/authorized_keys\n"
                        << "StrictModes no\n"
                        << "UsePAM no\n"
                        << "PasswordAuthentication yes\n"
                        << "PermitRootLogin prohibit-password\n"
                        << "Subsystem sftp internal-sftp\n";
  process_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/sbin/sshd", "-D", "-e", "-f", config}, folder + "/sshd.log");
  if (!WaitForListening(port_)) throw std::runtime_error("sshd does not listen");
}

std::string SshServer::KnownHostsLine(int port) const {
  return "[127.0.0.1]:" + std::to_string(port != 0 ? port : port_) + " " +
         PublicKey(folder_ / "hostkey.pub") + "\n";
}

std::string SshServer::OtherKnownHostsLine() const {
  return "[127.0.0.1]:" + std::to_string(port_) + " " + PublicKey(folder_ / "otherkey.pub") + "\n";
}

FtpsServer::FtpsServer(const std::string& root, bool tls_required, long cut_after)
    : certificate_(folder_ / "cert.pem") {
  const std::string key = folder_ / "key.pem";
  MakeCertificate(certificate_, key);
  process_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/python3", "-u", VELLUM_TEST_SUPPORT_DIR "/ftps_server.py",
                               root, FtpServer::kUser, FtpServer::kPassword, certificate_, key,
                               tls_required ? "1" : "0", std::to_string(cut_after)},
      folder_ / "ftps.log");
  port_ = std::stoi(process_->WaitForLog("starting FTP\\+SSL server on 127\\.0\\.0\\.1:([0-9]+)"));
}

}  // namespace vellum::test
