// Address patterns of the scan settings ("*/private/*;*.pdf").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellum::core {

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
