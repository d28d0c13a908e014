#include "web/links.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/text_utils.h"
#include "vellum/vellum.h"
#include "web/address.h"
#include "web/charset.h"
#include "web/page_access.h"
#include "web/url_class.h"

namespace vellum::web {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The address of a relative value on a web page (RFC 3986, 5.2.2), the
// page's address in normal form, whose folder (FolderOf) ends at
// folder_end: a value that begins with a separator replaces the page's
// path, "#" its fragment, "?" its query and fragment; any other value is
// taken from the page's folder. An empty value stands for the page itself,
// without its fragment. special: the page's scheme is http, https or ftp,
// and value was read as on such a page.
std::string MergeWithWebPage(std::string_view address, std::size_t folder_end, bool special,
                             std::string_view value) {
  if (value.empty()) return std::string(address.substr(0, address.find('#')));
  std::size_t front = folder_end;
  if (IsSeparator(value[0])) {
    front = UrlPathStart(address);
  } else if (value[0] == '#') {
    front = std::min(address.find('#'), address.size());
  } else if (value[0] == '?') {
    front = std::min(FindFirstOf<'?', '#'>(address), address.size());
  }
  // The page's part is in normal form already.
  if (special) return NormaliseAppended(address.substr(0, front), value);
  return NormaliseAddress(std::string(address.substr(0, front)).append(value));
}

// What resolving a value on a local page needs of the page: its folder and
// how far that climbs above the page's root.
struct LocalFolder {
  std::string_view folder;
  int parents = 0;
};

LocalFolder LocalFolderOf(std::string_view page) {
  const std::string_view path = page.substr(0, FindFirstOf<'?', '#'>(page));
  const std::size_t folder_end = FindLastOf<'\\', '/'>(path);
  LocalFolder local;
  if (folder_end != std::string_view::npos) local.folder = path.substr(0, folder_end + 1);
  local.parents = NormaliseLocalPath(local.folder).unmatched_parents;
  return local;
}

// The path of a relative value on a local page, the same way; nothing when
// its "../" climb above the page's root, or in front of a page without a
// folder. A value that begins with a separator is taken from the page's
// folder too.
std::optional<std::string> MergeWithLocalPage(std::string_view page, const LocalFolder& local,
                                              std::string_view value) {
  std::string merged;
  if (value.empty() || value[0] == '#') {
    merged = page.substr(0, page.find('#'));
  } else if (value[0] == '?') {
    merged = page.substr(0, FindFirstOf<'?', '#'>(page));
  } else if (!local.folder.empty()) {
    merged = local.folder;
    if (IsSeparator(value[0])) value.remove_prefix(1);
  }
  NormalPath link = NormaliseLocalPath(merged += value);
  if (link.unmatched_parents > local.parents) return std::nullopt;
  return std::move(link.text);
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

// Resolves the values found on one page: what every value of the page
// shares (the site's base and the page's address in normal form, the
// page's folder) is worked out once.
class PageResolver {
 public:
  PageResolver(std::string_view base, std::string_view page)
      : base_(NormaliseAddress(base)), page_(page), web_(IsWebAddress(page)) {
    if (web_) {
      page_address_ = NormaliseAddress(page);
      // The normal form of a web address has a path: its folder is a front
      // part of it.
      folder_end_ = FolderOf(page_address_).size();
      special_ = IsSpecialScheme(page_.substr(0, page_.find(':')));
    } else {
      local_ = LocalFolderOf(page_);
    }
  }

  // Resolve (links.h) of value on the page.
  std::optional<std::string> Resolve(std::string_view value, unsigned flags) const {
    const std::string read = ReadAddressValue(value);
    if (!read.empty() && read[0] == '#' && (flags & kKeepBookmarks) == 0) return std::nullopt;
    std::optional<std::string> link = ResolveOnPage(read);
    // Both in normal form, so that the scheme and host compare in any case.
    if (link && (flags & kOutsideSite) == 0 && IsOutsideSite(*link, base_)) return std::nullopt;
    return link;
  }

  // The address value stands for on the page, before the site is
  // considered; nothing when it is to be dropped.
  std::optional<std::string> ResolveOnPage(std::string_view value) const {
    // A NUL byte can be in no address, and would cut one short as C text.
    if (value.find('\0') != std::string_view::npos) return std::nullopt;
    if (IsWebAddress(value)) return NormaliseAddress(value);
    if (web_) return ResolveOnWebPage(std::string(value));
    // A scheme or a drive is taken as written; a ":" in a bookmark, an
    // argument or a later segment ("a.html#x:y") is part of a relative link.
    const std::size_t colon = value.find(':');
    if (colon != std::string_view::npos && colon < FindFirstOf<'/', '\\', '?', '#'>(value)) {
      return std::string(value);
    }
    return MergeWithLocalPage(page_, local_, value);
  }

 private:
  // Every link on a web page is a web address, resolved against the page's
  // own: a page never leads to a local file. Values are read as browsers
  // read them (WHATWG URL): on an http, https or ftp page "\\" is "/",
  // "http:g" on an http page is the relative "g", and "https:g" on it the
  // host "https://g/".
  std::optional<std::string> ResolveOnWebPage(std::string value) const {
    std::string scheme(page_.substr(0, page_.find(':')));
    bool host_follows = false;
    if (HasScheme(value)) {
      std::string own = value.substr(0, value.find(':'));
      if (!IsSpecialScheme(own)) {
        const LinkClass link_class = ClassifyLink(value);
        if (link_class == LinkClass::kFile || link_class == LinkClass::kPage) return std::nullopt;
        return value;
      }
      value.erase(0, own.size() + 1);
      host_follows = !core::EqualsNoCase(own, scheme);
      scheme = std::move(own);
    }
    if (IsSpecialScheme(scheme)) BackslashesToSlashes(value);
    if (host_follows || value.starts_with("//")) {
      value.erase(0, std::min(value.find_first_not_of('/'), value.size()));
      if (value.empty()) return std::nullopt;  // no host
      return NormaliseAddress(scheme + "://" + value);
    }
    return MergeWithWebPage(page_address_, folder_end_, special_, value);
  }

  std::string base_;
  std::string_view page_;
  bool web_;
  std::string page_address_;  // web pages
  std::size_t folder_end_ = 0;
  bool special_ = false;  // an http, https or ftp page
  LocalFolder local_;     // local pages
};

// True when the last segment of link's path (before "?" and "#") has a
// dot: "a/b.pdf", not "a/b" or "a/b/".
bool HasExtension(std::string_view link) {
  const std::string_view path = link.substr(0, FindFirstOf<'?', '#'>(link));
  const std::size_t segment = path.find_last_of('/');
  return path.find('.', segment == path.npos ? 0 : segment) != path.npos;
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
      return (flags & kPageLinks) != 0 &&
             (HasPageExtension(link) ||
              ((flags & kTypelessWebPages) != 0 && IsHttp(link) && !HasExtension(link)));
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

// The attribute that holds the target of a link on this tag, if any.
const char* LinkAttribute(std::string_view tag) {
  if (IsOneOf(tag, {"A", "AREA"})) return "HREF";
  if (IsOneOf(tag, {"FRAME", "IFRAME"})) return "SRC";
  return nullptr;
}

// True when the REL of the tag holds token (in any case).
bool RelHolds(TagTokenizer& tokenizer, std::string_view token) {
  const std::optional<std::string_view> rel = tokenizer.AttributeValue("REL");
  if (!rel) return false;
  constexpr std::string_view kSpaces = " \t\r\n\f";
  for (std::size_t at = rel->find_first_not_of(kSpaces); at != std::string_view::npos;) {
    const std::size_t end = std::min(rel->find_first_of(kSpaces, at), rel->size());
    if (core::EqualsNoCase(rel->substr(at, end - at), token)) return true;
    at = rel->find_first_not_of(kSpaces, end);
  }
  return false;
}

// True for an A or AREA whose REL holds the token "nofollow".
bool IsNofollow(std::string_view tag, TagTokenizer& tokenizer) {
  return IsOneOf(tag, {"A", "AREA"}) && RelHolds(tokenizer, "nofollow");
}

// The address the relative links of the page resolve against, once the
// page's first BASE that has an HREF is met: that HREF resolved against the
// page, or the page's own address when it is not one a page can have
// ("mailto:", "javascript:").
std::string DocumentAddress(std::string_view page, std::string_view href) {
  std::optional<std::string> address =
      PageResolver(page, page).ResolveOnPage(ReadAddressValue(DecodeCharacterReferences(href)));
  const bool usable =
      address && (IsWebAddress(*address) || ClassifyLink(*address) == LinkClass::kPage);
  return usable ? std::move(*address) : std::string(page);
}

// Takes the document address from the page's first BASE that has an HREF:
// true when tag is a BASE met before it.
bool TakeBase(std::string_view tag, TagTokenizer& tokenizer, std::string_view page,
              std::optional<std::string>& document) {
  if (document || tag != "BASE") return false;
  if (std::optional<std::string_view> href = tokenizer.AttributeValue("HREF")) {
    document = DocumentAddress(page, *href);
  }
  return true;
}

// Whether a picture's address lies on the host of page: for a web page
// the same scheme, host and port; for a local page a path on its disk.
bool OnPageHost(std::string_view address, std::string_view page) {
  if (!IsWebAddress(page)) return !HasScheme(address) && !IsWebAddress(address);
  const std::size_t origin = UrlPathStart(page);
  return IsHttp(address) && UrlPathStart(address) == origin &&
         core::EqualsNoCase(address.substr(0, origin), page.substr(0, origin));
}

using AlternateValues = PageValues::Alternate;

// The values of a LINK that names a language version; nothing for any other.
std::optional<AlternateValues> AlternateValuesOf(TagTokenizer& tokenizer) {
  // HREFLANG is none of the attributes the tag tables know for LINK.
  const Attribute* hreflang = tokenizer.FindAttributeAsWritten("HREFLANG");
  const std::optional<std::string_view> href = tokenizer.AttributeValue("HREF");
  if (hreflang == nullptr || !hreflang->value || !href || !RelHolds(tokenizer, "alternate")) {
    return std::nullopt;
  }
  return AlternateValues{tokenizer.ValueOf(*hreflang), *href};
}

// The language version values stand for: nothing unless the language is a
// language tag and the address an http(s) one.
std::optional<LanguageAlternate> AlternateOf(const AlternateValues& values,
                                             const PageResolver& resolver) {
  std::string language = ReadAddressValue(DecodeCharacterReferences(values.hreflang));
  if (!core::IsLanguageTag(language)) return std::nullopt;
  std::optional<std::string> address =
      resolver.Resolve(DecodeCharacterReferences(values.href), kOutsideSite | kKeepArguments);
  if (!address || !IsHttp(*address)) return std::nullopt;
  return LanguageAlternate{std::move(language), std::move(*address)};
}

}  // namespace

PageValues::PageValues(std::string_view page, std::optional<unsigned> link_flags, unsigned what)
    : page_(page), link_flags_(link_flags), what_(what) {}

void PageValues::Take(std::string_view tag, TagTokenizer& tokenizer) {
  if (TakeBase(tag, tokenizer, page_, document_)) return;
  if (link_flags_) {
    const char* attribute = LinkAttribute(tag);
    const bool is_link = attribute != nullptr;
    if (!is_link && (*link_flags_ & kPictures) != 0) attribute = PictureAttribute(tag);
    if (attribute != nullptr &&
        !((*link_flags_ & kHonourNofollow) != 0 && IsNofollow(tag, tokenizer))) {
      if (std::optional<std::string_view> value = tokenizer.AttributeValue(attribute)) {
        links_.push_back({*value, is_link});
      }
    }
  }
  in_body_ = in_body_ || tag == "BODY";
  if (tag == "IMG" && (what_ & VELLUM_SITEMAP_IMAGES) != 0) {
    const std::optional<std::string_view> source = tokenizer.AttributeValue("SRC");
    if (source) pictures_.push_back(*source);
  } else if (tag == "LINK" && !in_body_ && (what_ & VELLUM_SITEMAP_ALTERNATES) != 0) {
    if (std::optional<AlternateValues> values = AlternateValuesOf(tokenizer)) {
      alternates_.push_back(*values);
    }
  }
}

void PageValues::Links(std::string_view base, std::vector<std::string>& links) const {
  const unsigned flags = link_flags_.value_or(0);
  const PageResolver resolver(base, document_ ? std::string_view(*document_) : page_);
  // The links seen are looked up in place: links never grows beyond what
  // it is given room for here, so its texts stay where they are.
  links.reserve(links.size() + links_.size());
  std::unordered_set<std::string_view> seen;
  for (const LinkValue& value : links_) {
    std::optional<std::string> link =
        resolver.Resolve(DecodeCharacterReferences(value.text), flags);
    if (!link || (value.is_link && (link->empty() || !IsSelected(*link, flags)))) continue;
    if ((flags & kKeepArguments) == 0) link->resize(std::min(link->find('?'), link->size()));
    if ((flags & kKeepBookmarks) == 0) link->resize(std::min(link->find('#'), link->size()));
    if (link->empty() || seen.count(*link) != 0) continue;
    links.push_back(std::move(*link));
    seen.insert(links.back());
  }
}

PageExtras PageValues::Extras() const {
  const std::string_view address = document_ ? std::string_view(*document_) : page_;
  const PageResolver resolver(address, address);
  PageExtras extras;
  std::unordered_set<std::string> seen;
  for (std::string_view value : pictures_) {
    if (extras.images.size() == kMaxPageExtras) break;
    // An empty SRC is no picture, not the page itself.
    const std::string read = ReadAddressValue(DecodeCharacterReferences(value));
    std::optional<std::string> image =
        read.empty() ? std::nullopt : resolver.Resolve(read, kOutsideSite | kKeepArguments);
    if (!image || !OnPageHost(*image, page_)) continue;
    image->resize(std::min(image->find('#'), image->size()));
    if (seen.insert(*image).second) extras.images.push_back(std::move(*image));
  }
  seen.clear();
  for (const AlternateValues& values : alternates_) {
    if (extras.alternates.size() == kMaxPageExtras) break;
    std::optional<LanguageAlternate> alternate = AlternateOf(values, resolver);
    if (alternate && seen.insert(alternate->hreflang + ' ' + alternate->address).second) {
      extras.alternates.push_back(std::move(*alternate));
    }
  }
  return extras;
}

namespace {

// The values of the page that tokenizer holds, from one walk of its own.
PageValues WalkValues(std::string_view page, TagTokenizer& tokenizer,
                      std::optional<unsigned> link_flags, unsigned what) {
  PageValues values(page, link_flags, what);
  WalkStartTags(tokenizer, [&](std::string_view tag) { values.Take(tag, tokenizer); });
  return values;
}

}  // namespace

PageExtras CollectPageExtras(std::string_view page, TagTokenizer& tokenizer, unsigned what) {
  return WalkValues(page, tokenizer, std::nullopt, what).Extras();
}

std::optional<std::string> Resolve(std::string_view base, std::string_view page,
                                   std::string_view value, unsigned flags) {
  return PageResolver(base, page).Resolve(value, flags);
}

void CollectLinks(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                  std::vector<std::string>& links, unsigned flags) {
  WalkValues(page, tokenizer, flags, 0).Links(base, links);
}

void WalkResources(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                   const ResourceVisitor& visit) {
  const PageResolver resolver(base, page);
  WalkStartTags(tokenizer, [&](std::string_view tag) {
    const char* name = tag == "A" ? "HREF" : PictureAttribute(tag);
    if (name == nullptr) return;
    const Attribute* attribute = tokenizer.FindAttribute(name);
    if (attribute == nullptr || !attribute->value) return;
    std::optional<std::string> link =
        resolver.Resolve(DecodeCharacterReferences(tokenizer.ValueOf(*attribute)), kPageLinks);
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
