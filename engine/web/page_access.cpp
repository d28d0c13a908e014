#include "web/page_access.h"

#include <algorithm>
#include <new>

#include "core/messages.h"
#include "core/text_utils.h"
#include "web/charset.h"
#include "web/http_download.h"
#include "web/page_cache.h"
#include "web/url_class.h"

namespace vellum::web {
namespace {

// A hostile page may hold a title of many megabytes; no more than this is
// looked at. It leaves kMaxHeadText bytes of result for all but titles made
// mostly of white space.
constexpr std::size_t kMaxRawHeadText = 64 * 1024;

bool IsHeadSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The head texts as they stand in the page: spans of the tokenizer's text,
// valid while it is not edited.
struct RawHead {
  std::optional<std::string_view> title;
  std::optional<std::string_view> description;
};

// The TITLE whose start tag was just read: its content, up to "</title"
// followed by white space, "/" or ">", and just behind that "</title"; npos
// when there is none, and the content runs to the end.
struct Title {
  std::string_view content;
  std::size_t behind = std::string_view::npos;
};

constexpr std::string_view kEndTag = "</title";

Title TitleOf(const TagTokenizer& tokenizer) {
  const std::string_view page(tokenizer.text(), tokenizer.length());
  const std::size_t begin = tokenizer.position();
  for (std::size_t from = begin;;) {
    const std::size_t found = tokenizer.Find(kEndTag, from);
    if (found == std::string_view::npos) return {page.substr(begin, kMaxRawHeadText)};
    const std::size_t behind = found + kEndTag.size();
    if (behind == page.size() || IsHeadSpace(page[behind]) || page[behind] == '/' ||
        page[behind] == '>') {
      return {page.substr(begin, std::min(found - begin, kMaxRawHeadText)), behind};
    }
    from = behind;
  }
}

// Whether a walk that goes on through the title's content and end tag (as
// the walk of links does) meets the same start tags behind it as one that
// goes on behind "</title": the content holds no "<", and the end tag's
// rest up to its ">" no "<" and no "=" (nothing that could hide a ">").
bool WalksOnAlike(const TagTokenizer& tokenizer, const Title& title) {
  if (title.behind == std::string_view::npos) return false;
  const std::string_view page(tokenizer.text(), tokenizer.length());
  const std::size_t end_tag = title.behind - kEndTag.size();
  if (page.substr(tokenizer.position(), end_tag - tokenizer.position()).find('<') !=
      std::string_view::npos) {
    return false;
  }
  const std::size_t close = page.find('>', title.behind);
  if (close == std::string_view::npos) return false;
  const std::string_view rest = page.substr(title.behind, close - title.behind);
  return rest.find('<') == std::string_view::npos && rest.find('=') == std::string_view::npos;
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = core::ToLowerAscii(c);
  return lowered;
}

constexpr std::string_view kHeadSpaces = " \t\r\n\f";

// Calls visit with each token of list, the tokens separated by runs of
// separators.
template <typename Visit>
void ForEachToken(std::string_view list, std::string_view separators, Visit visit) {
  for (std::size_t at = 0; (at = list.find_first_not_of(separators, at)) != list.npos;) {
    const std::size_t end = std::min(list.find_first_of(separators, at), list.size());
    visit(list.substr(at, end - at));
    at = end;
  }
}

void ReadRobots(std::string_view content, PageHeadInfo& head) {
  const std::string separators = std::string(kHeadSpaces) + ",";
  ForEachToken(content, separators, [&](std::string_view token) {
    if (core::EqualsNoCase(token, "noindex") || core::EqualsNoCase(token, "none")) {
      head.noindex = true;
    }
    if (core::EqualsNoCase(token, "nofollow") || core::EqualsNoCase(token, "none")) {
      head.nofollow = true;
    }
  });
}

void ReadMeta(TagTokenizer& tokenizer, PageHeadInfo& head, RawHead& raw) {
  if (head.charset.empty()) {
    if (const Attribute* charset = tokenizer.FindAttributeAsWritten("CHARSET")) {
      head.charset = Lowered(core::TrimWhiteSpace(tokenizer.ValueOf(*charset)));
    }
  }
  // A CONTENT written without a value ("content=") is an empty one.
  const Attribute* content_attribute = tokenizer.FindAttribute("CONTENT");
  if (content_attribute == nullptr) return;
  const std::string_view content = tokenizer.ValueOf(*content_attribute);
  const std::optional<std::string_view> http_equiv = tokenizer.AttributeValue("HTTP-EQUIV");
  if (http_equiv && head.charset.empty() &&
      core::EqualsNoCase(core::TrimWhiteSpace(*http_equiv), "content-type")) {
    head.charset = CharsetOfContentType(content);
  }
  const std::string_view name = core::TrimWhiteSpace(tokenizer.AttributeValue("NAME").value_or(""));
  if (core::EqualsNoCase(name, "description")) {
    raw.description = content.substr(0, kMaxRawHeadText);
  } else if (core::EqualsNoCase(name, "robots") || core::EqualsNoCase(name, "vellumark")) {
    ReadRobots(content, head);
  }
}

void ReadLink(TagTokenizer& tokenizer, PageHeadInfo& head) {
  const std::optional<std::string_view> href = tokenizer.AttributeValue("HREF");
  const std::optional<std::string_view> rel = tokenizer.AttributeValue("REL");
  if (!href || !rel) return;
  bool canonical = false;
  ForEachToken(*rel, kHeadSpaces, [&](std::string_view token) {
    canonical = canonical || core::EqualsNoCase(token, "canonical");
  });
  if (canonical) {
    head.canonical = std::string(core::TrimWhiteSpace(DecodeCharacterReferences(*href)));
  }
}

// Takes what the head needs from the start tag the tokenizer is on. A
// TITLE's content is passed over: the walk goes on behind its end when
// may_move, else the walk must go on alike (WalksOnAlike) and false says
// it would not.
bool TakeFromTag(TagTokenizer& tokenizer, std::string_view name, bool may_move, PageHeadInfo& head,
                 RawHead& raw) {
  if (name == "TITLE") {
    const Title title = TitleOf(tokenizer);
    if (may_move) {
      tokenizer.MoveTo(title.behind);
    } else if (!WalksOnAlike(tokenizer, title)) {
      return false;
    }
    if (!raw.title) raw.title = title.content;  // a later one is passed over too
  } else if (name == "META") {
    ReadMeta(tokenizer, head, raw);
  } else if (name == "LINK" && !head.canonical) {
    ReadLink(tokenizer, head);
  }
  return true;
}

// Walks the whole page for its head. With also, calls it with every start
// tag of the same walk, as WalkStartTags would; should a title keep the
// head from walking alike, it walks the page once more for itself.
RawHead WalkHead(TagTokenizer& tokenizer, PageHeadInfo& head, const StartTagVisitor& also) {
  RawHead raw;
  bool alike = true;
  WalkStartTags(tokenizer, [&](std::string_view name) {
    if (alike) alike = TakeFromTag(tokenizer, name, !also, head, raw);
    if (also) also(name);
  });
  if (alike) return raw;
  head = PageHeadInfo{};
  raw = RawHead{};
  WalkStartTags(tokenizer,
                [&](std::string_view name) { TakeFromTag(tokenizer, name, true, head, raw); });
  return raw;
}

// The encoding a byte order mark or the answer names: it comes before
// anything the page says. Empty when neither names one.
std::string_view EncodingBeforeTags(std::string_view page, std::string_view http_charset) {
  const std::string_view bom = EncodingOfBom(page);
  return bom.empty() ? EncodingOfLabel(http_charset) : bom;
}

// The encoding in force once the page's own declaration is known, where
// neither a byte order mark nor the answer named one.
std::string_view EncodingAfterTags(std::string_view declared, std::string_view page) {
  const std::string_view known = EncodingOfLabel(declared);
  // A page that can be read as markup is not UTF-16, whatever it says; and
  // x-user-defined is declared by pages written in Windows-1252.
  if (known == "utf-16le" || known == "utf-16be") return "utf-8";
  if (known == "x-user-defined") return "windows-1252";
  if (!known.empty()) return known;
  return IsValidUtf8(page) ? "utf-8" : "windows-1252";
}

// Whether a page in encoding must be converted before its tags can be
// read: in UTF-16 an ASCII byte is not an ASCII character, and the
// replacement encoding reads the whole page as one U+FFFD.
bool ConvertedWhole(std::string_view encoding) {
  return encoding == "utf-16le" || encoding == "utf-16be" || encoding == "replacement";
}

// text with its white space runs collapsed to one space and trimmed, NUL
// (which would end the text for C callers) as U+FFFD, cut at a character
// boundary to kMaxHeadText bytes.
std::string Collapsed(std::string_view text) {
  std::string out;
  out.reserve(std::min(text.size(), kMaxHeadText + 4));
  bool space = false;
  for (char c : text) {
    if (IsHeadSpace(c)) {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    if (c == '\0') {
      out += "\xEF\xBF\xBD";
    } else {
      out += c;
    }
    if (out.size() > kMaxHeadText) break;
  }
  if (out.size() > kMaxHeadText) {
    std::size_t cut = kMaxHeadText;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
    while (!out.empty() && out.back() == ' ') out.pop_back();
  }
  return out;
}

std::string HeadText(std::string_view raw, std::string_view charset) {
  return Collapsed(DecodeCharacterReferences(ToUtf8(raw, charset)));
}

}  // namespace

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

bool ReadHead(TagTokenizer& tokenizer, PageHeadInfo& head, std::string_view http_charset,
              bool report, const StartTagVisitor& also) {
  head = PageHeadInfo{};
  try {
    const auto page = [&] { return std::string_view(tokenizer.text(), tokenizer.length()); };
    std::string_view encoding = EncodingBeforeTags(page(), http_charset);
    if (ConvertedWhole(encoding)) {
      // A byte order mark here is one of UTF-16: two bytes, not text.
      const std::size_t bom = EncodingOfBom(page()).empty() ? 0 : 2;
      if (!tokenizer.AttachCopy(ToUtf8(page().substr(bom), encoding))) {
        throw std::bad_alloc();
      }
      encoding = "utf-8";
    }
    const RawHead raw = WalkHead(tokenizer, head, also);
    if (encoding.empty()) encoding = EncodingAfterTags(head.charset, page());
    if (raw.title) head.title = HeadText(*raw.title, encoding);
    if (raw.description) head.description = HeadText(*raw.description, encoding);
  } catch (const std::bad_alloc&) {
    head = PageHeadInfo{};
    if (report) core::ReportMemoryOverflow();
    return false;
  }
  return true;
}

}  // namespace vellum::web
