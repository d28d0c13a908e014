#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/address_patterns.h"
#include "core/natural_order.h"
#include "core/text_utils.h"

namespace vellum::core {
namespace {

int SignOf(int value) { return (value > 0) - (value < 0); }

// Each row: a, b and the sign of NaturalCompare(a, b). Every row is also
// checked the other way round.
TEST(NaturalOrder, ComparesNumbersByValueAndLettersWithoutCase) {
  const std::tuple<const char*, const char*, int> rows[] = {
      {"2. Y", "10. X", -1},
      {"chapter 9", "Chapter 10", -1},
      {"第 2 章", "第 10 章", -1},
      {"page\xEF\xBC\x92", "page\xEF\xBC\x91\xEF\xBC\x90", -1},  // fullwidth 2 and 10
      {"a", "A", 1},                                             // equal but for the bytes
      {"a", "B", -1},
      {"x01", "x1", -1},  // equal values: the bytes decide
      {"x1", "x01a", -1},
      {"99999999999999999999999", "100000000000000000000000", -1},
      {"123456789012345678901234567890", "123456789012345678901234567891", -1},
      {"", "a", -1},
      {"a", "a1", -1},
      {"a-", "a1", -1},  // a number sorts where '0' does
      {"a1", "ab", -1},
      {"é", "z", 1},             // by code point
      {"\x80", "\xC3\xA9", -1},  // a stray byte by its value
      {"same", "same", 0},
  };
  for (const auto& [a, b, expected] : rows) {
    EXPECT_EQ(SignOf(NaturalCompare(a, b)), expected) << a << " | " << b;
    EXPECT_EQ(SignOf(NaturalCompare(b, a)), -expected) << b << " | " << a;
  }
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
