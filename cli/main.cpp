// vellumark: the site map tool on the command line, a client of libvellum's
// C interface and of nothing else inside the engine.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "help.h"
#include "session.h"

namespace {

using namespace vellumark;

constexpr int kFailureStatus = 1;
constexpr int kUsageStatus = 2;

int Dispatch(const std::string& command, Arguments& arguments) {
  if (command == "new") return RunNew(arguments);
  if (command == "show") return RunShow(arguments);
  if (command == "set") return RunSet(arguments);
  if (command == "scan") return RunScan(arguments);
  if (command == "generate") return RunGenerate(arguments);
  if (command == "upload") return RunUpload(arguments, /*generate_first=*/false);
  if (command == "publish") return RunUpload(arguments, /*generate_first=*/true);
  if (command == "target") return RunTarget(arguments);
  if (command == "config") return RunConfig(arguments);
  if (command == "entry") return RunEntry(arguments);
  throw UsageError("unknown command '" + command + "'");
}

int Help(const std::vector<std::string>& words) {
  if (words.size() < 2) {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  std::string text = CommandHelp(words[1]);
  if (text.empty()) {
    std::fprintf(stderr, "vellumark: no command '%s'\n\n%s", words[1].c_str(), Usage().c_str());
    return kUsageStatus;
  }
  std::fputs(text.c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    std::fputs(Usage().c_str(), stderr);
    return kUsageStatus;
  }
  const std::string command = words.front();
  if (command == "--help" || command == "-h" || command == "help") return Help(words);

  Arguments arguments(std::vector<std::string>(words.begin() + 1, words.end()));
  try {
    if (arguments.Flag("help")) {
      std::vector<std::string> help_words{"help", command};
      return Help(help_words);
    }
    return Dispatch(command, arguments);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "vellumark: %s\n\n", Printable(error.what()).c_str());
    std::string help = CommandHelp(command);
    std::fputs(help.empty() ? Usage().c_str() : help.c_str(), stderr);
    return kUsageStatus;
  } catch (const std::exception& error) {
    // A path the system refuses (too long, a loop of links, a folder that
    // went away) ends the command with a message, never an abort.
    std::fprintf(stderr, "vellumark: %s\n", Printable(error.what()).c_str());
    return kFailureStatus;
  }
}
