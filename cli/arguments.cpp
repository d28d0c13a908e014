#include "arguments.h"

#include <algorithm>

namespace vellumark {
namespace {

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

}  // namespace

bool Arguments::Flag(const std::string& name) {
  auto found = std::find(words_.begin(), words_.end(), "--" + name);
  if (found == words_.end()) return false;
  words_.erase(found);
  return true;
}

std::optional<std::string> Arguments::Option(const std::string& name) {
  const std::string option = "--" + name;
  for (auto at = words_.begin(); at != words_.end(); ++at) {
    if (*at == option) {
      if (at + 1 == words_.end()) throw UsageError(option + " needs a value");
      std::string value = *(at + 1);
      words_.erase(at, at + 2);
      return value;
    }
    if (at->rfind(option + "=", 0) == 0) {
      std::string value = at->substr(option.size() + 1);
      words_.erase(at);
      return value;
    }
  }
  return std::nullopt;
}

std::string Arguments::Positional(const std::string& what) {
  auto found = std::find_if(words_.begin(), words_.end(),
                            [](const std::string& word) { return !IsOption(word); });
  if (found == words_.end()) throw UsageError("missing " + what);
  std::string word = *found;
  words_.erase(found);
  return word;
}

std::vector<std::string> Arguments::Rest() {
  std::vector<std::string> rest;
  std::erase_if(words_, [&rest](const std::string& word) {
    if (IsOption(word)) return false;
    rest.push_back(word);
    return true;
  });
  return rest;
}

void Arguments::ExpectEnd() const {
  if (words_.empty()) return;
  const std::string& word = words_.front();
  throw UsageError(IsOption(word) ? "unknown option '" + word + "'"
                                  : "unexpected argument '" + word + "'");
}

}  // namespace vellumark
