#include "project/project_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

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

// What each byte can be in a token, looked up once per byte rather than
// asked of the text helpers.
enum CharClass : uint8_t {
  kBlank = 1,
  kNumberChar = 2,
  kLetter = 4,
  kWordChar = 8,  // any byte of a word after its first letter
};

std::array<uint8_t, 256> MakeCharClasses() {
  std::array<uint8_t, 256> classes{};
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const char c = static_cast<char>(i);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    classes[i] = static_cast<uint8_t>(
        (core::IsBlank(c) ? kBlank : 0) | (core::IsNumberChar(c) ? kNumberChar : 0) |
        (letter ? kLetter : 0) | (core::IsWordDelimiter(c) ? 0 : kWordChar));
  }
  return classes;
}

const std::array<uint8_t, 256> kCharClasses = MakeCharClasses();

bool Is(char c, int char_class) {
  return (kCharClasses[static_cast<unsigned char>(c)] & char_class) != 0;
}

// The key words (the keys and the script kinds' keys) by length, so that a
// word is compared with the few of its own length.
class KeyTable {
 public:
  KeyTable() {
    for (int key = 0; key < static_cast<int>(std::size(kKeyNames)); ++key) Add(kKeyNames[key], key);
    for (int kind = 1; kind <= kScriptKindCount; ++kind)
      Add(KindKey(kind), kFirstItemKey + kind - 1);
  }

  int Find(std::string_view word) const {
    if (word.size() >= kLongest) return kUnknownKey;
    for (const auto& [name, key] : by_length_[word.size()]) {
      if (core::EqualsNoCase(word, name)) return key;
    }
    return kUnknownKey;
  }

 private:
  static constexpr std::size_t kLongest = 20;

  void Add(std::string_view name, int key) { by_length_[name.size()].emplace_back(name, key); }

  std::vector<std::pair<std::string_view, int>> by_length_[kLongest];
};

const KeyTable kKeys;

int LookUpSection(std::string_view name) {
  if (name.size() > kMaxSectionName) return kUnknownSection;
  for (int section = 0; section < static_cast<int>(std::size(kSectionNames)); ++section) {
    if (core::EqualsNoCase(name, kSectionNames[section])) return section;
  }
  return kUnknownSection;
}

}  // namespace

void ProjectTokenizer::SkipBlanksAndComments() {
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  std::size_t at = position_;
  while (at < size) {
    if (Is(text[at], kBlank)) {
      ++at;
      continue;
    }
    if (text[at] != '/' || at + 1 == size) break;
    const std::string_view rest = text_.substr(at);
    if (rest[1] == '/') {
      // A line comment ends at a carriage return only, not at a lone line feed.
      const std::size_t end = rest.find('\r', 2);
      at = end == std::string_view::npos ? size : at + end;
    } else if (rest[1] == '*') {
      const std::size_t end = rest.find("*/", 2);
      at = end == std::string_view::npos ? size : at + end + 2;
    } else {
      break;
    }
  }
  position_ = at;
}

std::string_view ProjectTokenizer::TakeWhile(std::size_t from, int char_class) {
  std::size_t end = from;
  while (end < text_.size() && Is(text_[end], char_class)) ++end;
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
  if (Is(c, kNumberChar)) return {Token::kNumber, TakeWhile(position_ + 1, kNumberChar)};
  if (Is(c, kLetter)) {
    std::string_view word = TakeWhile(position_ + 1, kWordChar);
    return {Token::kWord, word, kKeys.Find(word)};
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
  if (rest.starts_with("*/")) {
    position_ += 2;
    ended_by_comment_close_ = true;
    return {};
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
  return position_ < text_.size() && Is(text_[position_], kNumberChar);
}

int ProjectTokenizer::Line() const {
  const std::string_view read = text_.substr(0, std::min(position_, text_.size()));
  return 1 + static_cast<int>(std::count(read.begin(), read.end(), '\n'));
}

}  // namespace vellum::project
