// Link extraction: resolving an attribute value found on a page, collecting
// the links of a page that a LinkFlags word selects, and walking the local
// resources a page refers to (for the upload). Every link is given in the
// normal form of address.h, so that two spellings of one address are one
// entry.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/counted_string_list.h"
#include "core/directory_search.h"
#include "web/tag_tokenizer.h"

namespace vellum::web {

// LinkFlags: what is collected and how.
inline constexpr unsigned kPageLinks = 0x1;  // http(s), relative, local: with a page extension
inline constexpr unsigned kKeepBookmarks = core::kKeepBookmarks;  // 0x2: "#name" values and parts
inline constexpr unsigned kKeepArguments = core::kKeepArguments;  // 0x4: "?arguments" parts
inline constexpr unsigned kPictures = 0x8;    // IMG SRC; BACKGROUND of BODY, TABLE, TR, TD
inline constexpr unsigned kFtpPages = 0x10;   // "ftp://" with a page extension
inline constexpr unsigned kFileLinks = 0x20;  // "file://"
inline constexpr unsigned kGopherLinks = 0x40;
inline constexpr unsigned kMailLinks = 0x80;
inline constexpr unsigned kNewsLinks = 0x100;
inline constexpr unsigned kOtherSchemes = 0x200;
inline constexpr unsigned kNoSubfolders = core::kNoSubfolders;  // 0x400, folder listing only
inline constexpr unsigned kOutsideSite = 0x800;                 // accept links outside the site
inline constexpr unsigned kFollowOutside = 0x1000;   // collect the links of pages outside it
inline constexpr unsigned kHonourNofollow = 0x2000;  // pass over A and AREA with REL "nofollow"
// With kPageLinks: an HTTP link without an extension ("d/", "/extless")
// is taken too, for the server's answer to tell whether it is a page.
inline constexpr unsigned kTypelessWebPages = 0x4000;

// The link that value, found on page, stands for, in normal form; nothing
// when it is to be dropped. value is read as browsers read it: blanks around
// it are ignored and tabs and line breaks inside it dropped
// (ReadAddressValue). A relative value resolves against page by the rules of
// RFC 3986 (5.2), "../" never climbing above a web host's root, and an empty
// one is the page itself without its fragment; on a local page the same,
// lexically, and a value whose "../" climb above the page's root is dropped.
// On a web page, values are read as browsers read them (WHATWG URL): on an
// http, https or ftp page "\" is "/", and "http:g" on an http page is the
// relative "g". base is the site's base page: links outside its folder
// (scheme and host compared in any case) are taken only with kOutsideSite.
// Values of other schemes ("mailto:") are taken as written. A value holding
// a NUL byte is dropped.
std::optional<std::string> Resolve(std::string_view base, std::string_view page,
                                   std::string_view value, unsigned flags);

// Adds to links, in order of appearance and each once, every link of the
// page held by tokenizer that flags select (the walk starts from the page's
// beginning; the content of SCRIPT and APPLET is passed over). Links are A
// and AREA HREF, FRAME and IFRAME SRC; the HREF of the page's first BASE that
// has one takes the page's place for resolving them. Flags without
// kKeepArguments or kKeepBookmarks cut "?" or "#" parts; empty links are
// left out. Allocates through the C++ library only and reports nothing: it
// may run on a thread of its own, beside the engine.
void CollectLinks(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                  std::vector<std::string>& links, unsigned flags);

// A language version of a page, as the page names it.
struct LanguageAlternate {
  std::string hreflang;  // a language tag, or "x-default"
  std::string address;   // an http(s) address in normal form
  bool operator==(const LanguageAlternate&) const = default;
};

// What a search engine's site map may say of a page beside its address.
struct PageExtras {
  std::vector<std::string> images;  // addresses in normal form, each once
  std::vector<LanguageAlternate> alternates;
  bool empty() const { return images.empty() && alternates.empty(); }
  bool operator==(const PageExtras&) const = default;
};

// By page address.
using PageExtrasMap = std::unordered_map<std::string, PageExtras>;

// What one page may give at most of each (the image extension's limit).
inline constexpr std::size_t kMaxPageExtras = 1000;

// What = VELLUM_SITEMAP_ flags. The pictures (IMG SRC) of the page held by
// tokenizer that lie on the page's own host (a web page's scheme, host and
// port; a local page's disk), and the language versions its LINKs with REL
// "alternate" before any BODY name: an HREFLANG of the form of a language
// tag (core::IsLanguageTag) and an http(s) HREF, on any host. Values resolve
// against the page, or the HREF of its first BASE, as links do; "data:"
// and other schemes, empty values and values with a NUL are dropped; each
// is taken once, at most kMaxPageExtras of each. Allocates through the C++
// library only and reports nothing.
PageExtras CollectPageExtras(std::string_view page, TagTokenizer& tokenizer, unsigned what);

// The values of a page's links and extras, taken from its start tags in a
// walk that may serve others too (ReadHead's), and resolved once the walk is
// over, when it is known whether the page has a BASE to resolve them
// against. The values are spans of the tokenizer's text, which must not
// change until they are resolved; page must outlive them too.
class PageValues {
 public:
  // link_flags: the links wanted (as CollectLinks takes them), nothing when
  // none; what: the extras wanted (as CollectPageExtras takes it).
  PageValues(std::string_view page, std::optional<unsigned> link_flags, unsigned what);

  // Takes what the start tag named tag, the tokenizer on it, holds: the
  // visit of WalkStartTags.
  void Take(std::string_view tag, TagTokenizer& tokenizer);

  // What CollectLinks and CollectPageExtras give.
  void Links(std::string_view base, std::vector<std::string>& links) const;
  PageExtras Extras() const;

  // A LINK that names a language version of its page, as written.
  struct Alternate {
    std::string_view hreflang;
    std::string_view href;
  };

 private:
  struct LinkValue {
    std::string_view text;
    bool is_link;  // else a picture
  };

  std::string_view page_;
  std::optional<unsigned> link_flags_;
  unsigned what_;
  std::optional<std::string> document_;  // the first BASE's address
  bool in_body_ = false;
  std::vector<LinkValue> links_;
  std::vector<std::string_view> pictures_;
  std::vector<Alternate> alternates_;
};

// A local resource link of a page: the resolved link and where the
// attribute's value lies in the page text.
using ResourceVisitor =
    std::function<void(const std::string& link, std::size_t value_at, std::size_t value_length)>;

// Calls visit for every local resource link of the page: a relative A HREF
// that is not a page, an IMG SRC, a BACKGROUND of BODY, TABLE, TD or TR.
void WalkResources(std::string_view base, std::string_view page, TagTokenizer& tokenizer,
                   const ResourceVisitor& visit);

// Adds the local resources of page (loaded silently) to list.
void GatherResources(const char* base, const char* page, CountedStringList& list);

// Turns the resource references inside page into lower case and, when any
// byte changed, writes the result over the page's file, or to the file
// output when one is given (*rewritten, when asked for, tells whether it was
// written); with a list, adds the lower-cased links to it too. A page that
// cannot be loaded is reported through the error callback, as are failures
// to write the result. False when the page could not be loaded or written.
bool LowerCaseResources(const char* base, const char* page, CountedStringList* list,
                        const char* output = nullptr, bool* rewritten = nullptr);

}  // namespace vellum::web
