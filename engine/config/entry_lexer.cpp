#include "config/entry_lexer.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "core/text_utils.h"

namespace vellum::config {
namespace {

// Words and numbers longer than this are cut; the rest starts a new token.
constexpr std::size_t kMaxTokenLength = 70;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

EntryLexer::EntryLexer(std::string_view text, std::function<void()> stray_comment_end,
                       StringLines strings)
    : text_(text),
      rest_(text),
      stray_comment_end_(std::move(stray_comment_end)),
      strings_(strings) {}

void EntryLexer::CountLines() {
  const std::size_t at = text_.size() - rest_.size();
  line_ += static_cast<int>(std::count(text_.begin() + counted_, text_.begin() + at, '\n'));
  counted_ = at;
}

Token EntryLexer::Next() {
  const bool more = SkipBlanksAndComments();
  CountLines();
  if (!more) return {TokenKind::kEnd, {}};
  if (rest_.starts_with("*/")) {
    stray_comment_end_();
    rest_ = {};
    return {TokenKind::kEnd, {}};
  }
  const char c = rest_.front();
  if (IsLetter(c)) return Take(TokenKind::kWord, Run(core::IsWordDelimiter, false));
  if (core::IsNumberChar(c)) return Take(TokenKind::kNumber, Run(core::IsNumberChar, true));
  if (c == '"') return String();
  return Take(c == '=' ? TokenKind::kAssign : TokenKind::kOther, 1);
}

// False at the end of the text. A comment that is never closed ends it.
bool EntryLexer::SkipBlanksAndComments() {
  for (;;) {
    while (!rest_.empty() && core::IsBlank(rest_.front())) rest_.remove_prefix(1);
    std::size_t end;
    if (rest_.starts_with("/*")) {
      end = rest_.find("*/", 2);
      if (end != std::string_view::npos) end += 2;
    } else if (rest_.starts_with("//")) {
      // Only a carriage-return byte ends it: in the text as loaded, a stored
      // CR LF has become a single line feed.
      end = rest_.find('\r', 2);
    } else {
      return !rest_.empty();
    }
    if (end == std::string_view::npos) {
      rest_ = {};
      return false;
    }
    rest_.remove_prefix(end);
  }
}

// The length of the run from the start whose characters are (or, for
// delimiters, are not) in the class, cut to kMaxTokenLength.
std::size_t EntryLexer::Run(bool (*in_class)(char), bool wanted) const {
  std::size_t length = 0;
  while (length < rest_.size() && length < kMaxTokenLength && in_class(rest_[length]) == wanted) {
    ++length;
  }
  return length;
}

Token EntryLexer::Take(TokenKind kind, std::size_t length) {
  Token token{kind, rest_.substr(0, length)};
  rest_.remove_prefix(length);
  return token;
}

Token EntryLexer::String() {
  const std::string_view run =
      strings_ == StringLines::kOne ? rest_.substr(0, rest_.find('\n')) : rest_;
  for (std::size_t at = 1; at < run.size(); ++at) {
    if (run[at] == '\\') {
      ++at;
    } else if (run[at] == '"') {
      Token token{TokenKind::kString, run.substr(1, at - 1)};
      rest_.remove_prefix(at + 1);
      return token;
    }
  }
  if (strings_ == StringLines::kOne) return Take(TokenKind::kOther, run.size());
  rest_ = {};
  return {TokenKind::kEnd, {}};
}

int32_t NumberValue(std::string_view digits) {
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = std::min<int64_t>(value * 10 + (c - '0'), std::numeric_limits<int32_t>::max());
  }
  return static_cast<int32_t>(value);
}

}  // namespace vellum::config
