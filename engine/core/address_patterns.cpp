#include "core/address_patterns.h"

#include <algorithm>

#include "core/text_utils.h"

namespace vellum::core {
namespace {

bool IsPatternBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsPatternBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsPatternBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

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
