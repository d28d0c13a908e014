#include "web/tag_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "core/memory.h"
#include "core/text_utils.h"

namespace vellum::web {
namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The first place at or after from where pattern matches without regard to
// case, or kNotFound.
std::size_t FindNoCase(std::string_view text, std::size_t from, std::string_view pattern) {
  if (pattern.empty() || text.size() < pattern.size()) return kNotFound;
  const std::size_t last = text.size() - pattern.size();
  const char lower = core::ToLowerAscii(pattern[0]);
  const char upper = (lower >= 'a' && lower <= 'z') ? static_cast<char>(lower - 'a' + 'A') : lower;
  for (std::size_t at = from; at <= last; ++at) {
    if (lower == upper) {
      const void* found = std::memchr(text.data() + at, lower, last - at + 1);
      if (found == nullptr) return kNotFound;
      at = static_cast<const char*>(found) - text.data();
    } else if (text[at] != lower && text[at] != upper) {
      continue;
    }
    if (core::EqualsNoCase(text.substr(at, pattern.size()), pattern)) return at;
  }
  return kNotFound;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// The classes of a byte that the walk asks about, one table look-up each:
// tags are read byte by byte, and most of a page's bytes are in its tags.
enum ByteClass : unsigned char {
  kBlank = 1,          // core::IsBlank
  kTagDelimiter = 2,   // core::IsTagNameDelimiter
  kNameDelimiter = 4,  // IsNameDelimiter
  kValueEnd = 8,       // ends an unquoted value: "<", blanks, ">"
};

constexpr std::array<unsigned char, 256> kByteClasses = [] {
  std::array<unsigned char, 256> classes{};
  for (unsigned char c : std::string_view(" \t\n\r")) classes[c] |= kBlank;
  for (unsigned char c : std::string_view("<>=\"' \n\r\0", 9)) {
    classes[c] |= kTagDelimiter | kNameDelimiter;
  }
  classes['/'] |= kNameDelimiter;
  for (unsigned char c : std::string_view("< \t\n\r>\0", 7)) classes[c] |= kValueEnd;
  return classes;
}();

bool Is(char c, ByteClass byte_class) {
  return (kByteClasses[static_cast<unsigned char>(c)] & byte_class) != 0;
}

bool IsBlank(char c) { return Is(c, kBlank); }

// A byte that ends a tag or attribute name: "/" too, which HTML5 reads as a
// separator in front of an attribute (13.2.5.32, 13.2.5.40): "<a/href=x>".
bool IsNameDelimiter(char c) { return Is(c, kNameDelimiter); }

bool IsAsciiLetter(char c) { return static_cast<unsigned char>((c | 0x20) - 'a') < 26; }

// Just behind the ">" that ends a tag whose attributes begin at at, or the
// end of the text. A value that follows "=" in quotes ends only at its
// closing quote, so a ">" inside it is part of the value (HTML5, 13.2.5.36
// and 13.2.5.37); a quote never closed runs to the end of the text.
std::size_t TagEnd(std::string_view text, std::size_t at) {
  while (at < text.size()) {
    // Only a "=" in front of the first ">" can start a value that hides it.
    const void* found = std::memchr(text.data() + at, '>', text.size() - at);
    const std::size_t close =
        found == nullptr ? text.size() : static_cast<const char*>(found) - text.data();
    for (;;) {
      const void* assign = std::memchr(text.data() + at, '=', close - at);
      if (assign == nullptr) return close == text.size() ? close : close + 1;
      at = static_cast<const char*>(assign) - text.data() + 1;
      while (at < text.size() && IsBlank(text[at])) ++at;
      if (at < text.size() && IsQuote(text[at])) {
        const void* quote = std::memchr(text.data() + at + 1, text[at], text.size() - at - 1);
        if (quote == nullptr) return text.size();
        at = static_cast<const char*>(quote) - text.data() + 1;
      } else {
        // An unquoted value runs to a blank or ">" (13.2.5.38): a "=" or
        // quote inside it starts nothing.
        while (at < text.size() && !IsBlank(text[at]) && text[at] != '>') ++at;
      }
      if (at > close) break;  // the ">" was inside the value: look for the next one
    }
  }
  return text.size();
}

// The tokens of an attribute list.
enum class ValueToken { kEnd, kAssign, kValue };

struct ValueScan {
  ValueToken token = ValueToken::kEnd;
  std::size_t begin = 0;
  std::size_t length = 0;
};

// Reads the next value token from at (blanks skipped), within the tag that
// ends at limit. at is left behind the token.
ValueScan ReadValueToken(std::string_view text, std::size_t& at, std::size_t limit) {
  while (at < limit && IsBlank(text[at])) ++at;
  if (at >= limit) return {};
  const char c = text[at];
  if (c == '=') {
    ++at;
    return {ValueToken::kAssign};
  }
  if (IsQuote(c)) {
    const std::size_t close = text.substr(0, limit).find(c, at + 1);
    if (close == std::string_view::npos) {
      at = limit;  // an unclosed string ends the list
      return {};
    }
    ValueScan string{ValueToken::kValue, at + 1, close - at - 1};
    at = close + 1;
    return string;
  }
  const std::size_t begin = at;
  if (c == '-' || IsDigit(c)) {
    ++at;
    while (at < limit && IsDigit(text[at])) ++at;
    ValueScan number{ValueToken::kValue, begin, at - begin};
    if (at < limit) ++at;  // the byte that ends the digits is passed over
    return number;
  }
  while (at < limit && !Is(text[at], kValueEnd)) ++at;
  if (at == begin) return {};  // only the tag's ">" is left
  return {ValueToken::kValue, begin, at - begin};
}

}  // namespace

void TagTokenizer::Attach(core::LoadedText text) {
  text_ = std::move(text);
  modified_ = false;
  Rewind();
}

bool TagTokenizer::AttachCopy(std::string_view bytes) {
  char* copy = static_cast<char*>(core::Reallocate(nullptr, bytes.size() + 1));
  if (copy == nullptr) return false;
  std::memcpy(copy, bytes.data(), bytes.size());
  copy[bytes.size()] = '\0';
  core::LoadedText text;
  text.data.reset(copy);
  text.length = bytes.size();
  Attach(std::move(text));
  return true;
}

void TagTokenizer::Rewind() {
  position_ = token_start_ = token_begin_ = attributes_start_ = tag_end_ = 0;
  kind_ = TokenKind::kEnd;
  tag_ = nullptr;
  attributes_parsed_ = false;
  attributes_.clear();
}

std::string_view TagTokenizer::TokenText() const {
  return std::string_view(text(), length()).substr(token_begin_, position_ - token_begin_);
}

TokenKind TagTokenizer::Next() {
  attributes_parsed_ = false;
  attributes_.clear();
  tag_ = nullptr;
  kind_ = TokenKind::kEnd;
  token_start_ = position_;
  const std::string_view page(text(), length());
  while (position_ < page.size() && IsBlank(page[position_])) ++position_;
  if (position_ >= page.size()) return kind_;

  token_begin_ = position_;
  if (page[position_] != '<') {
    const void* tag = std::memchr(page.data() + position_, '<', page.size() - position_);
    position_ = tag == nullptr ? page.size() : static_cast<const char*>(tag) - page.data();
    return kind_ = TokenKind::kText;
  }

  const bool closing = position_ + 1 < page.size() && page[position_ + 1] == '/';
  position_ += closing ? 2 : 1;
  ReadTagName();
  if (tag_ == nullptr) {
    kind_ = TokenKind::kUnknownTag;
  } else {
    kind_ = closing ? TokenKind::kEndTag : TokenKind::kStartTag;
  }

  if (kind_ == TokenKind::kStartTag && tag_->content == kMarkupComment) {
    const std::size_t close = FindNoCase(page, position_, "-->");
    if (close != kNotFound) {
      position_ = tag_end_ = close + 3;
      return kind_;
    }
  }
  StepOverTagEnd();
  return kind_;
}

TokenKind TagTokenizer::NextStartTag() {
  const std::string_view page(text(), length());
  for (;;) {
    const void* tag = position_ < page.size()
                          ? std::memchr(page.data() + position_, '<', page.size() - position_)
                          : nullptr;
    if (tag == nullptr) {
      position_ = page.size();
      return Next();
    }
    position_ = static_cast<const char*>(tag) - page.data();
    if (position_ + 1 < page.size() && page[position_ + 1] == '/') {
      // An end tag ends where it would behind its name: the name holds no
      // ">" and no "=".
      token_begin_ = position_;
      position_ += 2;
      StepOverTagEnd();
      continue;
    }
    const TokenKind kind = Next();
    if (kind == TokenKind::kStartTag || kind == TokenKind::kEnd) return kind;
  }
}

void TagTokenizer::ReadTagName() {
  const std::string_view page(text(), length());
  const std::size_t begin = position_;
  while (position_ < page.size() && position_ - begin < kMaxTagName &&
         !IsNameDelimiter(page[position_])) {
    ++position_;
  }
  attributes_start_ = position_;
  tag_ = FindTag(page.substr(begin, position_ - begin));
}

void TagTokenizer::StepOverTagEnd() {
  const std::string_view page(text(), length());
  // Only a tag whose name begins with a letter has attributes; a markup
  // declaration ("<!...") or processing instruction ends at its first ">"
  // (HTML5, 13.2.5.6 and 13.2.5.41).
  std::size_t name = token_begin_ + 1;
  if (name < page.size() && page[name] == '/') ++name;
  if (name < page.size() && IsAsciiLetter(page[name])) {
    position_ = TagEnd(page, position_);
  } else {
    const std::size_t close = page.find('>', position_);
    position_ = close == std::string_view::npos ? page.size() : close + 1;
  }
  tag_end_ = position_;
}

void TagTokenizer::ParseAttributes() {
  attributes_parsed_ = true;
  if (kind_ != TokenKind::kStartTag || tag_->content == kMarkupComment ||
      (tag_->allowed != nullptr && std::strcmp(tag_->allowed, "*") == 0)) {
    return;
  }
  const std::string_view page(text(), length());
  const std::size_t limit = std::min(tag_end_, page.size());
  const auto& known = KnownAttributes(*tag_);
  std::size_t at = attributes_start_;
  for (;;) {
    // A "/" between attributes separates them like a blank (13.2.5.32).
    while (at < limit && (IsBlank(page[at]) || page[at] == '/')) ++at;
    if (at >= limit || (at + 1 == limit && page[at] == '>')) return;

    Attribute attribute;
    attribute.name = at;
    if (Is(page[at], kTagDelimiter)) {
      ++at;
    } else {
      while (at < limit && at - attribute.name < kMaxAttributeName && !IsNameDelimiter(page[at])) {
        ++at;
      }
    }
    attribute.name_end = at;
    const int row = FindAttributeName(page.substr(attribute.name, at - attribute.name));
    if (row >= 0 && known.test(row)) {
      attribute.known = true;
      attribute.table_row = row;
    }
    const bool recorded = attributes_.size() < static_cast<std::size_t>(kMaxAttributes);
    if (recorded) attributes_.push_back(attribute);

    const std::size_t before = at;
    ValueScan next = ReadValueToken(page, at, limit);
    if (next.token != ValueToken::kAssign) {
      if (next.token == ValueToken::kEnd) return;
      at = before;  // it is the next attribute's name
      continue;
    }
    ValueScan value = ReadValueToken(page, at, limit);
    if (!recorded) continue;
    attributes_.back().has_value = true;
    if (value.token == ValueToken::kValue) {
      attributes_.back().value = value.begin;
      attributes_.back().value_length = value.length;
    }
  }
}

const Attribute* TagTokenizer::FindAttribute(std::string_view name) {
  if (kind_ != TokenKind::kStartTag) return nullptr;
  if (!attributes_parsed_) ParseAttributes();
  for (const Attribute& attribute : attributes_) {
    if (attribute.known && core::EqualsNoCase(kAttributeTable[attribute.table_row], name)) {
      return &attribute;
    }
  }
  return nullptr;
}

const Attribute* TagTokenizer::FindAttributeAsWritten(std::string_view name) {
  if (kind_ != TokenKind::kStartTag) return nullptr;
  if (!attributes_parsed_) ParseAttributes();
  const std::string_view page(text(), length());
  for (const Attribute& attribute : attributes_) {
    if (core::EqualsNoCase(page.substr(attribute.name, attribute.name_end - attribute.name),
                           name)) {
      return &attribute;
    }
  }
  return nullptr;
}

std::string_view TagTokenizer::ValueOf(const Attribute& attribute) const {
  if (!attribute.value) return {};
  return std::string_view(text(), length()).substr(*attribute.value, attribute.value_length);
}

std::optional<std::string_view> TagTokenizer::AttributeValue(std::string_view name) {
  const Attribute* attribute = FindAttribute(name);
  if (attribute == nullptr || !attribute->value) return std::nullopt;
  return ValueOf(*attribute);
}

bool TagTokenizer::SkipTo(std::string_view pattern) {
  const std::size_t found = Find(pattern, position_);
  MoveTo(found == kNotFound ? kNotFound : found + pattern.size());
  return found != kNotFound;
}

std::size_t TagTokenizer::Find(std::string_view pattern, std::size_t from) const {
  return FindNoCase(std::string_view(text(), length()), from, pattern);
}

void TagTokenizer::MoveTo(std::size_t at) {
  if (at > length()) {
    position_ = token_begin_ = length();
  } else {
    position_ = at;
  }
}

char* TagTokenizer::Edit(std::size_t at, std::ptrdiff_t delta) {
  if (text() == nullptr || at > length()) return nullptr;
  if (delta == 0) return text() + at;
  const std::size_t old_length = length();
  std::size_t new_length;
  if (delta > 0) {
    new_length = old_length + static_cast<std::size_t>(delta);
    char* grown = static_cast<char*>(core::Reallocate(text(), new_length + 1));
    if (grown == nullptr) return nullptr;
    (void)text_.data.release();
    text_.data.reset(grown);
    std::memmove(grown + at + delta, grown + at, old_length - at + 1);
  } else {
    const std::size_t removed = std::min(static_cast<std::size_t>(-delta), old_length - at);
    new_length = old_length - removed;
    std::memmove(text() + at, text() + at + removed, old_length - at - removed + 1);
    delta = -static_cast<std::ptrdiff_t>(removed);
  }
  text_.length = new_length;

  // Offsets behind the edit follow it; an offset inside a deleted range
  // lands on its start.
  auto follow = [at, delta](std::size_t& offset, bool at_counts) {
    if (offset > at || (at_counts && offset == at)) {
      offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(
          static_cast<std::ptrdiff_t>(at), static_cast<std::ptrdiff_t>(offset) + delta));
    }
  };
  follow(position_, true);
  follow(tag_end_, true);
  follow(token_begin_, false);
  follow(attributes_start_, false);
  attributes_parsed_ = false;
  attributes_.clear();
  modified_ = true;
  return text() + at;
}

}  // namespace vellum::web
