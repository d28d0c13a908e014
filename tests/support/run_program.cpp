#include "support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "support/scratch_dir.h"

namespace vellum::test {

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
  ScratchDir capture;
  const std::string out_path = capture / "out";
  const std::string err_path = capture / "err";

  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  ProgramResult result;
  pid_t child = fork();
  if (child == 0) {
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  }
  result.out = ReadBytes(out_path);
  result.err = ReadBytes(err_path);
  return result;
}

void MakeCertificate(const std::string& certificate, const std::string& key) {
  if (RunProgram("/usr/bin/openssl",
                 {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                  "-nodes", "-keyout", key, "-out", certificate, "-days", "2", "-subj",
                  "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"})
          .status != 0) {
    throw std::runtime_error("openssl could not make a certificate");
  }
}

}  // namespace vellum::test
