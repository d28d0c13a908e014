#include "web/address.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <utility>
#include <vector>

#include "core/text_utils.h"

namespace vellum::web {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The length of "scheme://" when address begins with one (a letter, then
// letters, digits, "+", "-" or "."), else 0.
std::size_t SchemeLength(std::string_view address) {
  const std::size_t colon = address.find("://");
  if (colon == kNone || colon == 0 || !std::isalpha(static_cast<unsigned char>(address[0]))) {
    return 0;
  }
  for (char c : address.substr(1, colon - 1)) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return 0;
  }
  return colon + 3;
}

std::string_view DefaultPort(std::string_view scheme) {
  if (scheme == "http") return "80";
  if (scheme == "https") return "443";
  if (scheme == "ftp") return "21";
  return {};
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = core::ToLowerAscii(c);
  return lower;
}

// Appends "user@Host:port" of authority with the host in lower case and a
// default or empty port dropped. A host in brackets (IPv6) may hold ":"
// itself.
void AppendAuthority(std::string& out, std::string_view scheme, std::string_view authority) {
  const std::size_t at = authority.rfind('@');
  const std::string_view user = at == kNone ? std::string_view() : authority.substr(0, at + 1);
  std::string_view host = at == kNone ? authority : authority.substr(at + 1);
  // Ports are taken off the end while they are empty or the default, so
  // that "host:80:" and "host::" are "host" at once.
  std::string_view port;
  for (;;) {
    const std::size_t colon = host.rfind(':');
    const std::size_t bracket = host.rfind(']');
    if (colon == kNone || (bracket != kNone && colon < bracket)) break;
    port = host.substr(colon + 1);
    host = host.substr(0, colon);
    if (!port.empty() && port != DefaultPort(scheme)) break;
    port = {};
  }
  out += user;
  for (const char c : host) out += core::ToLowerAscii(c);
  if (!port.empty()) out.append(":").append(port);
}

std::string_view NameOf(std::string_view piece) {
  if (!piece.empty() && IsSeparator(piece.back())) piece.remove_suffix(1);
  return piece;
}

// Whether a segment of path behind its first root bytes is "." or "..":
// most paths have none, and are their own normal form.
bool HasDotSegment(std::string_view path, std::size_t root) {
  for (std::size_t dot = path.find('.', root); dot != kNone; dot = path.find('.', dot + 1)) {
    if (dot > root && !IsSeparator(path[dot - 1])) continue;
    std::size_t end = dot + 1;
    if (end < path.size() && path[end] == '.') ++end;
    if (end == path.size() || IsSeparator(path[end])) return true;
  }
  return false;
}

// Removes dot segments from path behind its first root bytes. In a rooted
// path a ".." with nothing left to remove is dropped; otherwise it stays.
NormalPath RemoveDotSegments(std::string_view path, std::size_t root, bool rooted) {
  NormalPath result;
  if (!HasDotSegment(path, root)) {
    result.text = path;
    return result;
  }
  // Each kept piece is a segment with the separator behind it, if any.
  std::vector<std::string_view> kept;
  for (std::size_t at = root; at < path.size();) {
    const std::size_t separator = FindFirstOf<'/', '\\'>(path, at);
    const std::size_t name_end = separator == kNone ? path.size() : separator;
    const std::size_t piece_end = separator == kNone ? path.size() : separator + 1;
    const std::string_view name = path.substr(at, name_end - at);
    const std::string_view piece = path.substr(at, piece_end - at);
    at = piece_end;
    if (name == ".") continue;
    if (name != "..") {
      kept.push_back(piece);
      continue;
    }
    if (!kept.empty() && NameOf(kept.back()) != "..") {
      kept.pop_back();
      continue;
    }
    ++result.unmatched_parents;
    if (!rooted) kept.push_back(piece);
  }
  result.text = path.substr(0, root);
  for (std::string_view piece : kept) result.text += piece;
  if (result.text.empty() && !path.empty()) result.text.assign(1, '.');
  return result;
}

// The root of a local path: a drive ("C:" and its separator), or the
// separators it begins with.
std::size_t LocalRoot(std::string_view path) {
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  }
  std::size_t root = 0;
  while (root < path.size() && IsSeparator(path[root])) ++root;
  return root;
}

// The bytes besides controls, space and those above 0x7E that browsers
// escape in each part of an address (WHATWG URL, 1.3: the path, query,
// special-query and fragment percent-encode sets).
constexpr std::string_view kPathEscapes = "\"#<>?^`{}";
constexpr std::string_view kQueryEscapes = "\"#<>";
constexpr std::string_view kSpecialQueryEscapes = "\"#<>'";
constexpr std::string_view kFragmentEscapes = "\"<>`";

bool IsWebScheme(std::string_view scheme) { return IsSpecialScheme(scheme) || scheme == "gopher"; }

// The query and fragment of a web address, from path_end on, with the
// bytes browsers escape there escaped.
void AppendQueryAndFragment(std::string& out, std::string_view scheme, std::string_view address,
                            std::size_t path_end) {
  const std::size_t fragment = std::min(address.find('#', path_end), address.size());
  AppendEscaped(out, address.substr(path_end, fragment - path_end),
                IsSpecialScheme(scheme) ? kSpecialQueryEscapes : kQueryEscapes);
  AppendEscaped(out, address.substr(fragment), kFragmentEscapes);
}

// The address a web address written as written reads as: blanks around it
// and tabs and line breaks in it dropped, and for a special scheme the
// backslashes of its path read as slashes. A view of written, or of
// storage where it had to change.
std::string_view ReadWebAddress(std::string_view written, bool special, std::string& storage) {
  constexpr std::string_view kBlanks = " \t\r\n\f";
  const std::size_t first = written.find_first_not_of(kBlanks);
  if (first == kNone) return {};
  const std::string_view value =
      written.substr(first, written.find_last_not_of(kBlanks) - first + 1);
  const std::string_view path = value.substr(0, FindFirstOf<'?', '#'>(value));
  if (FindFirstOf<'\t', '\r', '\n'>(value) == kNone && (!special || path.find('\\') == kNone)) {
    return value;
  }
  storage = ReadAddressValue(value);
  if (special) BackslashesToSlashes(storage);
  return storage;
}

std::string NormaliseUrl(std::string_view written, std::size_t scheme_length) {
  const std::string scheme = LowerCase(written.substr(0, scheme_length - 3));
  const bool web = IsWebScheme(scheme);
  std::string read;
  const std::string_view address =
      web ? ReadWebAddress(written, IsSpecialScheme(scheme), read) : written;
  const std::size_t path_start = UrlPathStart(address);
  std::string result;
  result.reserve(address.size() + 8);
  result.append(scheme).append("://");
  AppendAuthority(result, scheme, address.substr(scheme_length, path_start - scheme_length));
  std::size_t path_end = FindFirstOf<'?', '#'>(address, path_start);
  if (path_end == kNone) path_end = address.size();
  std::string_view path = address.substr(path_start, path_end - path_start);
  NormalPath normal;
  if (path.empty()) {
    path = "/";
  } else if (HasDotSegment(path, 1)) {
    normal = RemoveDotSegments(path, 1, true);
    path = normal.text;
  }
  if (!web) return result.append(path).append(address.substr(path_end));
  AppendEscaped(result, path, kPathEscapes);
  AppendQueryAndFragment(result, scheme, address, path_end);
  return result;
}

}  // namespace

std::string ReadAddressValue(std::string_view value) {
  constexpr std::string_view kBlanks = " \t\r\n\f";
  const std::size_t first = value.find_first_not_of(kBlanks);
  if (first == kNone) return {};
  value = value.substr(first, value.find_last_not_of(kBlanks) - first + 1);
  if (FindFirstOf<'\t', '\r', '\n'>(value) == kNone) return std::string(value);
  std::string read;
  read.reserve(value.size());
  for (char c : value) {
    if (c != '\t' && c != '\r' && c != '\n') read += c;
  }
  return read;
}

bool IsSpecialScheme(std::string_view scheme) {
  return core::EqualsNoCase(scheme, "http") || core::EqualsNoCase(scheme, "https") ||
         core::EqualsNoCase(scheme, "ftp");
}

void BackslashesToSlashes(std::string& reference) {
  const std::size_t end = std::min(FindFirstOf<'?', '#'>(reference), reference.size());
  std::replace(reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(end), '\\', '/');
}

void AppendEscaped(std::string& out, std::string_view text, std::string_view also) {
  // Called for every link of every page: one table look-up a byte, and the
  // runs between escapes appended whole.
  std::bitset<256> escaped;
  for (const char c : also) escaped.set(static_cast<unsigned char>(c));
  std::size_t run = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte > 0x20 && byte < 0x7F && !escaped.test(byte)) continue;
    out.append(text.substr(run, at - run));
    core::AppendPercentEscape(out, byte);
    run = at + 1;
  }
  out.append(text.substr(run));
}

std::optional<std::string> PathWithin(std::string_view path) {
  std::vector<std::string_view> segments;
  std::string unified(path);
  std::replace(unified.begin(), unified.end(), '\\', '/');
  std::string_view rest = unified;
  while (!rest.empty()) {
    const std::size_t slash = std::min(rest.find('/'), rest.size());
    const std::string_view segment = rest.substr(0, slash);
    rest.remove_prefix(std::min(slash + 1, rest.size()));
    if (segment == "..") {
      if (segments.empty()) return std::nullopt;
      segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
  }
  std::string normal;
  for (std::string_view segment : segments) {
    if (!normal.empty()) normal += '/';
    normal += segment;
  }
  if (!normal.empty() && unified.back() == '/') normal += '/';
  return normal;
}

std::size_t UrlPathStart(std::string_view address) {
  const std::size_t scheme_length = SchemeLength(address);
  if (scheme_length == 0) return 0;
  const std::size_t path_start = FindFirstOf<'/', '\\', '?', '#'>(address, scheme_length);
  return path_start == kNone ? address.size() : path_start;
}

NormalPath NormaliseLocalPath(std::string_view path) {
  const std::size_t end = FindFirstOf<'?', '#'>(path);
  const std::string_view segments = path.substr(0, end);
  const std::size_t root = LocalRoot(segments);
  NormalPath result = RemoveDotSegments(segments, root, root > 0);
  // A path such as "./http://h/x" or "./c:x" stays a relative path, not a
  // URL or a drive.
  if (SchemeLength(result.text) != 0 || (root == 0 && LocalRoot(result.text) != 0)) {
    result.text.insert(0, "./");
  }
  if (end != kNone) {
    if (result.text == ".") result.text.clear();
    result.text += path.substr(end);
  }
  return result;
}

std::string NormaliseAddress(std::string_view address) {
  const std::size_t scheme_length = SchemeLength(address);
  if (scheme_length == 0) return NormaliseLocalPath(address).text;
  return NormaliseUrl(address, scheme_length);
}

std::string NormaliseAppended(std::string_view normal, std::string_view tail) {
  std::string out;
  out.reserve(normal.size() + tail.size() + 8);
  out = normal;
  const std::size_t path_start = UrlPathStart(normal);
  const std::size_t tail_path_end = std::min(FindFirstOf<'?', '#'>(tail), tail.size());
  std::string_view segments = tail.substr(0, tail_path_end);
  if (out.size() == path_start && !segments.empty()) {
    out += segments[0];  // the path's root
    segments.remove_prefix(1);
  }
  // The segments are taken one by one onto the path, which has no dot
  // segment: "." is dropped, ".." takes off the last segment and never
  // climbs above the root (RemoveDotSegments of a rooted path). Escaping
  // leaves dots and separators as they are.
  const std::size_t root = path_start + 1;
  while (!segments.empty()) {
    const std::size_t separator = FindFirstOf<'/', '\\'>(segments);
    const std::size_t piece_end = separator == kNone ? segments.size() : separator + 1;
    const std::string_view name = segments.substr(0, std::min(separator, segments.size()));
    if (name == "..") {
      if (out.size() > root)
        out.resize(FindLastOf<'/', '\\'>(std::string_view(out).substr(0, out.size() - 1)) + 1);
    } else if (name != ".") {
      AppendEscaped(out, segments.substr(0, piece_end), kPathEscapes);
    }
    segments.remove_prefix(piece_end);
  }
  if (out.size() == path_start) out += '/';
  AppendQueryAndFragment(out, normal.substr(0, SchemeLength(normal) - 3), tail, tail_path_end);
  return out;
}

std::string FolderOf(std::string_view normalised) {
  const std::size_t path_start = UrlPathStart(normalised);
  const std::string_view path = normalised.substr(0, FindFirstOf<'?', '#'>(normalised, path_start));
  const std::size_t separator = FindLastOf<'/', '\\'>(path);
  if (SchemeLength(normalised) != 0 && (separator == kNone || separator < path_start)) {
    return std::string(normalised.substr(0, path_start)) + "/";
  }
  if (separator == kNone) return {};
  return std::string(path.substr(0, separator + 1));
}

Url::Url(std::string text) : text_(std::move(text)) {
  authority_ = SchemeLength(text_);
  path_ = UrlPathStart(text_);
  query_ = std::min(FindFirstOf<'?', '#'>(text_, path_), text_.size());
  fragment_ = std::min(text_.find('#', query_), text_.size());
}

std::optional<Url> Url::Parse(std::string_view address) {
  if (SchemeLength(address) == 0) return std::nullopt;
  return Url(NormaliseAddress(address));
}

std::optional<Url> Url::AsWritten(std::string address) {
  if (SchemeLength(address) == 0) return std::nullopt;
  return Url(std::move(address));
}

std::optional<std::string_view> IndexPageFolder(std::string_view normalised) {
  static constexpr std::string_view kIndexNames[] = {
      "index.html", "index.htm", "index.shtml", "index.php", "default.htm", "default.html",
  };
  // Asked for every link a crawl meets: the address is looked at once, and
  // only a last segment of an index page's length and first letter is
  // compared with the names.
  const bool url = SchemeLength(normalised) != 0;
  const std::size_t path_start = url ? UrlPathStart(normalised) : 0;
  const std::size_t query = FindFirstOf<'?', '#'>(normalised, path_start);
  if (query != kNone && normalised[query] == '?') return std::nullopt;
  const std::string_view path = normalised.substr(0, query);
  const std::size_t separator = FindLastOf<'/', '\\'>(path);
  if (url && (separator == kNone || separator < path_start)) return std::nullopt;
  const std::size_t name_start = separator == kNone ? 0 : separator + 1;
  const std::string_view name = path.substr(name_start);
  if (name.size() < 9 || name.size() > 12 ||
      (core::ToLowerAscii(name[0]) != 'i' && core::ToLowerAscii(name[0]) != 'd')) {
    return std::nullopt;
  }
  for (std::string_view index : kIndexNames) {
    if (core::EqualsNoCase(name, index)) return normalised.substr(0, name_start);
  }
  return std::nullopt;
}

}  // namespace vellum::web
