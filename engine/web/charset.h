// The text of web pages in the one encoding the engine keeps texts in,
// UTF-8: charset names as pages and servers give them, conversion from the
// charset a page is written in, and the character references of HTML.
//
// Every function here takes hostile bytes: nothing is ever dropped silently
// (what does not convert becomes U+FFFD) and nothing fails.
#pragma once

#include <string>
#include <string_view>

namespace vellum::web {

// True when bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// The charset parameter of a Content-Type value ("text/html; charset=UTF-8"
// gives "utf-8"), lower-cased and without quotes; empty when there is none.
std::string CharsetOfContentType(std::string_view content_type_header);

// The encoding that a charset label names in the WHATWG Encoding Standard's
// table of labels (section 4.2), by its name there in lower case ("utf-8",
// "windows-1252" for Latin-1 and ASCII, "shift_jis", "utf-16le",
// "replacement", ...). Blanks around the label are ignored, letters compare
// without regard to case. Empty for a label that is not in the table
// (IBM037, UTF-7, "utf-8//IGNORE"): no browser reads a page in it.
std::string_view EncodingOfLabel(std::string_view label);

// The encoding that the byte order mark at the start of bytes stands for
// (the standard's BOM sniff, section 6): "utf-8", "utf-16be" or
// "utf-16le"; empty when bytes start with none. It comes before any label.
std::string_view EncodingOfBom(std::string_view bytes);

// bytes as UTF-8, read in charset (a label, or a name EncodingOfLabel
// gives). An empty or unknown charset reads bytes as UTF-8 when they are
// valid UTF-8, else as Windows-1252. What does not convert becomes U+FFFD
// (the replacement encoding turns any bytes into that one character).
std::string ToUtf8(std::string_view bytes, std::string_view charset);

// text with its character references ("&amp;", "&eacute;", "&#233;",
// "&#xE9;") written as UTF-8. A reference must end with ";"; one that is
// unknown, unterminated or stands for no character (0, a surrogate, beyond
// U+10FFFF) stays as written.
std::string DecodeCharacterReferences(std::string_view text);

}  // namespace vellum::web
