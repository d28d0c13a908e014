// Runs a program as a user would, and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace vellum::test {

struct ProgramResult {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs program with arguments in folder (the current one when empty), with
// standard input closed, and waits for it.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder = {});

// Makes a self-signed certificate for 127.0.0.1 and its key (PEM files) for
// a test server. Throws when openssl fails.
void MakeCertificate(const std::string& certificate, const std::string& key);

}  // namespace vellum::test
