// The order in which people expect titles and file names: "2. Y" before
// "10. X", "chapter 9" before "Chapter 10".
#pragma once

#include <string_view>

namespace vellum::core {

// Negative, zero or positive as a sorts before, with or after b. Runs of
// digits (ASCII, and the fullwidth digits U+FF10 to U+FF19) compare by their
// value, of any length; ASCII letters compare without regard to case; other
// UTF-8 characters compare by code point, and bytes that are not valid UTF-8
// by their value. A digit run sorts where the character '0' would. Texts
// that are equal by these rules are ordered by their bytes, so the result is
// zero only for identical texts and the order is total.
int NaturalCompare(std::string_view a, std::string_view b);

}  // namespace vellum::core
