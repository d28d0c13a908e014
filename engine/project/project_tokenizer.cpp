#include "project/project_tokenizer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
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
  kWordChar = 8,     // any byte of a word after its first letter
  kStringStop = 16,  // a byte that ends a string's plain run: quote, backslash, NUL
};

std::array<uint8_t, 256> MakeCharClasses() {
  std::array<uint8_t, 256> classes{};
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const char c = static_cast<char>(i);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    classes[i] = static_cast<uint8_t>(
        (core::IsBlank(c) ? kBlank : 0) | (core::IsNumberChar(c) ? kNumberChar : 0) |
        (letter ? kLetter : 0) | (core::IsWordDelimiter(c) ? 0 : kWordChar) |
        (c == '"' || c == '\\' || c == '\0' ? kStringStop : 0));
  }
  return classes;
}

const std::array<uint8_t, 256> kCharClasses = MakeCharClasses();

bool Is(char c, int char_class) {
  return (kCharClasses[static_cast<unsigned char>(c)] & char_class) != 0;
}

// The first quote, backslash or NUL of text from `from` on, size when none.
// Eight bytes are looked at a time: a byte of a word is 0 after the word
// is XORed with the byte looked for, and the lowest such byte shows as the
// lowest bit of (word - 0x01...) & ~word & 0x80... .
std::size_t FindStringStop(const char* text, std::size_t from, std::size_t size) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHighBits = 0x8080808080808080;
    const auto zero_bytes = [](uint64_t word) { return (word - kOnes) & ~word & kHighBits; };
    for (; from + sizeof(uint64_t) <= size; from += sizeof(uint64_t)) {
      uint64_t word;
      std::memcpy(&word, text + from, sizeof word);
      const uint64_t stops =
          zero_bytes(word) | zero_bytes(word ^ (kOnes * '"')) | zero_bytes(word ^ (kOnes * '\\'));
      if (stops != 0) return from + std::countr_zero(stops) / 8;
    }
  }
  while (from < size && !Is(text[from], kStringStop)) ++from;
  return from;
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

std::size_t ProjectTokenizer::SkipBlanksAndComments(std::size_t at) const {
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  while (at < size) {
    if (Is(text[at], kBlank)) {
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

Token ProjectTokenizer::NextToken() {
  if (ended_by_comment_close_) return {};
  const char* const text = text_.data();
  const std::size_t size = text_.size();
  const std::size_t start = SkipBlanksAndComments(position_);
  position_ = start;
  if (start == size) return {};

  const char c = text[start];
  if (Is(c, kNumberChar)) return TakeNumber();
  std::size_t end = start + 1;
  if (Is(c, kLetter)) {
    while (end < size && Is(text[end], kWordChar)) ++end;
    position_ = end;
    const std::string_view word(text + start, end - start);
    return {Token::kWord, word, kKeys.Find(word)};
  }
  const std::string_view rest = text_.substr(start);
  if (c == '"') {
    // A backslash takes the next character into the string, quote included.
    bool plain = true;
    for (;;) {
      end = FindStringStop(text, end, size);
      if (end >= size || text[end] == '"') break;
      plain = false;
      end += text[end] == '\\' ? 2 : 1;
    }
    if (end >= size) {  // never closed
      position_ = size;
      return {Token::kOther, rest};
    }
    position_ = end + 1;
    return {Token::kString, std::string_view(text + start + 1, end - start - 1), -1, plain};
  }
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
  return position_ < text_.size() && Is(text_[position_], kNumberChar);
}

int ProjectTokenizer::Line() const {
  const std::string_view read = text_.substr(0, std::min(position_, text_.size()));
  return 1 + static_cast<int>(std::count(read.begin(), read.end(), '\n'));
}

}  // namespace vellum::project
