// The token syntax of the engine's own text files (the configuration files
// and the picture scheme files): words, numbers of digits and dots, quoted
// strings, "=" and single characters, between blanks and C comments.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace vellum::config {

enum class TokenKind { kEnd, kWord, kNumber, kString, kAssign, kOther };

// Whether a string may run on over line feeds to its closing quote.
enum class StringLines { kAny, kOne };

struct Token {
  TokenKind kind;
  std::string_view text;  // a string's text without its quotes
};

// Splits a loaded text into tokens. A word starts with a letter and runs to
// the next word delimiter; a number is a run of digits and dots; both are cut
// after 70 characters, the rest starting the next token. In a string a
// backslash keeps the next character from closing it, and both stay in the
// text. A comment that is never closed ends the text; so does a string, or,
// with StringLines::kOne, a string not closed on its line is a token of kind
// kOther (its quote and the rest of the line) and the next starts at the
// line feed.
class EntryLexer {
 public:
  // stray_comment_end is called for a "*/" outside a comment, after which
  // the text counts as ended. The text must outlive the lexer.
  EntryLexer(std::string_view text, std::function<void()> stray_comment_end,
             StringLines strings = StringLines::kAny);

  Token Next();

  // The line (from 1) on which the token Next returned last starts, or the
  // text's last line after its end; during stray_comment_end, the line of
  // the "*/".
  int line() const { return line_; }

 private:
  bool SkipBlanksAndComments();
  std::size_t Run(bool (*in_class)(char), bool wanted) const;
  Token Take(TokenKind kind, std::size_t length);
  Token String();

  void CountLines();

  std::string_view text_;
  std::string_view rest_;
  std::function<void()> stray_comment_end_;
  StringLines strings_;
  int line_ = 1;
  std::size_t counted_ = 0;  // the length of text_ whose line feeds line_ counts
};

// The digits up to the first other character, as a decimal number; values
// beyond the 32-bit range are held at its maximum.
int32_t NumberValue(std::string_view digits);

}  // namespace vellum::config
