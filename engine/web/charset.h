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

// The name under which the engine converts from charset: "utf-8",
// "windows-1252" for Latin-1 and ASCII (as browsers read them), else the
// lower-cased name itself when the system's converter knows it. Empty for
// an unknown, malformed or refused name (UTF-7, which no browser reads).
std::string KnownCharset(std::string_view charset);

// bytes as UTF-8, read in charset. An empty or unknown charset reads bytes
// as UTF-8 when they are valid UTF-8, else as Windows-1252. Bytes that do
// not convert each become U+FFFD.
std::string ToUtf8(std::string_view bytes, std::string_view charset);

// text with its character references ("&amp;", "&eacute;", "&#233;",
// "&#xE9;") written as UTF-8. A reference must end with ";"; one that is
// unknown, unterminated or stands for no character (0, a surrogate, beyond
// U+10FFFF) stays as written.
std::string DecodeCharacterReferences(std::string_view text);

}  // namespace vellum::web
