#include "web/page_access.h"

#include <new>

#include "core/messages.h"
#include "core/text_utils.h"
#include "web/http_download.h"
#include "web/page_cache.h"
#include "web/url_class.h"

namespace vellum::web {

bool LoadPage(const char* name, core::LoadedText& out, int report_mode) {
  out = core::LoadedText{};
  if (name == nullptr || *name == '\0') return false;
  if (!IsWebAddress(name)) return core::LoadFile(name, out, report_mode);

  const std::string address = name;
  if (const std::string* copy = ThePageCache().Find(address)) {
    return core::LoadWholePath(*copy, out, core::kSilent);
  }
  if (!Download(address, out, report_mode)) return false;
  ThePageCache().Store(address, std::string_view(out.data.get(), out.length));
  return true;
}

bool PageExists(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  if (!IsWebAddress(name)) return core::FileExists(name);
  if (ThePageCache().Find(name) != nullptr) return true;
  core::LoadedText ignored;
  return LoadPage(name, ignored, core::kSilent);
}

bool ReadPageStamp(const char* name, core::FileStamp& out) {
  if (name == nullptr || !IsWebAddress(name)) return core::ReadFileStamp(name, out);
  out = core::FileStamp{};
  core::LoadedText text;
  if (!LoadPage(name, text, core::kSilent)) return false;
  out.size = static_cast<std::int32_t>(text.length);
  return true;
}

bool WritePageFile(const char* path, std::string_view text, core::FileMode mode) {
  core::FileReplacement replacement(path, mode);
  if (!replacement.file().IsOpen()) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path);
    return false;
  }
  if (!core::CheckedWrite(replacement.file(), text)) return false;
  if (!replacement.Commit()) {
    core::ReportErrorCode(core::ErrorCode::kWriteError);
    return false;
  }
  return true;
}

void PurgePageCache() {
  ThePageCache().Purge();
  CloseDownloads();
}

bool ReadHead(TagTokenizer& tokenizer, PageHeadInfo& head) {
  head = PageHeadInfo{};
  tokenizer.Rewind();
  try {
    for (TokenKind kind; (kind = tokenizer.Next()) != TokenKind::kEnd;) {
      if (kind != TokenKind::kStartTag) continue;
      const std::string_view tag = tokenizer.tag()->name;
      if (tag == "TITLE" && !head.title) {
        head.title.emplace();
        if (tokenizer.Next() == TokenKind::kText) head.title->assign(tokenizer.TokenText());
      } else if (tag == "META") {
        const Attribute* name = tokenizer.FindAttribute("NAME");
        const Attribute* content = tokenizer.FindAttribute("CONTENT");
        if (name != nullptr && content != nullptr &&
            core::EqualsNoCase(tokenizer.ValueOf(*name), "DESCRIPTION")) {
          head.description.emplace(tokenizer.ValueOf(*content));
        }
      }
    }
  } catch (const std::bad_alloc&) {
    head = PageHeadInfo{};
    core::ReportMemoryOverflow();
    return false;
  }
  return true;
}

}  // namespace vellum::web
