// A forgiving single-pass HTML tokenizer over one page held in memory. It
// yields start tags, end tags, unknown tags and runs of text, parses the
// attributes of the current start tag on demand, can skip to a closing tag
// and can insert or delete bytes while it walks. It never fails on input:
// malformed markup is passed over.
//
// Positions are byte offsets into the text, so they stay meaningful when an
// edit moves the text. The text may hold NUL bytes; everything is bounded by
// the length, not by the terminating NUL.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_loading.h"
#include "web/tag_tables.h"

namespace vellum::web {

enum class TokenKind : int {
  kEnd = 0,         // no more text
  kStartTag = 1,    // a known tag name after "<"
  kEndTag = 2,      // a known tag name after "</"
  kUnknownTag = 3,  // a tag whose name is not in the tag table, opening or closing
  kText = 4,
};

// Observable limits of the tokenizer.
inline constexpr std::size_t kMaxTagName = 125;
inline constexpr std::size_t kMaxAttributeName = 49;
inline constexpr int kMaxAttributes = 60;  // the ones beyond are parsed over and dropped

// One attribute of the current start tag. Positions are offsets into the
// text, valid until the next token or the next edit.
struct Attribute {
  bool known = false;    // in the tag's allowed list and in the attribute table
  int table_row = -1;    // kAttributeTable index when known
  std::size_t name = 0;  // first byte of the name
  std::size_t name_end = 0;
  bool has_value = false;            // the name was followed by "="
  std::optional<std::size_t> value;  // first byte of the value, if there is one
  std::size_t value_length = 0;
};

class TagTokenizer {
 public:
  TagTokenizer() = default;
  TagTokenizer(const TagTokenizer&) = delete;
  TagTokenizer& operator=(const TagTokenizer&) = delete;

  // Takes ownership of text and starts a walk from its first byte.
  void Attach(core::LoadedText text);
  // Attaches a copy of bytes. False (and nothing attached) when memory ran out.
  bool AttachCopy(std::string_view bytes);

  void Rewind();

  // Moves to the next token and forgets the attributes of the previous one.
  TokenKind Next();
  // Moves to the next start tag, or the end: kStartTag or kEnd. What lies
  // between is passed over as Next would pass over it, but text goes by in
  // one search for "<" and end tags without a look at their names.
  TokenKind NextStartTag();

  TokenKind kind() const { return kind_; }
  // The tag table row of the current StartTag or EndTag, else null.
  const TagInfo* tag() const { return tag_; }

  // The first known attribute of the current StartTag whose name equals name
  // without regard to case, or null. Parses the tag's attributes on first use.
  const Attribute* FindAttribute(std::string_view name);
  // The value of that attribute; nothing when it is missing or has no value.
  std::optional<std::string_view> AttributeValue(std::string_view name);
  std::string_view ValueOf(const Attribute& attribute) const;
  // The first attribute of the current StartTag written as name (without
  // regard to case), known or not: for attributes that the tag tables leave
  // out, such as the CHARSET of META.
  const Attribute* FindAttributeAsWritten(std::string_view name);

  // Moves to just behind the next occurrence of text (without regard to
  // case). When there is none, the position and the token begin go to the
  // end and the result is false.
  bool SkipTo(std::string_view text);
  // Where the first occurrence of text (without regard to case) at or
  // behind from begins; npos when there is none.
  std::size_t Find(std::string_view text, std::size_t from) const;
  // Moves to at; with npos (or any place beyond the end), the position and
  // the token begin go to the end.
  void MoveTo(std::size_t at);

  // Inserts delta bytes (left for the caller to fill) or deletes -delta
  // bytes at offset at. Returns the new address of at, or null when the text
  // could not grow (it is then unchanged). Parsed attributes are forgotten.
  char* Edit(std::size_t at, std::ptrdiff_t delta);

  void MarkModified() { modified_ = true; }
  bool IsModified() const { return modified_; }

  char* text() { return text_.data.get(); }
  const char* text() const { return text_.data.get(); }
  std::size_t length() const { return text_.length; }
  std::size_t position() const { return position_; }
  std::size_t token_start() const { return token_start_; }  // before the blanks
  std::size_t token_begin() const { return token_begin_; }  // the "<" or the first text byte
  std::size_t attributes_start() const { return attributes_start_; }
  // The bytes of the current token, from its begin to the position.
  std::string_view TokenText() const;

 private:
  void ReadTagName();
  void StepOverTagEnd();
  void ParseAttributes();

  core::LoadedText text_;
  std::size_t position_ = 0;
  std::size_t token_start_ = 0;
  std::size_t token_begin_ = 0;
  std::size_t attributes_start_ = 0;
  std::size_t tag_end_ = 0;  // just behind the ">" of the current tag
  TokenKind kind_ = TokenKind::kEnd;
  const TagInfo* tag_ = nullptr;
  bool modified_ = false;
  bool attributes_parsed_ = false;
  std::vector<Attribute> attributes_;
};

// Walks the start tags of the page from its first byte, passing over raw
// content (SCRIPT, APPLET), and calls visit with each one's name while the
// tokenizer is on it.
template <typename Visit>
void WalkStartTags(TagTokenizer& tokenizer, Visit visit) {
  tokenizer.Rewind();
  while (tokenizer.NextStartTag() != TokenKind::kEnd) {
    const TagInfo& tag = *tokenizer.tag();
    if (tag.content == kRawContent) {
      tokenizer.SkipTo("</" + std::string(tag.name) + ">");
      continue;
    }
    visit(std::string_view(tag.name));
  }
}

}  // namespace vellum::web
