// The words of one command line, taken apart option by option. Whatever a
// command does not take is left over and makes a usage error.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellumark {

// A command line that does not say what the command takes; exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Arguments {
 public:
  explicit Arguments(std::vector<std::string> words) : words_(std::move(words)) {}

  // Takes "--name"; true when it was given.
  bool Flag(const std::string& name);

  // Takes "--name VALUE" or "--name=VALUE".
  std::optional<std::string> Option(const std::string& name);

  // Takes the next word that is not an option; a usage error naming what
  // when there is none.
  std::string Positional(const std::string& what);

  // Takes every remaining word that is not an option.
  std::vector<std::string> Rest();

  // A usage error for whatever is left.
  void ExpectEnd() const;

 private:
  std::vector<std::string> words_;
};

}  // namespace vellumark
