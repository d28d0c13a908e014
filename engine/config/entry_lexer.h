// The token syntax of the engine's own text files (the configuration files
// and the picture scheme files): words, numbers of digits and dots, quoted
// strings, "=" and single characters, between blanks and C comments.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace vellum::config {

enum class TokenKind { kEnd, kWord, kNumber, kString, kAssign, kOther };

struct Token {
  TokenKind kind;
  std::string_view text;  // a string's text without its quotes
};

// Splits a loaded text into tokens. A word starts with a letter and runs to
// the next word delimiter; a number is a run of digits and dots; both are cut
// after 70 characters, the rest starting the next token. In a string a
// backslash keeps the next character from closing it, and both stay in the
// text. A comment or a string that is never closed ends the text.
class EntryLexer {
 public:
  // stray_comment_end is called for a "*/" outside a comment, after which
  // the text counts as ended. The text must outlive the lexer.
  EntryLexer(std::string_view text, std::function<void()> stray_comment_end);

  Token Next();

 private:
  bool SkipBlanksAndComments();
  std::size_t Run(bool (*in_class)(char), bool wanted) const;
  Token Take(TokenKind kind, std::size_t length);
  Token String();

  std::string_view rest_;
  std::function<void()> stray_comment_end_;
};

// The digits up to the first other character, as a decimal number; values
// beyond the 32-bit range are held at its maximum.
int32_t NumberValue(std::string_view digits);

}  // namespace vellum::config
