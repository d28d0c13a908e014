#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "core/address_patterns.h"
#include "core/natural_order.h"
#include "core/text_utils.h"

namespace vellum::core {
namespace {

int SignOf(int value) { return (value > 0) - (value < 0); }

// Rows of "a < b", "a = b" or "a > b" by NaturalCompare(a, b), each also
// checked the other way round.
TEST(NaturalOrder, ComparesNumbersByValueAndLettersWithoutCase) {
  const char* const rows[] = {
      // Numbers by value, fullwidth digits too; a number sorts where '0' does.
      "2. Y < 10. X", "chapter 9 < Chapter 10", "第 2 章 < 第 10 章",
      "page\xEF\xBC\x92 < page\xEF\xBC\x91\xEF\xBC\x90",
      "99999999999999999999999 < 100000000000000000000000",
      "123456789012345678901234567890 < 123456789012345678901234567891", "a- < a1", "a1 < ab",
      // Letters without case, then the bytes: equal values, code points, a
      // stray byte by its value.
      "a > A", "a < B", "x01 < x1", "x1 < x01a", " < a", "a < a1", "é > z", "\x80 < \xC3\xA9",
      "same = same"};
  for (const std::string_view row : rows) {
    const std::size_t at = row.find_first_of("<=>");
    const std::string a(row.substr(0, at - 1)), b(row.substr(at + 2));
    const int expected = row[at] == '<' ? -1 : row[at] == '>' ? 1 : 0;
    EXPECT_EQ(SignOf(NaturalCompare(a, b)), expected) << row;
    EXPECT_EQ(SignOf(NaturalCompare(b, a)), -expected) << row;
  }
}

TEST(NaturalOrder, SortsMixedTitlesTheSameWhateverTheStartingOrder) {
  const std::vector<std::string> sorted = {"1 intro", "2. Y",    "09 b",      "9 b",        "10. X",
                                           "Chapter", "chapter", "chapter 2", "Chapter 10", "Z"};
  std::vector<std::string> shuffled(sorted.rbegin(), sorted.rend());
  std::rotate(shuffled.begin(), shuffled.begin() + 3, shuffled.end());
  std::sort(shuffled.begin(), shuffled.end(),
            [](const std::string& a, const std::string& b) { return NaturalCompare(a, b) < 0; });
  EXPECT_EQ(shuffled, sorted);
}

// Each row: the pattern list, an address and whether it matches.
TEST(AddressPatterns, MatchWholeAddressCaseSensitive) {
  const std::tuple<const char*, std::string, bool> rows[] = {
      {"*.pdf", "http://h/a/b.pdf", true},
      {"*.pdf", "http://h/a/b.pdf?x", false},  // the whole address must match
      {"*.pdf", "http://h/a/b.PDF", false},
      {"http://h/*/x", "http://h/a/b/x", true},  // '*' spans '/'
      {"http://h/?", "http://h/a", true},
      {"http://h/?", "http://h/ab", false},
      {"http://h/?", "http://h/", false},
      {" *.zip ;\r\n*.pdf\n", "http://h/f.pdf", true},
      {";;\n \t", "http://h/", false},
      {"a.b", "axb", false},  // only '*' and '?' are special
      {"*", "", true},
      {"*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(5000, 'a'), false},
  };
  for (const auto& [patterns, address, expected] : rows) {
    EXPECT_EQ(AddressPatterns(patterns).Matches(address), expected) << patterns << " | " << address;
  }
  EXPECT_TRUE(AddressPatterns(" ; \n").empty());
  EXPECT_FALSE(AddressPatterns("x").empty());
}

}  // namespace
}  // namespace vellum::core
