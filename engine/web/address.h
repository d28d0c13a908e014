// The normal form of an address, so that two spellings of one page compare
// equal: "http://Host:80" and "http://host/", "./a.html" and "a.html",
// "sub/../up.html" and "up.html". Everything here is lexical: no file system
// or network is asked.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/text_utils.h"

namespace vellum::web {

// The first place at or after from where text holds one of kBytes, or npos.
template <char... kBytes>
std::size_t FindFirstOf(std::string_view text, std::size_t from = 0) {
  const std::size_t at = core::FindAnyOf<kBytes...>(text, from);
  return at < text.size() ? at : std::string_view::npos;
}

// The last place where text holds one of kBytes, or npos.
template <char... kBytes>
std::size_t FindLastOf(std::string_view text) {
  for (std::size_t at = text.size(); at-- > 0;) {
    if (((text[at] == kBytes) || ...)) return at;
  }
  return std::string_view::npos;
}

// The normal form of a URL (an address that begins with "scheme://") or of a
// local path.
// URL: scheme and host in lower case (user information keeps its case), the
// scheme's default port dropped (80 for http, 443 for https, 21 for ftp), an
// empty path made "/", "." and ".." segments removed (RFC 3986, 5.2.4; ".."
// never climbs above the root); the path's letter case, the query (an empty
// one too) and the fragment are kept as written.
// A web address (http, https, ftp, gopher) is read as browsers read it
// (WHATWG URL): ReadAddressValue applies, a "\" in front of the query of an
// http, https or ftp address is a "/", and the bytes that browsers escape in
// its path, query and fragment (controls, space, bytes above 0x7E, and
// '"', "<", ">" and a few more by part) become percent escapes of those
// bytes ("caf\xC3\xA9 menu" is "caf%C3%A9%20menu"). Escapes already there stay
// as they are: the normal form is never escaped twice.
// Local path: "." segments and "name/.." pairs removed; ".." at the root of
// an absolute path is dropped, at the front of a relative path it stays. A
// path of nothing but dot segments becomes ".", and one whose normal form
// would read as a URL or a drive keeps a leading "./". "?" and "#" parts are
// kept, and every byte as it is.
// In both, "\" separates segments like "/", and every separator that stays
// is kept as written.
std::string NormaliseAddress(std::string_view address);

// NormaliseAddress(normal + tail), without normalising normal again: normal
// is an http, https or ftp address in normal form cut behind its host,
// behind a "/" of its path, or in front of its query or fragment; tail is
// as ReadAddressValue and BackslashesToSlashes leave it, and its path, if
// any, begins with "/" where normal ends behind the host. What resolving
// each link of a page against the page's address costs.
std::string NormaliseAppended(std::string_view normal, std::string_view tail);

// An address written in a page as browsers read it: without the blanks around
// it (space, tab, CR, LF, FF), and without the tabs, CRs and LFs inside it,
// which are dropped rather than escaped ("a\n/b" is "a/b").
std::string ReadAddressValue(std::string_view value);

// True for a scheme whose addresses browsers read with "\" as "/": http,
// https and ftp, in any letter case.
bool IsSpecialScheme(std::string_view scheme);

// Makes every "\" in front of the query or fragment of reference a "/".
void BackslashesToSlashes(std::string& reference);

// Appends text to out with every byte that no address holds as it is (the
// controls, space, DEL and every byte above it) and every byte of also
// written as a percent escape ("%C3%A9"). A "%" is kept: so are escapes.
void AppendEscaped(std::string& out, std::string_view text, std::string_view also = {});

// path as segments below the folder it starts from, as a site's folder on
// disk or on a web server holds them: "\\" read as "/", empty and "."
// segments dropped, ".." taking out the segment before it; no leading "/",
// a trailing one kept. Nothing when it climbs above its start.
std::optional<std::string> PathWithin(std::string_view path);

// A local path in normal form, and how many ".." segments found nothing to
// remove (kept at the front of a relative path, or dropped at the root).
struct NormalPath {
  std::string text;
  int unmatched_parents = 0;
};
NormalPath NormaliseLocalPath(std::string_view path);

// Where the path of a URL begins: behind "scheme://" and the host (at its
// first "/", "\", "?" or "#", or the end). 0 for anything but a URL.
std::size_t UrlPathStart(std::string_view address);

// The folder of a normalised address: up to and including the last separator
// of its path, without query or fragment. "http://h" gives "http://h/"; a
// local path without a separator gives "".
std::string FolderOf(std::string_view normalised);

// A web address ("scheme://authority/path?query#fragment") with the places
// of its parts found once: the one way the engine takes an address apart.
// Finding them looks at each byte of the text once at most, so a crawl can
// make one for each page it reads.
class Url {
 public:
  // address in normal form (NormaliseAddress); nothing for one without
  // "scheme://", such as a local path.
  static std::optional<Url> Parse(std::string_view address);
  // The parts of address as it is written, for an address in normal form
  // already (the crawl's) or one to be taken as it stands; nothing for one
  // without "scheme://".
  static std::optional<Url> AsWritten(std::string address);

  const std::string& text() const { return text_; }
  std::string_view scheme() const { return Part(0, authority_ - 3); }     // "http"
  std::string_view origin() const { return Part(0, path_); }              // "http://user@host:8080"
  std::string_view authority() const { return Part(authority_, path_); }  // "user@host:8080"
  std::string_view path() const { return Part(path_, query_); }           // "/a/b.html"
  // What is asked of the host: the path and the query ("/a/b.html?x=1").
  std::string_view request() const { return Part(path_, fragment_); }
  // The address of the path's folder, as FolderOf gives it.
  std::string folder() const { return FolderOf(text_); }

 private:
  explicit Url(std::string text);
  std::string_view Part(std::size_t from, std::size_t to) const {
    return std::string_view(text_).substr(from, to - from);
  }

  std::string text_;
  std::size_t authority_ = 0;  // behind "://"
  std::size_t path_ = 0;       // the first "/", "\", "?" or "#" behind the authority
  std::size_t query_ = 0;      // the "?" or "#" that ends the path
  std::size_t fragment_ = 0;   // the "#" that ends the query
};

// For a normalised address of a folder's index page (a last segment of
// index.html, index.htm, index.shtml, index.php, default.htm or default.html
// in any letter case) without a query: the folder's address, as FolderOf
// gives it (a fragment is dropped), which is a front part of normalised.
// Nothing for any other address.
std::optional<std::string_view> IndexPageFolder(std::string_view normalised);

}  // namespace vellum::web
