// The normal form of an address, so that two spellings of one page compare
// equal: "http://Host:80" and "http://host/", "./a.html" and "a.html",
// "sub/../up.html" and "up.html". Everything here is lexical: no file system
// or network is asked.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vellum::web {

// The normal form of a URL (an address that begins with "scheme://") or of a
// local path.
// URL: scheme and host in lower case (user information keeps its case), the
// scheme's default port dropped (80 for http, 443 for https, 21 for ftp), an
// empty path made "/", "." and ".." segments removed (RFC 3986, 5.2.4; ".."
// never climbs above the root); the path's letter case, the query and the
// fragment are kept as written.
// Local path: "." segments and "name/.." pairs removed; ".." at the root of
// an absolute path is dropped, at the front of a relative path it stays. A
// path of nothing but dot segments becomes ".", and one whose normal form
// would read as a URL or a drive keeps a leading "./". "?" and "#" parts are
// kept.
// In both, "\" separates segments like "/", and every separator that stays
// is kept as written.
std::string NormaliseAddress(std::string_view address);

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

// For a normalised address of a folder's index page (a last segment of
// index.html, index.htm, index.shtml, index.php, default.htm or default.html
// in any letter case) without a query: the folder's address, as FolderOf
// gives it (a fragment is dropped). Nothing for any other address.
std::optional<std::string> IndexPageFolder(std::string_view normalised);

}  // namespace vellum::web
