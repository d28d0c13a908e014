#include "core/address_patterns.h"

#include <algorithm>

namespace vellum::core {
namespace {

bool IsPatternBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsPatternBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsPatternBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool GlobMatch(std::string_view pattern, std::string_view text, GlobSyntax syntax) {
  // Greedy matching that remembers only the last '*': when the part after it
  // fails, that star takes one more byte and the part is tried again. Earlier
  // stars never need to give bytes back (a later star can absorb whatever
  // they would), so there is no nested backtracking and the work stays within
  // pattern length times text length.
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t p = 0, t = 0, star = kNone, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() &&
               ((syntax.question_mark && pattern[p] == '?') || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (p == pattern.size() && syntax.prefix) {
      return true;
    } else if (star != kNone) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

AddressPatterns::AddressPatterns(std::string_view patterns) {
  while (!patterns.empty()) {
    const std::size_t end = std::min(patterns.find_first_of(";\r\n"), patterns.size());
    const std::string_view pattern = Trim(patterns.substr(0, end));
    if (!pattern.empty()) patterns_.emplace_back(pattern);
    patterns.remove_prefix(std::min(end + 1, patterns.size()));
  }
}

bool AddressPatterns::Matches(std::string_view address) const {
  return std::any_of(patterns_.begin(), patterns_.end(),
                     [address](const std::string& pattern) { return GlobMatch(pattern, address); });
}

}  // namespace vellum::core
