#include "publish/compress.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "core/messages.h"
#include "core/text_utils.h"
#include "web/page_access.h"
#include "web/temporary_files.h"

namespace vellum::publish {
namespace {

// Where no temporary file can be made, the copy goes into the current folder.
constexpr const char* kFallbackCopy = "_temp.file.comp_temp_";

struct Rename {
  std::string_view tag;
  unsigned flag;
  std::string_view replacement;
};

constexpr Rename kRenames[] = {
    {"STRONG", kStrongToB, "B"},
    {"STRIKE", kStrikeToS, "S"},
    {"BLOCKQUOTE", kBlockquoteToUl, "UL"},
    {"EM", kEmToI, "I"},
    {"VAR", kVarToI, "I"},
    {"CITE", kCiteToI, "I"},
    {"ADDRESS", kAddressToI, "I"},
    {"CODE", kCodeToTt, "TT"},
    {"KBD", kKbdToTt, "TT"},
    {"SAMP", kSampToTt, "TT"},
};

struct Untouched {
  std::string_view tag;
  unsigned flag;
};

constexpr Untouched kUntouched[] = {
    {"PRE", kKeepPre},       {"STYLE", kKeepStyle},   {"TEXTAREA", kKeepTextarea},
    {"SCRIPT", kKeepScript}, {"CFMAIL", kKeepCfmail},
};

std::string_view ReplacementOf(const web::TagInfo& tag, unsigned flags) {
  for (const Rename& rename : kRenames) {
    if (rename.tag == tag.name && (flags & rename.flag) != 0) return rename.replacement;
  }
  return {};
}

bool IsUntouched(const web::TagInfo& tag, unsigned flags) {
  for (const Untouched& untouched : kUntouched) {
    if (untouched.tag == tag.name) return (flags & untouched.flag) != 0;
  }
  return false;
}

// Deletes the text from from up to the tokenizer's position.
void DeleteUpToPosition(web::TagTokenizer& tokenizer, std::size_t from) {
  tokenizer.Edit(from, -static_cast<std::ptrdiff_t>(tokenizer.position() - from));
}

// The bytes of [from, to) were compacted to [from, kept_end): the rest goes.
void DropTail(web::TagTokenizer& tokenizer, std::size_t kept_end, std::size_t to) {
  tokenizer.Edit(kept_end, -static_cast<std::ptrdiff_t>(to - kept_end));
}

// The blanks between the previous token and this one; with keep_one, a run
// that the flags would remove whole leaves one space.
void TreatBlanksBefore(web::TagTokenizer& tokenizer, unsigned flags, bool keep_one) {
  char* text = tokenizer.text();
  const std::size_t from = tokenizer.token_start();
  const std::size_t to = tokenizer.token_begin();
  std::size_t out = from;
  for (std::size_t in = out; in < to; ++in) {
    const char c = text[in];
    const bool drop = ((flags & kRemoveSpaces) != 0 && (c == ' ' || c == '\t')) ||
                      ((flags & kJoinLines) != 0 && (c == '\n' || c == '\r'));
    if (!drop) text[out++] = c;
  }
  if (keep_one && out == from && to > from) text[out++] = ' ';
  DropTail(tokenizer, out, to);
}

// The bytes of the token itself, compacted in place.
void TreatToken(web::TagTokenizer& tokenizer, web::TokenKind kind, unsigned flags) {
  char* text = tokenizer.text();
  const std::size_t begin = tokenizer.token_begin();
  const std::size_t end = tokenizer.position();
  std::size_t in = begin;
  std::size_t out = begin;
  bool changed = false;

  if (kind == web::TokenKind::kStartTag || kind == web::TokenKind::kEndTag) {
    if (std::string_view replacement = ReplacementOf(*tokenizer.tag(), flags);
        !replacement.empty()) {
      // "<" or "</" stay; the name shrinks to its replacement.
      out = tokenizer.attributes_start() - std::strlen(tokenizer.tag()->name);
      std::memcpy(text + out, replacement.data(), replacement.size());
      out += replacement.size();
      in = tokenizer.attributes_start();
      changed = true;
    }
  }

  char quote = 0;
  char previous = in > begin ? text[in - 1] : '\0';
  for (; in < end; previous = text[in++]) {
    char c = text[in];
    if (quote != 0) {
      // A quoted run is copied as it stands; it ends at its closing quote
      // (unless a backslash keeps it) or at the end of the line.
      if (c != '\n' && c != '\r') {
        if (c == quote && previous != '\\') quote = 0;
        text[out++] = c;
        continue;
      }
      quote = 0;
    }
    if (c == '\n' && (flags & kJoinLines) != 0) {
      c = ' ';
      changed = true;
    } else if (c == '\r' && (flags & (kJoinLines | kRemoveReturns)) != 0) {
      changed = true;
      continue;
    } else if (c == '"' || c == '\'') {
      quote = c;
    }
    if (c == ' ' && out > begin && text[out - 1] == ' ') {
      changed = true;
      continue;
    }
    text[out++] = c;
  }
  if (out < end) {
    DropTail(tokenizer, out, end);
  } else if (changed) {
    tokenizer.MarkModified();
  }
}

// Whether the current token is markup that may stand inside a line of
// text (a tag not marked block, or one the tables do not know), so that
// white space next to it separates words.
bool IsInlineMarkup(const web::TagTokenizer& tokenizer, web::TokenKind kind) {
  if (kind == web::TokenKind::kUnknownTag) return true;
  if (kind != web::TokenKind::kStartTag && kind != web::TokenKind::kEndTag) return false;
  return !tokenizer.tag()->block && tokenizer.tag()->content != web::kMarkupComment;
}

// Inline start tags keep the blanks in front of them: they separate words.
// So do the blanks behind inline markup, "a <B>b</B> c", down to one where
// the flags would remove them all, unless a block tag follows.
void TreatWhiteSpace(web::TagTokenizer& tokenizer, web::TokenKind kind, unsigned flags,
                     bool after_inline) {
  const bool known_tag = kind == web::TokenKind::kStartTag || kind == web::TokenKind::kEndTag;
  if (kind != web::TokenKind::kStartTag || tokenizer.tag()->block) {
    TreatBlanksBefore(tokenizer, flags, after_inline && !(known_tag && tokenizer.tag()->block));
  }
  TreatToken(tokenizer, kind, flags);
}

std::string ClosingTag(const web::TagInfo& tag) { return "</" + std::string(tag.name) + ">"; }

// Handles a start or end tag that is deleted or passed over whole, with
// the blanks in front of it; false when its white space is still to be
// treated.
bool DeleteOrPassOver(web::TagTokenizer& tokenizer, web::TokenKind kind, unsigned flags,
                      const char* remove_list) {
  const web::TagInfo& tag = *tokenizer.tag();
  if (core::InList(tag.name, remove_list)) {
    DeleteUpToPosition(tokenizer, tokenizer.token_begin());
    return true;
  }
  if (kind == web::TokenKind::kStartTag && IsUntouched(tag, flags)) {
    tokenizer.SkipTo(ClosingTag(tag));
    return true;
  }
  return false;
}

// A comment goes with its content when comments are removed; the blanks in
// front of it are then treated as those of an empty token. A COMMENT element
// that stays is one token with its content. False when its closing tag is
// missing: the rest of the page is then left as it is.
bool TreatComment(web::TagTokenizer& tokenizer, unsigned flags) {
  const web::TagInfo& tag = *tokenizer.tag();
  const std::size_t start = tokenizer.token_begin();
  if (tag.content == web::kCommentContent && !tokenizer.SkipTo(ClosingTag(tag))) return false;
  if ((flags & kRemoveComments) != 0) DeleteUpToPosition(tokenizer, start);
  return true;
}

void ReportSizes(std::size_t original, std::size_t compressed) {
  const std::size_t saved = original - compressed;
  const int percent = original == 0 ? 0 : static_cast<int>(saved * 100 / original);
  core::ReportInfo(
      core::FormatText(" Original size (%i), compresed size (%i), Deflating (%i%%), done.\n",
                       static_cast<int>(original), static_cast<int>(compressed), percent)
          .c_str());
}

}  // namespace

void Compress(const char* display_name, web::TagTokenizer& tokenizer, unsigned flags,
              const char* remove_list) {
  static bool announced = false;
  const std::size_t original = tokenizer.length();
  if (!announced) {
    announced = true;
    core::ReportInfo("Compress Page\n");
  }
  if (display_name != nullptr) {
    core::ReportInfo("   ");
    core::ReportInfo(display_name);
    core::ReportInfo(":");
  }

  tokenizer.Rewind();
  bool after_inline = false;  // the token before was inline markup
  for (web::TokenKind kind; (kind = tokenizer.Next()) != web::TokenKind::kEnd;) {
    const bool known_tag = kind == web::TokenKind::kStartTag || kind == web::TokenKind::kEndTag;
    const bool inline_markup = IsInlineMarkup(tokenizer, kind);
    if (known_tag && DeleteOrPassOver(tokenizer, kind, flags, remove_list)) {
      after_inline = inline_markup;
      continue;
    }
    if (kind == web::TokenKind::kStartTag &&
        (tokenizer.tag()->content == web::kMarkupComment ||
         tokenizer.tag()->content == web::kCommentContent) &&
        !TreatComment(tokenizer, flags)) {
      break;
    }
    TreatWhiteSpace(tokenizer, kind, flags, after_inline);
    after_inline = inline_markup;
  }
  ReportSizes(original, tokenizer.length());
}

bool CompressFile(const char* display_name, core::LoadedText text, const char* output,
                  unsigned flags, const char* remove_list) {
  web::TagTokenizer tokenizer;
  tokenizer.Attach(std::move(text));
  Compress(display_name, tokenizer, flags, remove_list);
  const char* target = output != nullptr ? output : display_name;
  if (target == nullptr || (output == nullptr && !tokenizer.IsModified())) return true;
  return web::WritePageFile(
      target, std::string_view(tokenizer.text(), tokenizer.length()),
      (flags & kRemoveReturns) != 0 ? core::FileMode::kWriteBinary : core::FileMode::kWriteText);
}

std::optional<std::string> CompressCopy(const char* page, unsigned flags) {
  core::LoadedText text;
  if (!web::LoadPage(page, text, core::kSilent)) return std::nullopt;
  std::string copy;
  const int fd = web::CreateTemporaryFile(copy);
  if (fd >= 0) {
    close(fd);
  } else {
    copy = kFallbackCopy;
  }
  if (!CompressFile(page, std::move(text), copy.c_str(), flags, nullptr)) {
    if (fd >= 0) std::remove(copy.c_str());
    return std::nullopt;
  }
  return copy;
}

}  // namespace vellum::publish
