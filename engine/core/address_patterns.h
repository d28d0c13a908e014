// Address patterns of the scan settings ("*/private/*;*.pdf") and the glob
// matcher behind them, which the robots.txt rules share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellum::core {

struct GlobSyntax {
  // '?' stands for exactly one byte; otherwise it is literal.
  bool question_mark = true;
  // The pattern need only match a beginning of the text, as if it ended in
  // '*'; otherwise it must match the whole text.
  bool prefix = false;
};

// True when text matches pattern: '*' matches any run of bytes (also none,
// also '/'), every other byte itself, case-sensitive. Takes at most about
// pattern.size() * text.size() steps, whatever the pattern holds.
bool GlobMatch(std::string_view pattern, std::string_view text, GlobSyntax syntax = {});

class AddressPatterns {
 public:
  // Patterns separated by ';' or line ends; blanks around each trimmed; empty
  // ones ignored. The text is copied.
  explicit AddressPatterns(std::string_view patterns);

  bool empty() const { return patterns_.empty(); }

  // True when the whole address matches any pattern: '*' any run, '?' one
  // byte, everything else literal and case-sensitive.
  bool Matches(std::string_view address) const;

 private:
  std::vector<std::string> patterns_;
};

}  // namespace vellum::core
