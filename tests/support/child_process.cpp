#include "support/child_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/scratch_dir.h"

extern char** environ;

namespace vellum::test {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, std::string log_path)
    : log_path_(std::move(log_path)) {
  std::vector<char*> argv;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_path_.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const int failed = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + command[0]);
  }
}

ChildProcess::~ChildProcess() { Stop(); }

std::string ChildProcess::Log() const { return ReadBytes(log_path_); }

bool ChildProcess::Exited() {
  if (pid_ < 0) return true;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
  pid_ = -1;
  return true;
}

std::string ChildProcess::WaitForLog(const std::string& pattern,
                                     std::chrono::milliseconds timeout) {
  const std::regex expression(pattern);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const std::string log = Log();
    std::smatch match;
    if (std::regex_search(log, match, expression)) {
      return match.size() > 1 ? match[1].str() : match[0].str();
    }
    if (Exited()) throw std::runtime_error("ended before its log showed " + pattern + ":\n" + log);
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("log never showed " + pattern + ":\n" + log);
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

void ChildProcess::Stop() {
  if (pid_ < 0) return;
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!Exited()) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

std::vector<std::string> AllMatches(const std::string& text, const std::string& pattern,
                                    const std::string& format) {
  std::vector<std::string> found;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
       it != std::sregex_iterator(); ++it) {
    found.push_back(it->format(format));
  }
  return found;
}

int ListenOnLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 4) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("no free port");
  }
  port = ntohs(address.sin_port);
  return fd;
}

int FreePort() {
  int port = 0;
  close(ListenOnLoopback(port));
  return port;
}

bool WaitForListening(int port, std::chrono::milliseconds timeout) {
  // /proc/net/tcp lists "local_address rem_address st" with addresses as
  // hex "0100007F:PORT" and state 0A for LISTEN.
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the header
    while (std::getline(table, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state;
      fields >> slot >> local >> remote >> state;
      if (local == wanted && state == "0A") return true;
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace vellum::test
