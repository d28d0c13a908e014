// Sorting link targets: scheme predicates, the order in which link
// extraction classifies a resolved link, the page-extension test and whether
// a web address leaves the site being scanned. Nothing here changes its
// arguments.
#pragma once

#include <string_view>

namespace vellum::web {

// Each is true when the text begins with the scheme, in any letter case.
bool IsHttp(std::string_view text);  // "http://" or "https://"
bool IsFtp(std::string_view text);
bool IsGopher(std::string_view text);
bool IsWebAddress(std::string_view text);  // http, https, ftp or gopher
bool IsFileAddress(std::string_view text);
bool IsMailAddress(std::string_view text);
bool IsNewsAddress(std::string_view text);

// True when the text has no ":" at all.
bool IsRelative(std::string_view text);

// True when address is a web address that does not begin (byte for byte)
// with the folder of base, the part of base before its last "\" or "/". A
// base that is empty or has no separator puts every web address outside.
bool IsOutsideSite(std::string_view address, std::string_view base);

// True when the http(s) address to belongs to the same site as from: the
// same scheme, host and port, the same host over HTTPS where from was HTTP,
// or another host of the same registrable domain (the Public Suffix List's:
// "www.example.com" and "example.com", not "a.github.io" and
// "b.github.io"), over the same scheme or HTTPS.
bool IsSameSite(std::string_view from, std::string_view to);

// The classes of a resolved link, in the order they are tested.
enum class LinkClass {
  kFtpPage,
  kFile,
  kGopher,
  kMail,
  kNews,
  kOtherScheme,  // not HTTP, not relative, not a local absolute path
  kPage,         // HTTP, relative, or a local absolute path
};

LinkClass ClassifyLink(std::string_view link);

// True when link (up to its first "#" or "?") ends in an extension of the
// configured page patterns (ExtPage). Nothing is a page without them.
bool HasPageExtension(std::string_view link);

}  // namespace vellum::web
