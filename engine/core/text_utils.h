// Small text routines shared by the tokenizers, the scan, generation and
// upload. They work on NUL-terminated 8-bit text in place or on views and
// never allocate.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace vellum::core {

class TextFile;

// Character classes. The NUL character belongs to both delimiter sets.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsTagNameDelimiter(char c);
bool IsWordDelimiter(char c);
constexpr bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '.'; }

// The first byte of text from `from` on that is one of kBytes; text.size()
// when none is. Eight bytes are looked at a time: XORed with a byte looked
// for, a byte of a word that is that byte becomes 0, and the lowest 0 byte
// of a word shows as the lowest bit of (word - 0x0101...) & ~word & 0x8080...
template <char... kBytes>
std::size_t FindAnyOf(std::string_view text, std::size_t from) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    const auto zero_bytes = [](uint64_t word) { return (word - kOnes) & ~word & kOnes * 0x80; };
    for (; from + sizeof(uint64_t) <= text.size(); from += sizeof(uint64_t)) {
      uint64_t word;
      std::memcpy(&word, text.data() + from, sizeof word);
      const uint64_t found = (zero_bytes(word ^ kOnes * static_cast<uint8_t>(kBytes)) | ...);
      if (found != 0) return from + std::countr_zero(found) / 8;
    }
  }
  while (from < text.size() && ((text[from] != kBytes) && ...)) ++from;
  return from;
}

// Semicolon lists ("*.htm;*.html"): elements counted from 0; an empty text is
// one empty element.

// True when some element equals name without regard to case; false for an
// absent list.
bool InList(std::string_view name, const char* list);

// Element index of list, cut to capacity - 1 characters (a capacity of 0
// means no cut); nothing when the list is absent or has no such element.
std::optional<std::string_view> ListElement(const char* list, int index, std::size_t capacity = 0);

// Removes every backslash in place, keeping the character after it. Returns
// the number removed.
int Unescape(char* text);

// The first place where pattern matches text without regard to case; null
// when text is empty or there is no match. An empty pattern matches at the
// start of a non-empty text.
const char* FindNoCase(const char* text, std::string_view pattern);

// Writes bytes to file in one block. On a short write: "write error in the
// file" to the error callback, the file is closed, and the result is false.
bool CheckedWrite(TextFile& file, std::string_view bytes);

// The part of path behind its last "\" or "/" (the whole path when none).
const char* FileNamePart(const char* path);

// True when path's extension (behind its last ".", ignoring any "#" or "?"
// part) equals, without regard to case, the text behind the first "." of a
// pattern of the list. A path without "." is compared whole.
bool ExtensionInList(std::string_view path, const char* patterns);
bool ExtensionInList(const char* path, const char* patterns);

// True for a drive path ("c:\...") and for a path starting with "/".
bool IsAbsolutePath(const char* path);

// The number of "\" and "/" characters in path.
int SeparatorCount(std::string_view path);

// Inline: a crawl asks them about every tag name and link.
inline char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

// text without the ASCII white space (space, tab, CR, LF, form feed) at
// either end.
std::string_view TrimWhiteSpace(std::string_view text);

// The value of a hexadecimal digit, or -1 when c is none.
int HexDigitValue(char c);

// The byte of the percent escape ("%7E") at text[at], or -1 when none
// starts there.
int PercentEscapeAt(std::string_view text, std::size_t at);

// Appends byte as "%" and two upper-case hexadecimal digits.
void AppendPercentEscape(std::string& out, unsigned char byte);

// A local file's path as an address that a page may link it by: "%", "#"
// and "?" escaped ("q?.html" is "q%3F.html"), every other byte kept.
std::string LocalAddressOf(std::string_view path);

// The file a local address names: without its "?" and "#" parts, percent
// escapes decoded ("operator%3D.html" is "operator=.html"), but for those of
// "/" and NUL, which no file name holds.
std::string LocalPathOf(std::string_view address);

// Whether text has the form of a language tag ("en", "de-CH", "zh-Hant-TW",
// "x-default"): one to eight letters, then groups of one to eight letters or
// digits, each after a "-". Only such a text is written into a page or a
// site map.
bool IsLanguageTag(std::string_view text);

// text with each character of special that is one of & < > " ' written as
// its XML entity (&amp; &lt; &gt; &quot; &apos;).
std::string EscapeEntities(std::string_view text, std::string_view special);

// text with "<", ">" and '"' written as character references, so that it
// reads the same as HTML text or inside an attribute but can hold no markup.
// Other references ("&#8212;") stay as they are.
std::string EscapeMarkup(std::string_view text);

// True when the first segment of a link (up to "/", "\", "?" or "#") holds a
// ":" or an "&" (which a character reference may turn into one): a browser
// would read a scheme there, such as "javascript:".
bool LooksLikeScheme(std::string_view link);

struct GlobSyntax {
  // Letters compare without regard to ASCII case.
  bool ignore_case = false;
};

// True when the whole text matches pattern: '*' matches any run of bytes
// (also none, also '/'), '?' exactly one byte, every other byte itself
// (case-sensitive unless the syntax says otherwise). Takes at most about
// pattern.size() * text.size() steps, whatever the pattern holds.
bool GlobMatch(std::string_view pattern, std::string_view text, GlobSyntax syntax = {});

}  // namespace vellum::core
