// The lexical view of a project file: blanks and comments skipped, then
// numbers, words looked up in the key table, quoted strings, section names
// and single punctuation characters. Tokens are views into the text, which
// the caller keeps alive for as long as it uses them.
#pragma once

#include <cstddef>
#include <string_view>

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
};

class ProjectTokenizer {
 public:
  explicit ProjectTokenizer(std::string_view text) : text_(text) {}

  Token Next();

  // True when the character behind the last token starts a number.
  bool NumberFollows() const;

  // 1 plus the number of line feeds read so far.
  int Line() const;

  // True after a "*/" outside any comment ended the text.
  bool EndedByCommentClose() const { return ended_by_comment_close_; }

 private:
  void SkipBlanksAndComments();
  // Takes the token from position_ on, ending before the first character
  // from `from` on that is not of char_class (a mask of the .cpp's classes).
  std::string_view TakeWhile(std::size_t from, int char_class);

  std::string_view text_;
  std::size_t position_ = 0;
  bool ended_by_comment_close_ = false;
};

}  // namespace vellum::project
