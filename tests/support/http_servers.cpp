#include "support/http_servers.h"

#include <fstream>
#include <stdexcept>

#include "support/scratch_dir.h"

namespace vellum::test {

HttpServer::HttpServer(const std::string& root, const std::string& log_path,
                       const Redirects& redirects, bool html_without_extension) {
  std::vector<std::string> command = {
      "/usr/bin/python3", "-u", VELLUM_TEST_SUPPORT_DIR "/http_server.py", "--directory", root};
  for (const auto& [from, to] : redirects) {
    command.insert(command.end(), {"--redirect", from, to});
  }
  if (html_without_extension) command.push_back("--html-without-extension");
  process_ = std::make_unique<ChildProcess>(command, log_path);
  port_ = std::stoi(process_->WaitForLog("serving on port ([0-9]+)"));
}

std::string HttpServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + std::string(path);
}

std::vector<std::string> HttpServer::Requests() const {
  return AllMatches(process_->Log(), "request GET (\\S+) ");
}

int HttpServer::CountRequests(std::string_view path) const {
  int count = 0;
  for (const std::string& request : Requests()) count += request == path;
  return count;
}

HttpServer::Conditional HttpServer::CountConditional() const {
  Conditional count;
  for (const std::string& status :
       AllMatches(process_->Log(), "request GET \\S+ (\\d+) conditional")) {
    ++count.asked;
    count.not_modified += status == "304";
  }
  return count;
}

HttpProxy::HttpProxy(const std::string& folder) : log_path_(folder + "/tinyproxy.log") {
  port_ = FreePort();
  const std::string config_path = folder + "/tinyproxy.conf";
  std::ofstream(config_path) << "Port " << port_ << "\n"
                             << "Listen 127.0.0.1\n"
                             << "Timeout 30\n"
                             << "LogFile \"" << log_path_ << "\"\n"
                             << "LogLevel Connect\n"
                             << "MaxClients 50\n"
                             << "Allow 127.0.0.1\n";
  process_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"tinyproxy", "-d", "-c", config_path}, folder + "/tinyproxy.out");
  if (!WaitForListening(port_)) throw std::runtime_error("tinyproxy does not listen");
}

std::vector<std::string> HttpProxy::Requests() const {
  return AllMatches(ReadBytes(log_path_), "Request \\(file descriptor [0-9]+\\): GET (\\S+) ");
}

}  // namespace vellum::test
