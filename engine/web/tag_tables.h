// The constant tables behind the HTML tokenizer: 105 tag rows and 94
// attribute names, in their fixed order. Names are upper case and compared
// without regard to case.
#pragma once

#include <bitset>
#include <string_view>

namespace vellum::web {

// What the content of a tag is to the operations that walk a page.
enum ContentKind : int {
  kMarkupComment = 0,   // "<!-- ... -->": one token up to "-->", no attributes
  kCommentContent = 1,  // COMMENT: its content up to the closing tag is passed over
  kNormalContent = 2,
  kEmptyContent = 3,  // tags without content; treated as kNormalContent
  kRawContent = 4,    // APPLET, SCRIPT: content up to the closing tag is not markup
  kPreformatted = 5,  // PRE; treated as kNormalContent
};

inline constexpr int kTagCount = 105;
inline constexpr int kAttributeCount = 94;

struct TagInfo {
  const char* name;
  bool block;  // white space in front of it may be removed when packing a page
  ContentKind content;
  // ";"-separated attribute names; "*": attributes are never parsed; null: no
  // attribute of the tag is ever known.
  const char* allowed;
};

extern const TagInfo kTagTable[kTagCount];
extern const char* const kAttributeTable[kAttributeCount];

// The row of the tag named name, or null.
const TagInfo* FindTag(std::string_view name);

// The index of name in kAttributeTable, or -1.
int FindAttributeName(std::string_view name);

// The attributes of tag's allowed list that are in kAttributeTable, by index.
const std::bitset<kAttributeCount>& KnownAttributes(const TagInfo& tag);

}  // namespace vellum::web
