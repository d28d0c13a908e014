// The rules of a site's robots.txt for one crawler (RFC 9309). A robots.txt
// comes from the web: any bytes parse, at most kRobotsParseLimit of them are
// read, and a rule is matched in time linear in its length and the path's,
// whatever the patterns hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::web {

// Bytes of a robots.txt body that are parsed; the rest is ignored.
inline constexpr std::size_t kRobotsParseLimit = 500 * 1024;

// Bytes of a robots.txt worth downloading: a transfer may end there (RFC
// 9309 2.5). Room for a byte order mark and one byte beyond the parse limit,
// so that Parse knows the last line to be cut.
inline constexpr std::size_t kRobotsReadLimit = kRobotsParseLimit + 4;

// Bytes of a path that the parts of a rule before its last '*' are looked
// for in: a rule matches a longer path only where it matches within them,
// save that the part of a '$' rule after its last '*' is held against the
// path's true end.
inline constexpr std::size_t kRobotsPathLimit = 2048;

// The longest pause between two requests that a Crawl-delay gets.
inline constexpr int kLongestCrawlDelayMs = 30 * 1000;

class RobotsRules {
 public:
  // Rules that allow everything, as for a site without robots.txt.
  RobotsRules() = default;

  // Parses a robots.txt body for the given agent product token
  // ("Vellumark"). The rules of the groups naming the agent (compared
  // without regard to case, all such groups merged) apply; when no group
  // names it, those of the "*" groups; when there are none, everything is
  // allowed. Nothing refers to body afterwards.
  static RobotsRules Parse(std::string_view body, std::string_view agent);

  // The rules that a request for robots.txt leaves (RFC 9309 2.3.1).
  // address is where the answer came from, after redirects; status its
  // status (0 when none came); whole says that the body came to its end.
  // A whole successful answer gives the rules of its body. An answer that
  // says there is no file (HTTP 4xx, a redirect that led nowhere, an FTP
  // server's refusal) leaves no rules. A server error (HTTP 5xx), an answer
  // that broke off, or none at all leaves the file unreachable: then
  // nothing but robots.txt may be read.
  static RobotsRules FromAnswer(std::string_view address, long status, bool whole,
                                std::string_view body, std::string_view agent);

  // True for the rules of a robots.txt that could not be reached.
  bool unreachable() const { return unreachable_; }
  // True when Allows is true for every path: a crawl need not ask.
  bool allows_all() const { return !unreachable_ && rules_.empty(); }

  // True when the path with its query, as sent in the request line
  // ("/a/b.html?x=1"), may be fetched. Of the patterns that match, the
  // longest decides; between an Allow and a Disallow of the same length,
  // the Allow. A '*' or '$' of the path matches only the same character
  // escaped in a pattern ("%2A", "%24"). "/robots.txt" is always allowed.
  bool Allows(std::string_view path_and_query) const;

  // The Crawl-delay of the chosen groups in milliseconds (the first one
  // given, at most kLongestCrawlDelayMs), 0 when none.
  int crawl_delay_ms() const { return crawl_delay_ms_; }

  // True when that Crawl-delay asked for more than kLongestCrawlDelayMs.
  bool crawl_delay_capped() const { return crawl_delay_capped_; }

 private:
  struct Rule {
    std::string pattern;    // normalized, without a final '$'; any other '$' as "%24"
    bool anchored = false;  // the pattern ended in '$': the whole path must match
    bool allow = false;
    std::size_t length = 0;  // of the normalized pattern as written, '$' included
    // For each byte of pattern, the longest proper border of the part of its
    // '*'-separated segment that ends there (Knuth-Morris-Pratt).
    std::vector<std::uint32_t> borders;

    bool Matches(std::string_view path) const;
  };

  std::vector<Rule> rules_;  // longest first; Allow before Disallow of the same length
  int crawl_delay_ms_ = 0;
  bool crawl_delay_capped_ = false;
  bool unreachable_ = false;
};

}  // namespace vellum::web
