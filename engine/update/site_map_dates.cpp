#include "update/site_map_dates.h"

#include <algorithm>
#include <deque>
#include <unordered_set>
#include <utility>

#include "core/text_utils.h"
#include "web/address.h"
#include "web/charset.h"
#include "web/fetcher.h"
#include "web/robots.h"

namespace vellum::update {
namespace {

constexpr std::int64_t kDay = 24 * 3600;
// A time without a zone is read as UTC; the site may have meant any zone
// from UTC-12 to UTC+14.
constexpr std::int64_t kZoneBefore = 14 * 3600;
constexpr std::int64_t kZoneAfter = 12 * 3600;

std::int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int year_of_era = year - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return static_cast<std::int64_t>(era) * 146097 + day_of_era - 719468;
}

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool Digits(int count, int& value) {
    if (text_.size() - at_ < static_cast<std::size_t>(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
      const char c = text_[at_ + i];
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    at_ += count;
    return true;
  }
  bool Take(char c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool AtEnd() const { return at_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// The text of the first child element of element that open and close
// enclose, trimmed; nullopt when it has none.
std::optional<std::string_view> ChildText(std::string_view element, std::string_view open,
                                          std::string_view close) {
  const std::size_t start = element.find(open);
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t from = start + open.size();
  const std::size_t end = element.find(close, from);
  if (end == std::string_view::npos) return std::nullopt;
  return core::TrimWhiteSpace(element.substr(from, end - from));
}

// What the text of an element stands for: a CDATA section's content as it
// is, else the text with its character references resolved. A view of text
// where nothing is resolved, else of decoded.
std::string_view Resolved(std::string_view text, std::string& decoded) {
  if (text.substr(0, 9) == "<![CDATA[" && text.size() >= 12 &&
      text.substr(text.size() - 3) == "]]>") {
    return core::TrimWhiteSpace(text.substr(9, text.size() - 12));
  }
  if (text.find('&') == std::string_view::npos) return text;
  decoded = web::DecodeCharacterReferences(text);
  return decoded;
}

// The answer to a GET of address, at most limit bytes of it; nullopt when
// progress said stop.
std::optional<web::FetchResult> Fetch(web::Fetcher& fetcher, const std::string& address,
                                      std::size_t limit, core::Progress& progress) {
  if (!fetcher.Add(address, 0, false, limit)) return web::FetchResult{};
  std::vector<web::FetchResult> done;
  while (done.empty()) {
    if (!fetcher.Collect(done, core::Progress::kTickInterval) && fetcher.pending() == 0) break;
    if (!progress.Tick()) return std::nullopt;
  }
  return done.empty() ? web::FetchResult{} : std::move(done.front());
}

std::string_view BodyOf(const web::FetchResult& result) {
  return result.ok && result.body.data
             ? std::string_view(result.body.data.get(), result.body.length)
             : std::string_view();
}

}  // namespace

std::optional<ListedTime> ParseLastmod(std::string_view text) {
  Cursor at(core::TrimWhiteSpace(text));
  int year = 0;
  int month = 1;
  int day = 1;
  if (!at.Digits(4, year)) return std::nullopt;
  const bool has_month = at.Take('-');
  if (has_month && (!at.Digits(2, month) || month < 1 || month > 12)) return std::nullopt;
  const bool has_day = has_month && at.Take('-');
  if (has_day && (!at.Digits(2, day) || day < 1 || day > 31)) return std::nullopt;
  const std::int64_t start = DaysFromCivil(year, month, day) * kDay;
  if (at.AtEnd()) {
    const std::int64_t end = !has_month ? DaysFromCivil(year + 1, 1, 1) * kDay
                             : !has_day ? DaysFromCivil(year + month / 12, month % 12 + 1, 1) * kDay
                                        : start + kDay;
    return ListedTime{start - kZoneBefore, end - 1 + kZoneAfter};
  }
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (!has_day || !at.Take('T') || !at.Digits(2, hour) || hour > 23 || !at.Take(':') ||
      !at.Digits(2, minute) || minute > 59) {
    return std::nullopt;
  }
  std::int64_t span = 59;  // a time without seconds is a whole minute
  if (at.Take(':')) {
    if (!at.Digits(2, second) || second > 60) return std::nullopt;
    span = 0;
    if (at.Take('.')) {
      int digit = 0;
      if (!at.Digits(1, digit)) return std::nullopt;
      while (at.Digits(1, digit)) {
      }
      span = 1;
    }
  }
  const std::int64_t time = start + hour * 3600 + minute * 60 + second;
  if (at.AtEnd()) return ListedTime{time - kZoneBefore, time + span + kZoneAfter};
  if (at.Take('Z')) return at.AtEnd() ? std::optional(ListedTime{time, time + span}) : std::nullopt;
  const bool ahead = at.Take('+');
  int zone_hours = 0;
  int zone_minutes = 0;
  if ((!ahead && !at.Take('-')) || !at.Digits(2, zone_hours) || zone_hours > 14 || !at.Take(':') ||
      !at.Digits(2, zone_minutes) || zone_minutes > 59 || !at.AtEnd()) {
    return std::nullopt;
  }
  const std::int64_t utc = time - (ahead ? 1 : -1) * (zone_hours * 3600 + zone_minutes * 60);
  return ListedTime{utc, utc + span};
}

SiteMapFile ParseSiteMap(std::string_view xml) {
  SiteMapFile file;
  for (std::size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at + 1)) {
    const std::string_view rest = xml.substr(at + 1);
    const bool page = rest.substr(0, 3) == "url";
    const std::string_view name = page ? "url" : "sitemap";
    if ((!page && rest.substr(0, 7) != "sitemap") || rest.size() <= name.size() ||
        std::string_view(">\t\r\n ").find(rest[name.size()]) == std::string_view::npos) {
      continue;
    }
    const std::size_t end = xml.find(page ? "</url>" : "</sitemap>", at);
    if (end == std::string_view::npos) break;  // cut short
    const std::string_view element = xml.substr(at, end - at);
    at = end;
    std::string decoded;
    const std::optional<std::string_view> loc = ChildText(element, "<loc>", "</loc>");
    std::string address(loc ? Resolved(*loc, decoded) : std::string_view());
    if (address.empty()) continue;
    if (!page) {
      file.maps.push_back(std::move(address));
      continue;
    }
    const std::optional<std::string_view> lastmod = ChildText(element, "<lastmod>", "</lastmod>");
    file.pages.push_back(
        {std::move(address), lastmod ? ParseLastmod(Resolved(*lastmod, decoded)) : std::nullopt});
  }
  return file;
}

std::vector<std::string> SiteMapsOfRobots(std::string_view robots) {
  std::vector<std::string> maps;
  while (!robots.empty()) {
    const std::size_t end = std::min(robots.find_first_of("\r\n"), robots.size());
    std::string_view line = robots.substr(0, end);
    robots.remove_prefix(std::min(end + 1, robots.size()));
    line = core::TrimWhiteSpace(line.substr(0, line.find('#')));
    if (line.size() > 8 && core::EqualsNoCase(line.substr(0, 8), "sitemap:")) {
      maps.emplace_back(core::TrimWhiteSpace(line.substr(8)));
    }
  }
  return maps;
}

bool ReadSiteMaps(const std::string& base, const scan::CrawlSettings& settings,
                  core::Progress& progress, AddressKeys& keys,
                  const std::function<bool(int key)>& wanted, ListedPages& listed) {
  const std::string host = web::Fetcher::HostOf(base);
  web::FetchOptions options;
  options.connections_per_host = 1;
  options.delay_ms = settings.delay_ms;
  options.page_seconds = settings.page_seconds;
  web::Fetcher fetcher(options);
  const std::optional<web::FetchResult> robots =
      Fetch(fetcher, host + "/robots.txt", web::kRobotsReadLimit, progress);
  if (!robots) return false;
  std::vector<std::string> named = SiteMapsOfRobots(BodyOf(*robots));
  std::deque<std::string> pending(named.begin(), named.end());
  if (pending.empty()) {
    const web::RobotsRules rules = web::RobotsRules::FromAnswer(
        host + "/robots.txt", robots->status, robots->ok, BodyOf(*robots), "Vellumark");
    if (!settings.honour_robots || rules.Allows("/sitemap.xml")) {
      pending.push_back(host + "/sitemap.xml");
    }
  }
  std::unordered_set<std::string> seen;
  std::size_t bytes = 0;
  for (int files = 0; !pending.empty() && files < kSiteMapFiles && bytes < kSiteMapTotalBytes;) {
    const std::string address = web::NormaliseAddress(pending.front());
    pending.pop_front();
    if (web::Fetcher::HostOf(address) != host || !seen.insert(address).second) continue;
    ++files;
    const std::optional<web::FetchResult> answer = Fetch(fetcher, address, kSiteMapBytes, progress);
    if (!answer) return false;
    bytes += answer->body.length;
    SiteMapFile file = ParseSiteMap(BodyOf(*answer));
    // A page listed twice counts with its latest time.
    for (const SiteMapFile::Page& page : file.pages) {
      if (!page.lastmod) continue;
      const int key = keys(page.address);
      if (!wanted(key)) continue;
      const auto [entry, added] = listed.try_emplace(key, *page.lastmod);
      if (added) continue;
      entry->second.earliest = std::max(entry->second.earliest, page.lastmod->earliest);
      entry->second.latest = std::max(entry->second.latest, page.lastmod->latest);
    }
    pending.insert(pending.end(), file.maps.begin(), file.maps.end());
  }
  return true;
}

bool ListedUnchanged(const ListedTime& listed, const scan::KeptPage& kept) {
  if (kept.listed >= 0 && listed.earliest <= kept.listed) return true;
  return kept.version.modified >= 0 && listed.latest <= kept.version.modified;
}

}  // namespace vellum::update
