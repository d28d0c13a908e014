#include "core/natural_order.h"

namespace vellum::core {
namespace {

constexpr char32_t kFullwidthZero = 0xFF10;

// One character of a text, decoded from UTF-8. A byte that does not start a
// valid sequence stands for itself, one byte long.
struct Character {
  char32_t code = 0;
  std::size_t length = 0;
};

Character DecodeAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return {lead, 1};
  }
  if (at + length > text.size()) return {lead, 1};
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(at + i);
    if ((next & 0xC0) != 0x80) return {lead, 1};
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms and values beyond Unicode do not count as characters.
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < smallest[length] || code > 0x10FFFF) return {lead, 1};
  return {code, length};
}

// The value 0 to 9 of a digit character, or -1.
int DigitValue(char32_t code) {
  if (code >= '0' && code <= '9') return static_cast<int>(code - '0');
  if (code >= kFullwidthZero && code <= kFullwidthZero + 9)
    return static_cast<int>(code - kFullwidthZero);
  return -1;
}

char32_t Folded(char32_t code) { return (code >= 'A' && code <= 'Z') ? code - 'A' + 'a' : code; }

// Reads text from a position: one digit run or one other character at a time.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool done() const { return at_ == text_.size(); }
  bool AtDigit() const { return DigitValue(DecodeAt(text_, at_).code) >= 0; }

  // The next character, which is not a digit, folded to lower case.
  char32_t TakeCharacter() {
    const Character c = DecodeAt(text_, at_);
    at_ += c.length;
    return Folded(c.code);
  }

  // The next digit run with its leading zeros skipped.
  std::string_view TakeNumber() {
    while (!done() && DigitValue(DecodeAt(text_, at_).code) == 0)
      at_ += DecodeAt(text_, at_).length;
    const std::size_t start = at_;
    while (!done() && DigitValue(DecodeAt(text_, at_).code) >= 0)
      at_ += DecodeAt(text_, at_).length;
    return text_.substr(start, at_ - start);
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

int Sign(auto difference) { return difference < 0 ? -1 : (difference > 0 ? 1 : 0); }

std::size_t DigitCount(std::string_view run) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < run.size(); at += DecodeAt(run, at).length) ++count;
  return count;
}

// Compares two digit runs without leading zeros: the longer is the larger,
// and runs of equal length compare digit by digit.
int CompareNumbers(std::string_view a, std::string_view b) {
  const std::size_t a_count = DigitCount(a), b_count = DigitCount(b);
  if (a_count != b_count) return a_count < b_count ? -1 : 1;
  for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    const Character x = DecodeAt(a, i), y = DecodeAt(b, j);
    const int difference = DigitValue(x.code) - DigitValue(y.code);
    if (difference != 0) return Sign(difference);
    i += x.length;
    j += y.length;
  }
  return 0;
}

int CompareByRules(std::string_view a, std::string_view b) {
  Reader left(a), right(b);
  while (!left.done() && !right.done()) {
    const bool left_digit = left.AtDigit(), right_digit = right.AtDigit();
    int result = 0;
    if (left_digit && right_digit) {
      result = CompareNumbers(left.TakeNumber(), right.TakeNumber());
    } else if (left_digit) {
      left.TakeNumber();
      result = Sign(static_cast<long>('0') - static_cast<long>(right.TakeCharacter()));
    } else if (right_digit) {
      right.TakeNumber();
      result = Sign(static_cast<long>(left.TakeCharacter()) - static_cast<long>('0'));
    } else {
      result =
          Sign(static_cast<long>(left.TakeCharacter()) - static_cast<long>(right.TakeCharacter()));
    }
    if (result != 0) return result;
  }
  return Sign(static_cast<int>(!left.done()) - static_cast<int>(!right.done()));
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
  const int result = CompareByRules(a, b);
  return result != 0 ? result : Sign(a.compare(b));
}

}  // namespace vellum::core
