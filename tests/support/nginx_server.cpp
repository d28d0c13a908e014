#include "support/nginx_server.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "support/run_program.h"

namespace vellum::test {

NginxServer::NginxServer(const std::string& root, const std::string& folder, bool tls) {
  const std::string key = folder + "/key.pem";
  if (tls) {
    certificate_ = folder + "/cert.pem";
    MakeCertificate(certificate_, key);
  }
  // nginx cannot listen on a port of the kernel's choosing: it gets a free
  // one, and another when something took that one in the meantime.
  for (int attempt = 1;; ++attempt) {
    port_ = FreePort();
    const std::string config = folder + "/nginx.conf";
    std::ofstream file(config);
    // Run as root, the master would hand the work to www-data, which may not
    // enter the test's folder.
    if (geteuid() == 0) file << "user root;\n";
    file << "daemon off;\n"
         << "worker_processes 1;\n"
         << "pid " << folder << "/nginx.pid;\n"
         << "error_log stderr notice;\n"
         << "events { worker_connections 256; }\n"
         << "http {\n"
         << "  log_format connections '$connection $connection_requests $server_protocol "
            "\"$request\"';\n"
         << "  access_log " << folder << "/access.log connections;\n";
    for (const char* temporary : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
      file << "  " << temporary << "_temp_path " << folder << "/" << temporary << ";\n";
    }
    file << "  include /etc/nginx/mime.types;\n"
         << "  default_type application/octet-stream;\n"
         << "  server {\n"
         << "    root " << root << ";\n";
    if (tls) {
      file << "    listen 127.0.0.1:" << port_ << " ssl http2;\n"
           << "    ssl_certificate " << certificate_ << ";\n"
           << "    ssl_certificate_key " << key << ";\n";
    } else {
      file << "    listen 127.0.0.1:" << port_ << ";\n";
    }
    file << "  }\n"
         << "}\n";
    file.close();
    // -e: where it reports before it has read the configuration.
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/sbin/nginx", "-e", "stderr", "-p", folder, "-c", config},
        folder + "/nginx.log");
    try {
      process_->WaitForLog("start worker process");
      return;
    } catch (const std::runtime_error&) {
      const bool taken = process_->Log().find("Address already in use") != std::string::npos;
      process_->Stop();
      if (!taken || attempt == 5) throw;
    }
  }
}

std::string NginxServer::Url(std::string_view path) const {
  return (certificate_.empty() ? "http" : "https") + std::string("://127.0.0.1:") +
         std::to_string(port_) + "/" + std::string(path);
}

}  // namespace vellum::test
