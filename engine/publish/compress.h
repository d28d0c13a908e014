// Page compression: one pass of the tag tokenizer over a page, editing it in
// place. It removes white space that does not change how the page reads,
// joins lines, drops comments, deletes the tags of a remove list and renames
// long phrase tags, leaving the content of selected elements untouched.
#pragma once

#include <optional>
#include <string>

#include "core/file_loading.h"
#include "web/tag_tokenizer.h"

namespace vellum::publish {

// CompressFlags: the project's CompessProperties word.
inline constexpr unsigned kJoinLines = 0x1;        // line feeds in tokens become spaces
inline constexpr unsigned kRemoveReturns = 0x2;    // and the result is written in binary mode
inline constexpr unsigned kRemoveSpaces = 0x4;     // spaces and tabs in front of tokens
inline constexpr unsigned kRemoveComments = 0x10;  // "<!-- -->" and COMMENT elements
inline constexpr unsigned kKeepPre = 0x20;         // PRE elements stay untouched
inline constexpr unsigned kKeepStyle = 0x40;       // STYLE
inline constexpr unsigned kKeepTextarea = 0x80;    // TEXTAREA
inline constexpr unsigned kKeepScript = 0x100;     // SCRIPT
inline constexpr unsigned kKeepCfmail = 0x200;     // CFMAIL
inline constexpr unsigned kStrongToB = 0x400;
inline constexpr unsigned kStrikeToS = 0x800;
inline constexpr unsigned kBlockquoteToUl = 0x1000;
inline constexpr unsigned kEmToI = 0x2000;
inline constexpr unsigned kVarToI = 0x4000;
inline constexpr unsigned kCiteToI = 0x8000;
inline constexpr unsigned kAddressToI = 0x10000;
inline constexpr unsigned kCodeToTt = 0x20000;
inline constexpr unsigned kKbdToTt = 0x40000;
inline constexpr unsigned kSampToTt = 0x80000;

// Compresses the tokenizer's text in place. The first compression of the
// process announces itself ("Compress Page"); each one reports the display
// name (when given) and the sizes before and after through the info
// callback. remove_list is a ";"-separated list of tag names (or null) whose
// start and end tags are deleted, their content kept.
void Compress(const char* display_name, web::TagTokenizer& tokenizer, unsigned flags,
              const char* remove_list);

// Compresses text and writes the result to output when one is given, else
// back over display_name, but only when the text changed. Written in binary
// mode with kRemoveReturns, else in text mode. False when the file could not
// be written (reported through the error callback).
bool CompressFile(const char* display_name, core::LoadedText text, const char* output,
                  unsigned flags, const char* remove_list);

// Compresses page (loaded silently) into a new temporary file and returns
// that file's path, for the caller to use in place of the page and to delete
// afterwards. Nothing when the page cannot be loaded or the copy cannot be
// written: the page is then to be used as it is.
std::optional<std::string> CompressCopy(const char* page, unsigned flags);

}  // namespace vellum::publish
