#include "web/links.h"

#include <cctype>
#include <cstdio>
#include <utility>

#include "core/messages.h"
#include "core/text_utils.h"
#include "web/charset.h"
#include "web/page_access.h"
#include "web/url_class.h"

namespace vellum::web {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsParentStep(std::string_view text) { return text == "../" || text == "..\\"; }

// The link of a relative value; nothing when it is to be dropped.
std::optional<std::string> ResolveRelative(std::string_view page, std::string_view value) {
  std::size_t steps = 0;
  while (IsParentStep(value.substr(3 * steps, 3))) ++steps;
  if (steps > 0) {
    // Each "../" climbs one folder from the folder of the page the link is
    // on. A web address never climbs above its host's root.
    const std::string_view folder = page.substr(0, page.find_first_of("?#"));
    const std::size_t scheme = folder.find("://");
    const std::size_t root =
        scheme == std::string_view::npos ? 0 : folder.find_first_of("\\/", scheme + 3);
    std::size_t cut = folder.size();
    for (std::size_t i = 0; i <= steps; ++i) {
      std::size_t above = cut == 0 ? std::string_view::npos : folder.find_last_of("\\/", cut - 1);
      if (scheme != std::string_view::npos && (above == std::string_view::npos || above < root)) {
        if (root == std::string_view::npos) return std::nullopt;
        cut = root;
        break;
      }
      if (above == std::string_view::npos) return std::nullopt;
      cut = above;
    }
    return std::string(folder.substr(0, cut + 1)) + std::string(value.substr(3 * steps));
  }
  if (value.find("../") != std::string_view::npos || value.find("..\\") != std::string_view::npos) {
    return std::nullopt;
  }

  const std::size_t scheme = page.find("://");
  if (!value.empty() && IsSeparator(value[0]) && scheme != std::string_view::npos) {
    const std::size_t host_end = page.find_first_of("/\\", scheme + 3);
    if (host_end == std::string_view::npos) {
      std::fputs("--ERROR--\n", stdout);
      return std::string(page) + std::string(value);
    }
    return std::string(page.substr(0, host_end)) + std::string(value);
  }
  if (!value.empty() && value[0] == '#') {
    return std::string(page.substr(0, page.find('#'))) + std::string(value);
  }
  const std::size_t folder_end = page.find_last_of("\\/");
  if (folder_end == std::string_view::npos) return std::string(value);
  if (!value.empty() && IsSeparator(value[0])) value.remove_prefix(1);
  return std::string(page.substr(0, folder_end + 1)) + std::string(value);
}

// True when value begins with a scheme: a letter, then letters, digits,
// "+", "-" or ".", then ":".
bool HasScheme(std::string_view value) {
  if (value.empty() || !std::isalpha(static_cast<unsigned char>(value[0]))) return false;
  for (char c : value.substr(1)) {
    if (c == ':') return true;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return false;
}

bool IsSelected(const std::string& link, unsigned flags) {
  switch (ClassifyLink(link)) {
    case LinkClass::kFtpPage:
      return (flags & kFtpPages) != 0 && HasPageExtension(link);
    case LinkClass::kFile:
      return (flags & kFileLinks) != 0;
    case LinkClass::kGopher:
      return (flags & kGopherLinks) != 0;
    case LinkClass::kMail:
      return (flags & kMailLinks) != 0;
    case LinkClass::kNews:
      return (flags & kNewsLinks) != 0;
    case LinkClass::kOtherScheme:
      return (flags & kOtherSchemes) != 0;
    case LinkClass::kPage:
      return (flags & kPageLinks) != 0 && HasPageExtension(link);
  }
  return false;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

// The attribute that holds a picture or background on this tag, if any.
const char* PictureAttribute(std::string_view tag) {
  if (tag == "IMG") return "SRC";
  if (IsOneOf(tag, {"BODY", "TABLE", "TR", "TD"})) return "BACKGROUND";
  return nullptr;
}

// Walks the start tags of the page, passing over raw content, and calls
// visit with each one's name.
template <typename Visit>
void WalkStartTags(TagTokenizer& tokenizer, Visit visit) {
  tokenizer.Rewind();
  for (TokenKind kind; (kind = tokenizer.Next()) != TokenKind::kEnd;) {
    if (kind != TokenKind::kStartTag) continue;
    const TagInfo& tag = *tokenizer.tag();
    if (tag.content == kRawContent) {
      tokenizer.SkipTo("</" + std::string(tag.name) + ">");
      continue;
    }
    visit(std::string_view(tag.name));
  }
}

// Loads and collects the links of one page of a crawl, and merges those the
// crawl takes into site.
void VisitPage(const char* base, const std::string& page, core::LoadedText text, bool follow,
               core::IndexedStringList& site, unsigned flags) {
  if (!follow && (flags & kFollowOutside) == 0) return;
  TagTokenizer tokenizer;
  tokenizer.Attach(std::move(text));
  CountedStringList found{};
  CollectLinks(base, page, tokenizer, found, flags);
  // Links outside the site were only collected when flags accept them.
  for (int i = 0; i < found.Count; ++i) {
    std::string link = found.Entries[i].Text;
    if (site.Find(link) == nullptr) site.Add(link.data(), flags);
  }
  core::Clear(found);
}

}  // namespace

std::optional<std::string> Resolve(std::string_view base, std::string_view page,
                                   std::string_view value, unsigned flags) {
  while (!value.empty() && core::IsBlank(value[0])) value.remove_prefix(1);
  if (!value.empty() && value[0] == '#' && (flags & kKeepBookmarks) == 0) return std::nullopt;
  if (IsWebAddress(value) && IsOutsideSite(value, base)) {
    if ((flags & kOutsideSite) == 0) return std::nullopt;
    return std::string(value);
  }
  if (IsWebAddress(page)) {
    // On a web page every link is a web address, resolved against the
    // page's own: a page never leads to a local file.
    if (value.starts_with("//")) {
      // Scheme-relative: the page's scheme in front.
      const std::string absolute = std::string(page.substr(0, page.find(':') + 1)) += value;
      return Resolve(base, page, absolute, flags);
    }
    if (HasScheme(value)) {
      const LinkClass link_class = ClassifyLink(value);
      if (link_class == LinkClass::kFile || (link_class == LinkClass::kPage && !IsHttp(value))) {
        return std::nullopt;
      }
      return std::string(value);
    }
  } else if (value.find(':') != std::string_view::npos) {
    return std::string(value);
  }

  std::optional<std::string> link = ResolveRelative(page, value);
  if (link && IsOutsideSite(*link, base) && (flags & kOutsideSite) == 0) return std::nullopt;
  return link;
}

void CollectLinks(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                  core::IndexedStringList& list, unsigned flags) {
  WalkStartTags(tokenizer, [&](std::string_view tag) {
    const char* attribute = tag == "A" ? "HREF" : PictureAttribute(tag);
    if (attribute == nullptr || (tag != "A" && (flags & kPictures) == 0)) return;
    std::optional<std::string_view> value = tokenizer.AttributeValue(attribute);
    if (!value) return;
    std::optional<std::string> link = Resolve(base, page, DecodeCharacterReferences(*value), flags);
    if (!link || (tag == "A" && (link->empty() || !IsSelected(*link, flags)))) return;
    list.Add(link->data(), flags);
  });
}

void CollectLinks(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                  CountedStringList& list, unsigned flags) {
  core::IndexedStringList indexed(list);
  CollectLinks(base, page, tokenizer, indexed, flags);
}

bool CrawlSite(const char* base, const char* start, CountedStringList& list, unsigned flags,
               int start_report) {
  core::LoadedText text;
  if (!LoadPage(start, text, start_report)) return false;
  core::IndexedStringList site(list);
  std::string first = start;
  site.Add(first.data(), flags);
  if (CountedString* entry = site.Find(first); entry != nullptr && entry->UseCount < 2) {
    entry->UseCount = 2;
  }
  VisitPage(base, start, std::move(text), true, site, flags);

  // The list grows at its end while it is walked; every page is loaded once.
  for (int i = 0; i < list.Count; ++i) {
    if (list.Entries[i].UseCount != 1) continue;
    list.Entries[i].UseCount = 2;
    const std::string page = list.Entries[i].Text;
    if (!LoadPage(page.c_str(), text, core::kSilent)) continue;
    VisitPage(base, page, std::move(text), !IsOutsideSite(page, base), site, flags);
  }
  return true;
}

void WalkResources(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                   const ResourceVisitor& visit) {
  WalkStartTags(tokenizer, [&](std::string_view tag) {
    const char* name = tag == "A" ? "HREF" : PictureAttribute(tag);
    if (name == nullptr) return;
    const Attribute* attribute = tokenizer.FindAttribute(name);
    if (attribute == nullptr || !attribute->value) return;
    std::optional<std::string> link =
        Resolve(base, page, DecodeCharacterReferences(tokenizer.ValueOf(*attribute)), kPageLinks);
    if (!link || !IsRelative(*link) || (tag == "A" && HasPageExtension(*link))) return;
    visit(*link, *attribute->value, attribute->value_length);
  });
}

void GatherResources(const char* base, const char* page, CountedStringList& list) {
  core::LoadedText text;
  if (!LoadPage(page, text, core::kSilent)) return;
  TagTokenizer tokenizer;
  tokenizer.Attach(std::move(text));
  core::IndexedStringList indexed(list);
  WalkResources(base, page, tokenizer, [&](const std::string& link, std::size_t, std::size_t) {
    std::string copy = link;
    indexed.Add(copy.data(), 0);
  });
}

bool LowerCaseResources(const char* base, const char* page, CountedStringList* list,
                        const char* output, bool* rewritten) {
  if (rewritten != nullptr) *rewritten = false;
  core::LoadedText text;
  if (!LoadPage(page, text, core::kReportAsError)) return false;
  TagTokenizer tokenizer;
  tokenizer.Attach(std::move(text));
  std::optional<core::IndexedStringList> indexed;
  if (list != nullptr) indexed.emplace(*list);
  WalkResources(base, page, tokenizer, [&](const std::string&, std::size_t at, std::size_t length) {
    char* reference = tokenizer.text() + at;
    for (std::size_t i = 0; i < length; ++i) {
      const char lower = core::ToLowerAscii(reference[i]);
      if (lower == reference[i]) continue;
      reference[i] = lower;
      tokenizer.MarkModified();
    }
    if (!indexed) return;
    if (std::optional<std::string> link =
            Resolve(base, page, DecodeCharacterReferences(std::string_view(reference, length)),
                    kPageLinks)) {
      indexed->Add(link->data(), 0);
    }
  });
  if (!tokenizer.IsModified()) return true;
  if (!WritePageFile(output != nullptr ? output : page,
                     std::string_view(tokenizer.text(), tokenizer.length()),
                     core::FileMode::kWriteText)) {
    return false;
  }
  if (rewritten != nullptr) *rewritten = true;
  return true;
}

}  // namespace vellum::web
