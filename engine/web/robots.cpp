#include "web/robots.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/text_utils.h"
#include "web/url_class.h"

namespace vellum::web {
namespace {

// Delays are summed up to a day at most, to stay clear of overflow: a
// longer one is capped in any case.
constexpr long long kDelaySumLimitMs = 24 * 60 * 60 * 1000;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// One spelling for each path, applied alike to patterns and request paths:
// escapes of unreserved characters are decoded ("%7E" reads "~"), other
// escapes get upper-case hex digits, and bytes beyond ASCII are escaped (a
// pattern written in UTF-8 then matches the escaped request path). A
// pattern keeps its '*' and its final '$', which are special there; in a
// request path they are escaped, so that only an escaped '*' or '$' of a
// pattern matches them.
enum class Spelling { kPattern, kPath };

std::string Normalize(std::string_view path, Spelling spelling) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (const int escaped = core::PercentEscapeAt(path, i); escaped >= 0) {
      const auto decoded = static_cast<unsigned char>(escaped);
      if (IsUnreserved(decoded)) {
        out += static_cast<char>(decoded);
      } else {
        core::AppendPercentEscape(out, decoded);
      }
      i += 2;
    } else if (c >= 0x80 || (spelling == Spelling::kPath && c == '*') ||
               (c == '$' && (spelling == Spelling::kPath || i + 1 < path.size()))) {
      core::AppendPercentEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool IsTokenChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
}

// The product token at the start of a User-agent value ("Vellumark/2.1"
// names "Vellumark"), or "*" for the group of every crawler.
std::string_view ProductToken(std::string_view value) {
  if (!value.empty() && value.front() == '*') return "*";
  std::size_t end = 0;
  while (end < value.size() && IsTokenChar(value[end])) ++end;
  return value.substr(0, end);
}

// Seconds, possibly with a fraction ("0.5"), as milliseconds (at most
// kDelaySumLimitMs); nothing when the value is not such a number.
std::optional<long long> ParseDelay(std::string_view value) {
  long long ms = 0;
  std::size_t i = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    ms = std::min<long long>(ms * 10 + (value[i] - '0') * 1000, kDelaySumLimitMs);
  }
  const std::size_t whole_digits = i;
  if (i < value.size() && value[i] == '.') {
    long long scale = 100;
    for (++i; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i, scale /= 10) {
      ms += (value[i] - '0') * scale;
    }
  }
  if (whole_digits == 0 && i <= 1) return std::nullopt;
  if (i != value.size() && !IsSpace(value[i])) return std::nullopt;
  return std::min(ms, kDelaySumLimitMs);
}

struct Line {
  std::string_view key;
  std::string_view value;
};

// The key and value of a "key: value # comment" line; nothing for blank,
// comment-only and malformed lines.
std::optional<Line> SplitLine(std::string_view line) {
  line = line.substr(0, std::min(line.find('#'), line.size()));
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, colon));
  if (key.empty()) return std::nullopt;
  return Line{key, Trim(line.substr(colon + 1))};
}

// The body as parsed: without a byte order mark, cut to the limit, and
// then without the line the cut went through.
std::string_view ParsedPart(std::string_view body) {
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  if (body.size() <= kRobotsParseLimit) return body;
  body = body.substr(0, kRobotsParseLimit);
  const std::size_t last_end = body.find_last_of("\r\n");
  return last_end == std::string_view::npos ? std::string_view() : body.substr(0, last_end);
}

// For each byte of pattern, the length of the longest proper border (a
// beginning that is also an ending) of the part of its segment (between two
// '*') that ends with that byte.
void ComputeBorders(const std::string& pattern, std::vector<std::uint32_t>& borders) {
  borders.assign(pattern.size(), 0);
  std::size_t begin = 0;  // of the segment
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '*') {
      begin = i + 1;
      continue;
    }
    if (i == begin) continue;
    std::size_t k = borders[i - 1];
    while (k > 0 && pattern[i] != pattern[begin + k]) k = borders[begin + k - 1];
    if (pattern[i] == pattern[begin + k]) ++k;
    borders[i] = static_cast<std::uint32_t>(k);
  }
}

// Where the first occurrence of segment in text at or after from ends;
// npos when there is none. Knuth-Morris-Pratt over the segment's borders:
// the search never steps back in text, and each fallback undoes an earlier
// step forward, so it costs at most twice the bytes it passes.
std::size_t SegmentEnd(std::string_view segment, const std::uint32_t* borders,
                       std::string_view text, std::size_t from) {
  if (segment.empty()) return from;
  std::size_t matched = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    while (matched > 0 && text[i] != segment[matched]) matched = borders[matched - 1];
    if (text[i] == segment[matched]) ++matched;
    if (matched == segment.size()) return i + 1;
  }
  return std::string_view::npos;
}

// Whom the group being read is for.
struct Group {
  bool for_agent = false;
  bool for_all = false;
};

}  // namespace

RobotsRules RobotsRules::Parse(std::string_view body, std::string_view agent) {
  // Rules of the agent's groups and of the "*" groups are gathered apart;
  // the choice is made once the whole file has been read.
  RobotsRules named, everyone;
  bool agent_named = false, everyone_named = false;
  std::optional<long long> named_delay, everyone_delay;

  const std::string_view agent_token = ProductToken(agent);
  Group group;
  bool in_agent_lines = false;  // the last line that counts was a User-agent line
  body = ParsedPart(body);
  while (!body.empty()) {
    const std::size_t end = std::min(body.find_first_of("\r\n"), body.size());
    const std::optional<Line> line = SplitLine(body.substr(0, end));
    body.remove_prefix(std::min(end + 1, body.size()));
    if (!line) continue;

    if (core::EqualsNoCase(line->key, "user-agent")) {
      if (!in_agent_lines) group = {};
      in_agent_lines = true;
      const std::string_view token = ProductToken(line->value);
      if (token == "*") {
        group.for_all = everyone_named = true;
      } else if (!token.empty() && core::EqualsNoCase(token, agent_token)) {
        group.for_agent = agent_named = true;
      }
      continue;
    }
    const bool allow = core::EqualsNoCase(line->key, "allow");
    const bool rule_line = allow || core::EqualsNoCase(line->key, "disallow");
    const bool delay_line = core::EqualsNoCase(line->key, "crawl-delay");
    // Sitemap, Host and every unknown line are left alone; they neither
    // belong to a group nor end its User-agent lines.
    if (!rule_line && !delay_line) continue;
    in_agent_lines = false;
    if (!group.for_agent && !group.for_all) continue;

    if (rule_line) {
      // An empty Allow or Disallow says nothing.
      if (line->value.empty()) continue;
      RobotsRules* const targets[] = {group.for_agent ? &named : nullptr,
                                      group.for_all ? &everyone : nullptr};
      std::string pattern = Normalize(line->value, Spelling::kPattern);
      if (pattern.front() != '/' && pattern.front() != '*') pattern.insert(0, 1, '/');
      Rule rule{pattern, false, allow, pattern.size(), {}};
      if (rule.pattern.back() == '$') {
        rule.pattern.pop_back();
        rule.anchored = true;
      }
      for (RobotsRules* target : targets) {
        if (target) target->rules_.push_back(rule);
      }
    } else {
      const std::optional<long long> delay = ParseDelay(line->value);
      if (group.for_agent && !named_delay) named_delay = delay;
      if (group.for_all && !everyone_delay) everyone_delay = delay;
    }
  }

  RobotsRules chosen;
  long long delay = 0;
  if (agent_named) {
    chosen = std::move(named);
    delay = named_delay.value_or(0);
  } else if (everyone_named) {
    chosen = std::move(everyone);
    delay = everyone_delay.value_or(0);
  }
  // A site may ask for a day between two pages; the scan would then seem
  // to hang.
  chosen.crawl_delay_capped_ = delay > kLongestCrawlDelayMs;
  chosen.crawl_delay_ms_ = static_cast<int>(std::min<long long>(delay, kLongestCrawlDelayMs));
  std::stable_sort(chosen.rules_.begin(), chosen.rules_.end(), [](const Rule& a, const Rule& b) {
    return a.length != b.length ? a.length > b.length : (a.allow && !b.allow);
  });
  for (Rule& rule : chosen.rules_) ComputeBorders(rule.pattern, rule.borders);
  return chosen;
}

RobotsRules RobotsRules::FromAnswer(std::string_view address, long status, bool whole,
                                    std::string_view body, std::string_view agent) {
  bool rules = false, none = false;
  if (IsHttp(address)) {
    rules = whole && status >= 200 && status < 300;
    // A redirect beyond those followed, or a client error.
    none = status >= 300 && status < 500;
  } else {
    rules = whole;
    // An FTP server's permanent refusal: no such file, or none for us.
    none = IsFtp(address) && status >= 500 && status < 600;
  }
  if (rules) return Parse(body, agent);
  RobotsRules result;
  result.unreachable_ = !none;
  return result;
}

// The segments between the '*' of the pattern are taken in turn, each at
// its first occurrence behind the one before: an earlier occurrence never
// leaves less room for the rest. The first segment must begin the path;
// the last one of an anchored rule must end it. The searches go forward
// through the path, within its first kRobotsPathLimit bytes: a rule costs
// time linear in its length and the path's, and a check at most the parsed
// bytes plus the number of rules times kRobotsPathLimit, however many '*'
// the patterns hold.
bool RobotsRules::Rule::Matches(std::string_view path) const {
  const std::string_view whole = pattern;
  std::size_t star = whole.find('*');
  if (star == std::string_view::npos) return anchored ? path == whole : path.starts_with(whole);
  if (!path.starts_with(whole.substr(0, star))) return false;
  const std::string_view searched = path.substr(0, std::max(kRobotsPathLimit, star));
  std::size_t at = star;  // where the next segment may begin in the path
  for (;;) {
    const std::size_t begin = star + 1;
    star = whole.find('*', begin);
    const bool last = star == std::string_view::npos;
    const std::string_view segment = whole.substr(begin, (last ? whole.size() : star) - begin);
    if (last && anchored) return path.size() - at >= segment.size() && path.ends_with(segment);
    at = SegmentEnd(segment, borders.data() + begin, searched, at);
    if (at == std::string_view::npos) return false;
    if (last) return true;
  }
}

bool RobotsRules::Allows(std::string_view path_and_query) const {
  std::string path = Normalize(path_and_query, Spelling::kPath);
  if (path.empty() || path.front() != '/') path.insert(0, 1, '/');
  if (path == "/robots.txt") return true;
  if (unreachable_) return false;
  for (const Rule& rule : rules_) {
    if (rule.Matches(path)) return rule.allow;
  }
  return true;
}

}  // namespace vellum::web
