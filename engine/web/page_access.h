// Reading pages and files by name, whatever the name: local paths are read
// from disk, web addresses are downloaded once per process and then read
// from their temporary copy. Every caller of the engine goes through these
// three operations. Also reads a page's title and META description.
#pragma once

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

// The title and META description of a page; absent when the page has none.
struct PageHeadInfo {
  std::optional<std::string> title;
  std::optional<std::string> description;
};

// Walks the whole page from its start: the text right behind the first
// TITLE start tag is the title (exactly as it stands; empty when no text
// follows), and the CONTENT of the last META whose NAME is "description" (in
// any case) is the description. False, with "memory overflou" reported, when
// a copy could not be made.
bool ReadHead(TagTokenizer& tokenizer, PageHeadInfo& head);

}  // namespace vellum::web
