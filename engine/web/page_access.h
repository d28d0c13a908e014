// Reading pages and files by name, whatever the name: local paths are read
// from disk, web addresses are downloaded once per process and then read
// from their temporary copy. Every caller of the engine goes through these
// three operations. Also reads a page's title and META description.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_loading.h"
#include "core/text_file.h"
#include "web/tag_tokenizer.h"

namespace vellum::web {

// Loads name whole into out (report_mode as core::LoadFile has it). An
// absent or empty name gives false without a message.
bool LoadPage(const char* name, core::LoadedText& out, int report_mode);

// True when name can be read; never reports. A web address that is not in
// the cache is downloaded (and kept) to find out.
bool PageExists(const char* name);

// The stamp of name. For a web address only the size is known: the length
// of a silent load; the time members stay 0.
bool ReadPageStamp(const char* name, core::FileStamp& out);

// Writes text as the new content of the file path, in mode (text or
// binary), and puts it in place only once it is complete: a failed write
// leaves the old file whole. "can't open file '%s'" or "write error in the
// file" goes to the error callback on failure.
bool WritePageFile(const char* path, std::string_view text, core::FileMode mode);

// Deletes the temporary copies of downloaded pages and closes the
// connection; for the engine's shut-down.
void PurgePageCache();

// What a scan reads from a page's head. Texts are UTF-8, converted from the
// encoding in force (see ReadHead), with character references decoded and
// white space runs (space, tab, CR, LF, FF) collapsed to one space and
// trimmed; each is at most kMaxHeadText bytes, cut at a character.
struct PageHeadInfo {
  std::optional<std::string> title;        // absent when the page has no TITLE
  std::optional<std::string> description;  // absent when no META description
  // The charset the page declares in a META tag (CHARSET, or the charset of
  // an HTTP-EQUIV Content-Type), lower-cased; empty when none.
  std::string charset;
  // From META NAME="robots" or NAME="vellumark": "noindex", "nofollow",
  // "none" (both).
  bool noindex = false;
  bool nofollow = false;
  // The HREF of the first LINK whose REL holds "canonical", references
  // decoded and blanks trimmed, as written: not resolved against the page.
  std::optional<std::string> canonical;
};

inline constexpr std::size_t kMaxHeadText = 1024;

// Walks the whole page from its start; the content of SCRIPT and APPLET is
// passed over. The title is the text of the first TITLE element up to its
// end tag, markup included, as browsers read it; an unclosed TITLE runs to
// the end of the page. The description is the CONTENT of the last META
// whose NAME is "description" (in any case).
//
// The encoding in force is, as browsers choose it (charset.h): the one a
// byte order mark names; else that of http_charset (the answer's
// Content-Type) when it is a label browsers know; else that of the page's
// declaration when it is one (UTF-16 declared by a page that can be read
// as markup is UTF-8); else UTF-8 when the page is valid UTF-8, else
// Windows-1252. A page in UTF-16 (or the replacement encoding) is
// converted to UTF-8 in the tokenizer before its tags are read: whatever
// walks the tokenizer afterwards reads the converted page. False, with
// "memory overflou" reported unless report is false, when a copy could not
// be made. Unreported, it calls no callback: it may run on a thread of its
// own, beside the engine.
//
// With also, others read the page in the same walk: also is called with
// each start tag that WalkStartTags meets, the tokenizer on it, once the
// head has taken from it what it needs.
using StartTagVisitor = std::function<void(std::string_view name)>;
bool ReadHead(TagTokenizer& tokenizer, PageHeadInfo& head, std::string_view http_charset = {},
              bool report = true, const StartTagVisitor& also = {});

}  // namespace vellum::web
