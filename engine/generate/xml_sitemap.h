// The XML site map (the sitemaps.org protocol 0.9) that search engines read:
// the public address of every page of the tree, once, in tree order, with
// its modification time where one is known and, when the project asks for
// them, its pictures (Google's image extension) and its language versions
// (xhtml:link rel="alternate"). A map beyond the protocol's
// limits is split into numbered files beside the output file, which then
// becomes their index; an output file whose name ends in ".gz" is written
// gzip-compressed, and so are its parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellum/vellum.h"
#include "web/links.h"

namespace vellum::generate {

class OutputFiles;

// What one file of the map may hold at most: the protocol's 50,000
// addresses and 50 MB before compression.
struct XmlSitemapLimits {
  std::size_t addresses = 50'000;
  std::size_t bytes = 50 * 1024 * 1024;
};

// One entry of the map: the public address, percent-encoded (XmlSitemapAddress
// without the XML escapes), and its modification time in seconds since 1970 (UTC) when known.
// As the project's site settings ask (VELLUM_SITEMAP_), what the last scan
// found on the page: the public addresses of its pictures on the site, and
// its language versions, percent-encoded too.
struct XmlSitemapEntry {
  std::string location;
  std::optional<int64_t> modified;
  std::vector<std::string> images;
  std::vector<web::LanguageAlternate> alternates;
};

// Writes the XML site map of items to settings.OutputFile (placed as pages
// are: an absolute path as it is, a relative one in the current folder under
// its last component). Which addresses belong to the site, and where a page
// on disk is published, come from the project's site settings (the base of
// the last scan and the site's public address); base_path stands in for the
// scan's base when the project has none. The files are written among files,
// as pages: they are registered and announced once in place. A site on disk
// without public address is refused with a report, and nothing is written.
// False when something was refused or failed; failures are reported through
// the callbacks.
//
// The text format holds the same addresses, one a line (UTF-8, line feeds),
// and nothing else; beyond the limits its first part is the file and the
// others are numbered beside it from 1, as a text map has no index.
enum class SitemapFormat { kXml, kText };
bool WriteXmlSitemap(const SiteMapSettings& settings, const MapItemList& items,
                     const char* base_path, OutputFiles& files,
                     SitemapFormat format = SitemapFormat::kXml);

// The entries of the map of items, in tree order (each item before its
// children), each public address once. Refused (with a report) for pages on
// disk when the site has no public address: then none.
std::optional<std::vector<XmlSitemapEntry>> XmlSitemapEntries(const MapItemList& items,
                                                              const char* base_path);

// address as the map holds it: every byte that may not stand in an address
// (spaces, bytes above 127 such as UTF-8 sequences, quotes, angle brackets,
// backslashes, control characters, a "%" that starts no escape) as %XX, then
// "&" and "'" as XML character references.
std::string XmlSitemapAddress(std::string_view address);

// seconds since 1970 as the W3C date and time the protocol asks for,
// "YYYY-MM-DDThh:mm:ssZ" in UTC.
std::string W3cDateTime(int64_t seconds);

namespace testing {
// Replaces the limits of one file, so that tests can split small maps; the
// default-constructed limits restore the protocol's.
void SetXmlSitemapLimits(const XmlSitemapLimits& limits);
}  // namespace testing

}  // namespace vellum::generate
