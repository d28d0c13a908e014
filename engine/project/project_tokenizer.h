// The lexical view of a project file: blanks and comments skipped, then
// numbers, words looked up in the key table, quoted strings, section names
// and single punctuation characters. Tokens are views into the text, which
// the caller keeps alive for as long as it uses them.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/text_utils.h"

namespace vellum::project {

// The words of the key table. The fifteen item keys follow kFirstItemKey in
// script-kind order (key kFirstItemKey + kind - 1).
enum Key : int {
  kUnknownKey = -1,
  kFormatVersionKey,
  kTypeKey,
  kSourceKey,
  kDescriptionKey,
  kMacrosKey,
  kOutputKey,
  kAddFileKey,
  kRemoveFileKey,
  kUploadPropertiesKey,
  kCompessPropertiesKey,
  kHFilesKey,
  kMapItemKey,
  kGalItemKey,
  kMp3ItemKey,
  // The keys of the VellumSite section.
  kPageLimitKey,
  kDepthLimitKey,
  kIncludeKey,
  kExcludeKey,
  kOrderKey,
  kSiteUrlKey,
  kScanBaseKey,
  kModifiedKey,
  kSitemapExtrasKey,
  kImagesKey,
  kAlternatesKey,
  // The keys of the VellumScan section.
  kModeKey,
  kFlagsKey,
  kBaseKey,
  kEntryKey,
  kAddressKey,
  kPageKey,
  // The keys of the VellumPage section.
  kMarkupKey,
  kLangKey,
  // A server target with settings an Output entry cannot hold.
  kTargetKey,
  kFirstItemKey,
};

enum Section : int {
  kUnknownSection = -1,
  kCommonSection,
  kScriptMacrosSection,
  kScriptListSection,
  kVellumSiteSection,
  kVellumScanSection,
  kVellumPageSection
};

struct Token {
  enum Type {
    kEnd,
    kNumber,
    kWord,
    kString,
    kSection,
    kOpenBrace,
    kCloseBrace,
    kComma,
    kEquals,
    kOther
  };
  Type type = kEnd;
  // The token's characters; for a string the raw text between the quotes
  // (escapes still in it), for a section the name between the brackets.
  std::string_view text;
  int id = -1;  // a Key for words, a Section for section names
  // For a string: true when its text holds neither a backslash nor a NUL,
  // and so is its value as it stands.
  bool plain = false;
};

class ProjectTokenizer {
 public:
  explicit ProjectTokenizer(std::string_view text) : text_(text) {}

  // A token that stands right behind the one before, as punctuation,
  // numbers and strings mostly do, is taken here; the rest, and the blanks
  // and comments before a token, in NextToken.
  Token Next() {
    if (!ended_by_comment_close_ && position_ < text_.size()) {
      const char c = text_[position_];
      if (core::IsNumberChar(c)) return TakeNumber();
      if (c == '"') return TakeString();
      const Token::Type type = PunctuationType(c);
      if (type != Token::kOther) return {type, text_.substr(position_++, 1)};
    }
    return NextToken();
  }

  // Takes a number of digits alone that stands right here and ends right
  // before a comma (taken with it) or a closing brace (left to Next): the
  // common element of a list of numbers. False, with nothing taken, for
  // anything else. A comma holds no line feed: Line() tells the line that
  // it would tell right behind the digits.
  bool TakeListNumber(std::string_view& digits) {
    std::size_t end = position_;
    while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
    if (end == position_ || end == text_.size() || ended_by_comment_close_) return false;
    const char after = text_[end];
    if (after != ',' && after != '}') return false;
    digits = text_.substr(position_, end - position_);
    position_ = after == ',' ? end + 1 : end;
    return true;
  }

  // True when the character behind the last token starts a number.
  bool NumberFollows() const;

  // 1 plus the number of line feeds read so far.
  int Line() const;

  // True after a "*/" outside any comment ended the text.
  bool EndedByCommentClose() const { return ended_by_comment_close_; }

 private:
  // The token of a character that is one alone; kOther for any other.
  static Token::Type PunctuationType(char c) {
    switch (c) {
      case '{':
        return Token::kOpenBrace;
      case '}':
        return Token::kCloseBrace;
      case ',':
        return Token::kComma;
      case '=':
        return Token::kEquals;
      default:
        return Token::kOther;
    }
  }

  // The number that starts at position_.
  Token TakeNumber() {
    const std::size_t start = position_;
    do {
      ++position_;
    } while (position_ < text_.size() && core::IsNumberChar(text_[position_]));
    return {Token::kNumber, text_.substr(start, position_ - start)};
  }

  // The string that starts at position_, or the rest of the text as a
  // kOther token when it is never closed.
  Token TakeString();
  Token NextToken();
  // Where the next token starts from at on, past blanks and comments.
  std::size_t SkipBlanksAndComments(std::size_t at) const;

  std::string_view text_;
  std::size_t position_ = 0;
  bool ended_by_comment_close_ = false;
};

}  // namespace vellum::project
