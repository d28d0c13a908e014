#include "project/project_tokenizer.h"

#include <algorithm>

#include "core/text_utils.h"
#include "project/file_format.h"

namespace vellum::project {
namespace {

constexpr std::string_view kKeyNames[] = {
    "FormatVersion",
    "Type",
    "Source",
    "Description",
    "Macros",
    "Output",
    "AddFile",
    "RemoveFile",
    "UploadProperties",
    "CompessProperties",
    "HFiles",
    "MapItem",
    "GalItem",
    "Mp3Item",
    "PageLimit",
    "DepthLimit",
    "Include",
    "Exclude",
    "Order",
    "SiteURL",
    "ScanBase",
    "Modified",
    "SitemapExtras",
    "Images",
    "Alternates",
    "Mode",
    "Flags",
    "Base",
    "Entry",
    "Address",
    "Page",
    "Markup",
    "Lang",
    "Target",
};
constexpr std::string_view kSectionNames[] = {"Common",     "ScriptMacros", "ScriptList",
                                              "VellumSite", "VellumScan",   "VellumPage"};
constexpr int kScriptKindCount = VELLUM_KIND_SMP3LIST;
// Longer section names are never looked up.
constexpr std::size_t kMaxSectionName = 90;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return !core::IsWordDelimiter(c); }

int LookUpKey(std::string_view word) {
  for (int key = 0; key < static_cast<int>(std::size(kKeyNames)); ++key) {
    if (core::EqualsNoCase(word, kKeyNames[key])) return key;
  }
  for (int kind = 1; kind <= kScriptKindCount; ++kind) {
    if (core::EqualsNoCase(word, KindKey(kind))) return kFirstItemKey + kind - 1;
  }
  return kUnknownKey;
}

int LookUpSection(std::string_view name) {
  if (name.size() > kMaxSectionName) return kUnknownSection;
  for (int section = 0; section < static_cast<int>(std::size(kSectionNames)); ++section) {
    if (core::EqualsNoCase(name, kSectionNames[section])) return section;
  }
  return kUnknownSection;
}

}  // namespace

void ProjectTokenizer::SkipBlanksAndComments() {
  while (position_ < text_.size()) {
    const std::string_view rest = text_.substr(position_);
    if (core::IsBlank(rest[0])) {
      ++position_;
    } else if (rest.starts_with("//")) {
      // A line comment ends at a carriage return only, not at a lone line feed.
      const std::size_t end = rest.find('\r', 2);
      position_ = end == std::string_view::npos ? text_.size() : position_ + end;
    } else if (rest.starts_with("/*")) {
      const std::size_t end = rest.find("*/", 2);
      position_ = end == std::string_view::npos ? text_.size() : position_ + end + 2;
    } else {
      return;
    }
  }
}

std::string_view ProjectTokenizer::TakeWhile(std::size_t from, bool (*belongs)(char)) {
  std::size_t end = from;
  while (end < text_.size() && belongs(text_[end])) ++end;
  const std::size_t start = position_;
  position_ = end;
  return text_.substr(start, end - start);
}

Token ProjectTokenizer::Next() {
  if (ended_by_comment_close_) return {};
  SkipBlanksAndComments();
  if (position_ >= text_.size()) return {};

  const std::string_view rest = text_.substr(position_);
  const char c = rest[0];
  if (rest.starts_with("*/")) {
    position_ += 2;
    ended_by_comment_close_ = true;
    return {};
  }
  if (core::IsNumberChar(c)) return {Token::kNumber, TakeWhile(position_, core::IsNumberChar)};
  if (IsLetter(c)) {
    std::string_view word = TakeWhile(position_ + 1, IsWordChar);
    return {Token::kWord, word, LookUpKey(word)};
  }
  if (c == '"') {
    // A backslash takes the next character into the string, quote included.
    std::size_t end = 1;
    while (end < rest.size() && rest[end] != '"') end += rest[end] == '\\' ? 2 : 1;
    if (end >= rest.size()) {  // never closed
      position_ = text_.size();
      return {Token::kOther, rest};
    }
    position_ += end + 1;
    return {Token::kString, rest.substr(1, end - 1)};
  }
  if (c == '[') {
    const std::size_t end = rest.find(']');
    if (end == std::string_view::npos) {
      position_ = text_.size();
      return {Token::kSection, rest.substr(1), kUnknownSection};
    }
    position_ += end + 1;
    std::string_view name = rest.substr(1, end - 1);
    return {Token::kSection, name, LookUpSection(name)};
  }

  ++position_;
  const std::string_view one = rest.substr(0, 1);
  switch (c) {
    case '{':
      return {Token::kOpenBrace, one};
    case '}':
      return {Token::kCloseBrace, one};
    case ',':
      return {Token::kComma, one};
    case '=':
      return {Token::kEquals, one};
    default:
      return {Token::kOther, one};
  }
}

bool ProjectTokenizer::NumberFollows() const {
  return position_ < text_.size() && core::IsNumberChar(text_[position_]);
}

int ProjectTokenizer::Line() const {
  const std::string_view read = text_.substr(0, std::min(position_, text_.size()));
  return 1 + static_cast<int>(std::count(read.begin(), read.end(), '\n'));
}

}  // namespace vellum::project
