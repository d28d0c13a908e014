#include "core/text_utils.h"

#include <algorithm>
#include <cstring>

#include "core/messages.h"
#include "core/text_file.h"

namespace vellum::core {
namespace {

bool InSet(char c, std::string_view set) {
  return c == '\0' || set.find(c) != std::string_view::npos;
}

}  // namespace

bool IsTagNameDelimiter(char c) { return InSet(c, "<>=\"' \n\r"); }

bool IsWordDelimiter(char c) { return InSet(c, " .;{}[]()<>!,=?:#+-*/%^&`'\"\\|\t\n\r"); }

std::string_view TrimWhiteSpace(std::string_view text) {
  constexpr std::string_view kWhiteSpace = " \t\r\n\f";
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::optional<std::string_view> ListElement(const char* list, int index, std::size_t capacity) {
  if (list == nullptr || index < 0) return std::nullopt;
  std::string_view rest(list);
  for (int i = 0; i < index; ++i) {
    std::size_t semicolon = rest.find(';');
    if (semicolon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(semicolon + 1);
  }
  std::string_view element = rest.substr(0, rest.find(';'));
  if (capacity > 0) element = element.substr(0, capacity - 1);
  return element;
}

bool InList(std::string_view name, const char* list) {
  for (int i = 0;; ++i) {
    std::optional<std::string_view> element = ListElement(list, i);
    if (!element) return false;
    if (EqualsNoCase(*element, name)) return true;
  }
}

int Unescape(char* text) {
  int removed = 0;
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (*in == '\\') {
      ++removed;
      if (*++in == '\0') break;
    }
    *out++ = *in;
  }
  *out = '\0';
  return removed;
}

const char* FindNoCase(const char* text, std::string_view pattern) {
  if (text == nullptr || *text == '\0') return nullptr;
  for (const char* at = text; *at != '\0'; ++at) {
    std::size_t n = 0;
    while (n < pattern.size() && at[n] != '\0' && ToLowerAscii(at[n]) == ToLowerAscii(pattern[n])) {
      ++n;
    }
    if (n == pattern.size()) return at;
  }
  return nullptr;
}

bool CheckedWrite(TextFile& file, std::string_view bytes) {
  if (file.Write(bytes)) return true;
  ReportErrorCode(ErrorCode::kWriteError);
  file.Close();
  return false;
}

const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
    if (*at == '\\' || *at == '/') name = at + 1;
  }
  return name;
}

bool ExtensionInList(std::string_view path, const char* patterns) {
  if (patterns == nullptr) return false;
  // Asked for every link a crawl finds: one pass over the path and one over
  // the list.
  std::string_view considered = path;
  for (std::size_t at = 0; at < considered.size(); ++at) {
    if (considered[at] == '#' || considered[at] == '?') {
      considered = considered.substr(0, at);
      break;
    }
  }
  const std::string_view extension = considered.substr(considered.rfind('.') + 1);
  for (std::string_view rest(patterns);;) {
    const std::size_t end = std::min(rest.find(';'), rest.size());
    const std::string_view pattern = rest.substr(0, std::min<std::size_t>(end, 99));
    const std::size_t dot = pattern.find('.');
    if (dot != std::string_view::npos && EqualsNoCase(pattern.substr(dot + 1), extension)) {
      return true;
    }
    if (end == rest.size()) return false;
    rest.remove_prefix(end + 1);
  }
}

bool ExtensionInList(const char* path, const char* patterns) {
  return path != nullptr && ExtensionInList(std::string_view(path), patterns);
}

bool IsAbsolutePath(const char* path) {
  if (path == nullptr) return false;
  if (path[0] == '/') return true;
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return letter && path[1] == ':' && path[2] == '\\';
}

int SeparatorCount(std::string_view path) {
  return static_cast<int>(
      std::count_if(path.begin(), path.end(), [](char c) { return c == '\\' || c == '/'; }));
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int PercentEscapeAt(std::string_view text, std::size_t at) {
  if (at + 2 >= text.size() || text[at] != '%') return -1;
  const int high = HexDigitValue(text[at + 1]), low = HexDigitValue(text[at + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void AppendPercentEscape(std::string& out, unsigned char byte) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

std::string LocalAddressOf(std::string_view path) {
  std::string address;
  address.reserve(path.size());
  for (const char c : path) {
    if (c == '%' || c == '#' || c == '?') {
      AppendPercentEscape(address, static_cast<unsigned char>(c));
    } else {
      address += c;
    }
  }
  return address;
}

std::string LocalPathOf(std::string_view address) {
  address = address.substr(0, address.find_first_of("?#"));
  std::string path;
  path.reserve(address.size());
  for (std::size_t at = 0; at < address.size(); ++at) {
    const int byte = PercentEscapeAt(address, at);
    if (byte <= 0 || byte == '/') {
      path += address[at];
      continue;
    }
    path += static_cast<char>(byte);
    at += 2;
  }
  return path;
}

bool IsLanguageTag(std::string_view text) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  bool first = true;
  while (true) {
    const std::size_t end = std::min(text.find('-'), text.size());
    const std::string_view group = text.substr(0, end);
    if (group.empty() || group.size() > 8) return false;
    for (char c : group) {
      if (!letter(c) && (first || !digit(c))) return false;
    }
    if (end == text.size()) return true;
    text.remove_prefix(end + 1);
    first = false;
  }
}

std::string EscapeEntities(std::string_view text, std::string_view special) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (special.find(c) == std::string_view::npos) {
      escaped += c;
      continue;
    }
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string EscapeMarkup(std::string_view text) { return EscapeEntities(text, "<>\""); }

bool LooksLikeScheme(std::string_view link) {
  const std::string_view first = link.substr(0, link.find_first_of("/\\?#"));
  return first.find_first_of(":&") != std::string_view::npos;
}

bool GlobMatch(std::string_view pattern, std::string_view text, GlobSyntax syntax) {
  // Greedy matching that remembers only the last '*': when the part after it
  // fails, that star takes one more byte and the part is tried again. Earlier
  // stars never need to give bytes back (a later star can absorb whatever
  // they would), so there is no nested backtracking and the work stays within
  // pattern length times text length.
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t p = 0, t = 0, star = kNone, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || pattern[p] == text[t] ||
                (syntax.ignore_case && ToLowerAscii(pattern[p]) == ToLowerAscii(text[t])))) {
      ++p;
      ++t;
    } else if (star != kNone) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace vellum::core
