#include "project/project_tokenizer.h"

#include <algorithm>
#include <array>
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

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Whether a byte may stand in a word after its first letter, looked up per
// byte rather than asked of the text helpers.
const std::array<bool, 256> kWordChars = [] {
  std::array<bool, 256> word_chars{};
  for (std::size_t i = 0; i < word_chars.size(); ++i) {
    word_chars[i] = !core::IsWordDelimiter(static_cast<char>(i));
  }
  return word_chars;
}();

bool IsWordChar(char c) { return kWordChars[static_cast<unsigned char>(c)]; }

// The key words (the keys and the script kinds' keys) by length and first
// letter, so that a word is compared with the one or two that could match.
class KeyTable {
 public:
  KeyTable() {
    for (int key = 0; key < static_cast<int>(std::size(kKeyNames)); ++key) Add(kKeyNames[key], key);
    for (int kind = 1; kind <= kScriptKindCount; ++kind) {
      Add(KindKey(kind), kFirstItemKey + kind - 1);
    }
  }

  // word starts with a letter.
  int Find(std::string_view word) const {
    if (word.size() >= kLongest) return kUnknownKey;
    for (const auto& [name, key] : buckets_[Bucket(word)]) {
      if (core::EqualsNoCase(word, name)) return key;
    }
    return kUnknownKey;
  }

 private:
  static constexpr std::size_t kLongest = 20;
  static constexpr std::size_t kLetters = 26;

  static std::size_t Bucket(std::string_view word) {
    return word.size() * kLetters + (core::ToLowerAscii(word[0]) - 'a');
  }
  void Add(std::string_view name, int key) { buckets_[Bucket(name)].emplace_back(name, key); }

  std::array<std::vector<std::pair<std::string_view, int>>, kLongest * kLetters> buckets_;
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

std::size_t ProjectTokenizer::SkipBlanksAndComments(std::size_t at) const {
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  while (at < size) {
    if (core::IsBlank(text[at])) {
      ++at;
      continue;
    }
    if (text[at] != '/' || at + 1 == size) break;
    if (text[at + 1] == '/') {
      // A line comment ends at a carriage return only, not at a lone line feed.
      const std::size_t end = text_.find('\r', at + 2);
      at = end == std::string_view::npos ? size : end;
    } else if (text[at + 1] == '*') {
      const std::size_t end = text_.find("*/", at + 2);
      at = end == std::string_view::npos ? size : end + 2;
    } else {
      break;
    }
  }
  return at;
}

Token ProjectTokenizer::TakeString() {
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  const std::size_t start = position_;
  // A backslash takes the next character into the string, quote included.
  std::size_t end = start + 1;
  bool plain = true;
  for (;;) {
    end = core::FindAnyOf<'"', '\\', '\0'>(text_, end);
    if (end >= size || text[end] == '"') break;
    plain = false;
    end += text[end] == '\\' ? 2 : 1;
  }
  if (end >= size) {  // never closed
    position_ = size;
    return {Token::kOther, text_.substr(start)};
  }
  position_ = end + 1;
  return {Token::kString, std::string_view(text + start + 1, end - start - 1), -1, plain};
}

Token ProjectTokenizer::NextToken() {
  if (ended_by_comment_close_) return {};
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  const std::size_t start = SkipBlanksAndComments(position_);
  position_ = start;
  if (start == size) return {};

  const char c = text[start];
  if (core::IsNumberChar(c)) return TakeNumber();
  std::size_t end = start + 1;
  if (IsLetter(c)) {
    while (end < size && IsWordChar(text[end])) ++end;
    position_ = end;
    const std::string_view word(text + start, end - start);
    return {Token::kWord, word, kKeys.Find(word)};
  }
  const std::string_view rest = text_.substr(start);
  if (c == '"') return TakeString();
  if (rest.starts_with("*/")) {
    position_ += 2;
    ended_by_comment_close_ = true;
    return {};
  }
  if (c == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      position_ = size;
      return {Token::kSection, rest.substr(1), kUnknownSection};
    }
    position_ += close + 1;
    std::string_view name = rest.substr(1, close - 1);
    return {Token::kSection, name, LookUpSection(name)};
  }

  ++position_;
  return {PunctuationType(c), rest.substr(0, 1)};
}

bool ProjectTokenizer::NumberFollows() const {
  return position_ < text_.size() && core::IsNumberChar(text_[position_]);
}

int ProjectTokenizer::Line() const {
  const std::string_view read = text_.substr(0, std::min(position_, text_.size()));
  return 1 + static_cast<int>(std::count(read.begin(), read.end(), '\n'));
}

}  // namespace vellum::project
