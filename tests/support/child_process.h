// Real programs that tests start beside them (HTTP servers, proxies, FTP
// servers): started with their output in a log file, watched through that
// log, and stopped when the test is done.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vellum::test {

class ChildProcess {
 public:
  // Starts command[0] (found on PATH) with the rest as its arguments; its
  // standard output and error both go to log_path. Throws when it cannot be
  // started.
  ChildProcess(const std::vector<std::string>& command, std::string log_path);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& log_path() const { return log_path_; }
  std::string Log() const;

  // Waits until the log matches the regular expression and returns its first
  // group (the whole match when it has none). Throws when the process ends
  // or the time runs out first.
  std::string WaitForLog(const std::string& pattern,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // SIGTERM, then SIGKILL if it has not ended after a few seconds; waits for
  // it either way. Safe to call more than once.
  void Stop();

 private:
  bool Exited();

  pid_t pid_ = -1;
  std::string log_path_;
};

// Every match of pattern in text (a log), in order, each written as format
// says ("$1": the first group; a group that did not take part is empty).
std::vector<std::string> AllMatches(const std::string& text, const std::string& pattern,
                                    const std::string& format = "$1");

// A TCP socket listening on 127.0.0.1 on a port the kernel picked, written
// to port. Throws when there is none.
int ListenOnLoopback(int& port);

// A TCP port on 127.0.0.1 that nothing listens on right now, for programs
// that cannot be told to pick one themselves.
int FreePort();

// Waits until something listens on 127.0.0.1:port (read from the kernel's
// socket table, without connecting). False when the time runs out.
bool WaitForListening(int port, std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace vellum::test
