#include "scan/site_graph.h"

#include <algorithm>
#include <utility>

#include "core/messages.h"
#include "core/text_utils.h"
#include "web/address.h"
#include "web/charset.h"
#include "web/http_request.h"
#include "web/links.h"
#include "web/page_access.h"
#include "web/url_class.h"

namespace vellum::scan {
namespace {

// Answers taken ahead of the one the crawl waits for are held in memory:
// this many requests run or wait at most beyond it.
constexpr std::size_t kReadAhead = 64;
// Pages taken over unread (an update's unchanged ones) hold no body, so
// they do not count against the read-ahead: otherwise a few changed pages
// far apart among them would be asked for one round trip at a time. Their
// own bound keeps what they hold small.
constexpr std::size_t kUnreadAhead = 4096;

// The key pages are numbered by: a folder and its index page are one page.
std::string_view PageKey(std::string_view address) {
  return web::IndexPageFolder(address).value_or(address);
}

}  // namespace

SiteGraph::SiteGraph(std::string base, const char* excluded, unsigned link_flags,
                     unsigned scan_flags, const CrawlSettings& settings, core::Progress& progress,
                     ScanReport& report)
    : base_(web::NormaliseAddress(base)),
      excluded_(excluded),
      // Over HTTP the answer says what is a page, whatever its address.
      link_flags_(link_flags | web::kTypelessWebPages |
                  (settings.honour_robots ? web::kHonourNofollow : 0u)),
      scan_flags_(scan_flags),
      settings_(settings),
      progress_(progress),
      report_(report),
      include_(settings.include),
      exclude_(settings.exclude) {
  rules_.link_flags = link_flags_;
  rules_.scan_flags = scan_flags_;
  rules_.honour_robots = settings_.honour_robots;
  rules_.sitemap_extras = settings_.sitemap_extras;
}

std::string_view SiteGraph::KeyOf::operator()(int number) const {
  const auto other = graph->other_keys_.find(number);
  return other != graph->other_keys_.end() ? std::string_view(other->second)
                                           : std::string_view(graph->urls_[number]);
}

int SiteGraph::Resolve(int number) const {
  while (number >= 0 && pages_[number].alias_of >= 0) number = pages_[number].alias_of;
  return number;
}

int SiteGraph::Find(std::string_view address) const {
  return Resolve(numbers_.Find(PageKey(address)));
}

// The page of address, made when the address is new; kept is the number of
// the address among CrawlSettings::kept where the caller knows it.
int SiteGraph::Number(std::string_view address, int referrer, int depth, int kept) {
  const std::string_view key = PageKey(address);
  const std::uint32_t hash = numbers_.Hash(key);
  const int found = numbers_.Find(key, hash);
  if (found >= 0) return Resolve(found);
  const std::string& url = urls_.emplace_back(address);
  Page& page = pages_.emplace_back();
  page.referrer = referrer;
  page.depth = depth;
  page.kept = kept;
  const int number = static_cast<int>(urls_.size() - 1);
  if (key != url) other_keys_.emplace(number, key);
  numbers_.Add(hash, number);
  if (Admits(number)) {
    page.state = State::kQueued;
    queue_.push_back(number);
  }
  return number;
}

// Whether a page met on the way is to be read at all.
bool SiteGraph::Admits(int number) const {
  return number == 0 || Admits(urls_[number]);  // the base page always
}

// Whether the scan's patterns, and the page it is not to list, let an
// address in.
bool SiteGraph::Admits(std::string_view url) const {
  if (excluded_ != nullptr && url == excluded_) return false;
  if (!include_.empty() && !include_.Matches(url)) return false;
  return exclude_.empty() || !exclude_.Matches(url);
}

// The robots.txt entry of the host of url; none while the host has none.
// Afterwards robots_last_host_ is that host, as long as url's host part.
std::optional<web::RobotsRules>* SiteGraph::RobotsOf(std::string_view url) {
  // Most often the host of the address before: then url starts with it,
  // and the path (or the end) follows.
  const std::string& last = robots_last_host_;
  const std::size_t end = last.size();
  if (robots_last_ != nullptr && end != 0 && url.size() >= end &&
      (url.size() == end || url[end] == '/' || url[end] == '\\' || url[end] == '?' ||
       url[end] == '#') &&
      (url.compare(0, end, last) == 0 || core::EqualsNoCase(url.substr(0, end), last))) {
    return robots_last_;
  }
  const auto found = robots_.find(web::Fetcher::HostOf(url));
  if (found == robots_.end()) return nullptr;
  robots_last_host_ = found->first;
  robots_last_ = &found->second;
  return robots_last_;
}

// Whether the robots.txt of the address's host, where it came, lets the
// address be read.
bool SiteGraph::RobotsAllow(std::string_view url) {
  const std::optional<web::RobotsRules>* rules = RobotsOf(url);
  if (rules == nullptr || !*rules || (*rules)->allows_all()) return true;
  // What the request asks for: the path and query, as web::Url::request()
  // has them.
  const std::size_t path = robots_last_host_.size();
  return (*rules)->Allows(path == 0 ? "/" : url.substr(path, url.find('#', path) - path));
}

// Whether the links of a page are read: those of the base page, and of the
// pages inside the site unless the scan follows other sites too.
bool SiteGraph::Follows(int number) const {
  return number == 0 || !web::IsOutsideSite(urls_[number], base_) ||
         (link_flags_ & web::kFollowOutside) != 0;
}

bool SiteGraph::Crawl() {
  web::FetchOptions options;
  options.connections_per_host = settings_.connections;
  options.delay_ms = settings_.delay_ms;
  options.page_seconds = settings_.page_seconds;
  options.ca_file = settings_.ca_file;
  fetcher_ = std::make_unique<web::Fetcher>(options);

  // A page parsed wakes the crawl, which may be waiting for it.
  parser_ = std::make_unique<PageParser>(rules_, [this] { fetcher_->Wake(); });

  Number(base_, -1, 0);
  // Most pages of an update bring their dates over from the last scan.
  if (settings_.kept != nullptr) report_.modified.reserve(settings_.kept->size());
  std::vector<web::FetchResult> finished;
  while (taken_ < queue_.size()) {
    if (host_silent_ || !Dispatch()) return false;
    const Next next = TakeNext();
    if (next == Next::kTaken) continue;
    if (next == Next::kNothingDispatched && fetcher_->pending() == 0) continue;
    // Transfers go on while the parser reads the next page: looked at
    // again as soon as a transfer ends or the parser has a page.
    finished.clear();
    waits_for_room_ = -1;
    if (fetcher_->Collect(finished, core::Progress::kTickInterval)) {
      for (web::FetchResult& result : finished) {
        if (result.tag < 0) {
          TakeRobots(result);
        } else {
          Hold(std::move(result));
        }
      }
    }
    // A stalled server keeps no stop waiting.
    if (!progress_.Tick()) return false;
  }
  parser_.reset();
  fetcher_.reset();
  FinishCanonicals();
  FinishLinks();
  if (Read(base_number(), base_report_).state != State::kLoaded) return false;
  return !progress_.stopped();
}

// Takes the next page in the order pages were met, once its answer is in
// and, when the parser has it, what the parser took from it. With no
// transfer running there is nothing else to do: then it waits for the
// parser.
SiteGraph::Next SiteGraph::TakeNext() {
  if (taken_ >= dispatched_) return Next::kNothingDispatched;
  const int number = queue_[taken_];
  if (!unread_.empty() && unread_.front().first == number) {
    const KeptPage& kept = *unread_.front().second;
    unread_.pop_front();
    // Not wanted after all when its page was read under another address.
    if (pages_[number].state == State::kQueued) {
      if (silent_in_row_ > 0 && OnBaseHost(number)) silent_in_row_ = 0;  // as an answer would
      Reuse(number, kept);
    }
    ++taken_;
    return Next::kTaken;
  }
  auto found = answers_.find(number);
  if (found == answers_.end()) {
    if (pages_[number].state == State::kQueued) return Next::kWaiting;
    ++taken_;
    return Next::kTaken;
  }
  if (found->second.parsing && fetcher_->pending() > 0 && !parser_->Ready(number)) {
    return Next::kWaiting;
  }
  Answer answer = std::move(found->second);
  answers_.erase(found);
  held_bytes_ -= answer.bytes;
  if (pages_[number].state == State::kQueued) Take(number, answer.result, answer.parsing);
  // Not wanted after all (its page was read under another address).
  if (answer.parsing) parser_->Drop(number);
  ++taken_;
  return Next::kTaken;
}

// Starts the reading of the pages met so far, as far as the read-ahead, the
// limits and the hosts' robots.txt let it. False when the scan is to stop.
bool SiteGraph::Dispatch() {
  while (dispatched_ < queue_.size() && dispatched_ - taken_ - unread_.size() < kReadAhead &&
         unread_.size() < kUnreadAhead &&
         (held_bytes_ < settings_.read_ahead_bytes || dispatched_ == taken_)) {
    const int number = queue_[dispatched_];
    const std::string& url = urls_[number];
    Page& page = pages_[number];
    if (page.state != State::kQueued) {
      ++dispatched_;
      continue;
    }
    if (number == waits_for_room_) return true;
    if (read_count_ >= settings_.page_limit) {
      if (!limit_reported_) {
        limit_reported_ = true;
        core::ReportInfo(core::FormatText("Page limit reached: the scan reads %i pages at most\n",
                                          settings_.page_limit)
                             .c_str());
      }
      page.state = State::kUnread;
      ++dispatched_;
      continue;
    }
    const bool web_page = web::IsWebAddress(url);
    if (web_page && settings_.honour_robots && number != 0 && WaitForRobots(url)) return true;
    if (web_page && settings_.honour_robots && number != 0 && !RobotsAllow(url)) {
      page.state = State::kUnread;
      ++dispatched_;
      continue;
    }
    const KeptPage* kept = KeptFor(number);
    const bool said_unchanged =
        kept != nullptr && settings_.unchanged != nullptr && (*settings_.unchanged)[page.kept];
    // A request waits here rather than in the fetcher's queue, so that the
    // bound on what is held ahead holds back what has not started.
    if (web_page && !said_unchanged && !fetcher_->HasRoomFor(url)) {
      waits_for_room_ = number;
      return true;
    }
    progress_.set_total(static_cast<int32_t>(queue_.size()));
    progress_.set_failed(static_cast<int32_t>(report_.broken.size()));
    if (!progress_.Next(url.c_str())) return false;
    ++read_count_;
    ++dispatched_;
    if (web_page && !said_unchanged) {
      web::FetchCondition condition;
      if (kept != nullptr) condition = {kept->version.etag, kept->version.modified};
      if (!fetcher_->Add(url, number, true, 0, condition)) {
        Fail(number, 0, "the transfer could not be set up");
      }
      continue;
    }
    // A page the site says did not change, and a file whose size and time
    // are those of the last scan, are taken over unread.
    if (!web_page) page.version = FileVersion(core::LocalPathOf(url));
    if (said_unchanged || Unchanged(page.version, kept)) {
      unread_.emplace_back(number, kept);
      continue;
    }
    // A file of the base page that cannot be read says so itself, as a
    // failure of the scan.
    const int report_mode = number == 0 ? base_report_ : core::kSilent;
    core::LoadedText text;
    if (core::LoadWholePath(core::LocalPathOf(url), text, report_mode)) {
      web::FetchResult result;
      result.tag = number;
      result.ok = true;
      result.final_address = url;
      result.body = std::move(text);
      Hold(std::move(result));
    } else {
      Fail(number, 0, "not found");
      page.reported = number == 0;
    }
  }
  return true;
}

void SiteGraph::Hold(web::FetchResult result) {
  const int number = result.tag;
  Answer answer{std::move(result), 0, false};
  answer.bytes = answer.result.body.length;
  held_bytes_ += answer.bytes;
  const web::FetchResult& held = answer.result;
  // The base page may yet move the site: it is read in turn.
  answer.parsing = number != 0 && held.ok && !held.not_modified &&
                   pages_[number].state == State::kQueued &&
                   (held.content_type.empty() || web::IsPageType(held.content_type)) &&
                   FinalAddress(number, held) == urls_[number];
  if (answer.parsing) {
    parser_->Submit(number, InputOf(number, std::move(answer.result.body),
                                    web::CharsetOfContentType(held.content_type)));
  }
  answers_.emplace(number, std::move(answer));
}

// True while the host of address has its robots.txt on the way: the crawl
// waits for it before it asks the host for anything else.
bool SiteGraph::WaitForRobots(const std::string& address) {
  if (const auto* rules = RobotsOf(address)) return !rules->has_value() && fetcher_->pending() > 0;
  const std::string host = web::Fetcher::HostOf(address);
  robots_.emplace(host, std::nullopt);
  robots_hosts_.push_back(host);
  const int tag = -static_cast<int>(robots_hosts_.size());
  if (fetcher_->Add(host + "/robots.txt", tag, false, web::kRobotsReadLimit)) return true;
  web::FetchResult none;
  none.tag = tag;
  none.reason = "the transfer could not be set up";
  TakeRobots(none);
  return false;
}

void SiteGraph::TakeRobots(const web::FetchResult& result) {
  const std::string& host = robots_hosts_[static_cast<std::size_t>(-result.tag - 1)];
  const std::string_view body =
      result.ok ? std::string_view(result.body.data.get(), result.body.length) : std::string_view();
  const std::string& address = result.final_address.empty() ? host : result.final_address;
  web::RobotsRules rules =
      web::RobotsRules::FromAnswer(address, result.status, result.ok, body, "Vellumark");
  // Said once for the host. Its base page, asked for by name, waits for no
  // robots.txt: it may have been read.
  if (rules.unreachable()) {
    const char* why = result.reason.empty() ? "no answer" : result.reason.c_str();
    core::ReportInfo(core::FormatText("robots.txt of %s cannot be read (%s): the scan reads no "
                                      "further page of that host\n",
                                      host.c_str(), why)
                         .c_str());
  }
  if (rules.crawl_delay_capped()) {
    core::ReportInfo(core::FormatText("robots.txt of %s asks for more than %i s between two "
                                      "requests: the scan waits %i s\n",
                                      host.c_str(), web::kLongestCrawlDelayMs / 1000,
                                      web::kLongestCrawlDelayMs / 1000)
                         .c_str());
  }
  if (rules.crawl_delay_ms() > 0) fetcher_->SetHostDelay(host, rules.crawl_delay_ms());
  robots_[host] = std::move(rules);
}

// Whether page number is on the base page's host, as web::Fetcher::HostOf
// tells hosts apart.
bool SiteGraph::OnBaseHost(int number) const {
  const std::string_view url = urls_[number];
  const std::size_t end = web::UrlPathStart(url);
  return end == web::UrlPathStart(base_) &&
         core::EqualsNoCase(url.substr(0, end), std::string_view(base_).substr(0, end));
}

// A server that stops answering fails the scan: what it would build is a
// part of the site, with the rest reported broken. Counted on the base
// page's host, in the order the pages are taken.
void SiteGraph::CountSilence(int number, const web::FetchResult& result) {
  if (!OnBaseHost(number)) return;
  silent_in_row_ = result.no_answer ? silent_in_row_ + 1 : 0;
  if (silent_in_row_ < kSilentLimit || host_silent_) return;
  host_silent_ = true;
  core::ReportError(core::FormatText("the server %s stopped answering (%s): the scan is stopped",
                                     web::Fetcher::HostOf(base_).c_str(), result.reason.c_str())
                        .c_str());
}

void SiteGraph::Fail(int number, int status, std::string reason) {
  Page& page = pages_[number];
  page.state = State::kFailed;
  report_.broken.push_back(
      {urls_[number], page.referrer >= 0 ? urls_[page.referrer] : "", status, std::move(reason)});
}

// Where an answer was found: after a redirect the page is known by its
// final address, which keeps the bookmark of the link unless it brings one
// of its own.
std::string SiteGraph::FinalAddress(int number, const web::FetchResult& result) const {
  std::string final_address = web::NormaliseAddress(result.final_address);
  const std::size_t bookmark = urls_[number].find('#');
  if (bookmark != std::string::npos && final_address.find('#') == std::string::npos) {
    final_address += urls_[number].substr(bookmark);
  }
  return final_address;
}

void SiteGraph::Take(int number, web::FetchResult& result, bool parsed_ahead) {
  if (!result.ok) {
    if (result.not_page) {
      pages_[number].state = State::kNotPage;
    } else {
      Fail(number, static_cast<int>(result.status), result.reason);
    }
    CountSilence(number, result);
    return;
  }
  CountSilence(number, result);
  if (result.not_modified) {
    const KeptPage* kept = KeptFor(number);
    // The address asked for, as it is (in normal form), is the common case.
    if (kept == nullptr || (result.final_address != urls_[number] &&
                            web::NormaliseAddress(result.final_address) != urls_[number])) {
      Fail(number, static_cast<int>(result.status), "not modified, but no copy of it was kept");
    } else {
      Reuse(number, *kept);
    }
    return;
  }
  // Over HTTP the server says what is a page.
  if (!result.content_type.empty() && !web::IsPageType(result.content_type)) {
    pages_[number].state = State::kNotPage;
    return;
  }
  const std::string final_address = FinalAddress(number, result);
  // A page of the site that leads off it is another site's page: listed
  // only when the scan takes other sites in.
  if (number != 0 && (link_flags_ & web::kOutsideSite) == 0 &&
      web::IsOutsideSite(final_address.c_str(), base_)) {
    pages_[number].state = State::kUnread;
    return;
  }
  // Where a redirect leads is held to the patterns and robots.txt as the
  // link itself was (libcurl followed it before they could be asked).
  if (number != 0 && final_address != urls_[number] &&
      (!Admits(final_address) || (settings_.honour_robots && !RobotsAllow(final_address)))) {
    pages_[number].state = State::kUnread;
    return;
  }
  if (final_address != urls_[number]) {
    // A base page that moved takes its site along: else every page of a
    // site that moved to another host or folder would lie outside it. It
    // may move within its host, to HTTPS, and to another host of its
    // domain ("example.com" to "www.example.com"); elsewhere it is not
    // followed.
    if (number == 0 && !web::IsSameSite(urls_[0], final_address)) {
      core::ReportError(core::FormatText("the base page '%s' leads to '%s', another site: "
                                         "scan that address if it is meant",
                                         urls_[0].c_str(), final_address.c_str())
                            .c_str());
      Fail(number, static_cast<int>(result.status), "it leads to another site");
      pages_[number].reported = true;
      return;
    }
    if (number == 0) base_ = final_address.substr(0, final_address.find('#'));
    number = AliasTo(number, final_address);
    if (number < 0) return;
  }
  if (result.modified >= 0) report_.modified[urls_[number]] = result.modified;
  if (web::IsWebAddress(urls_[number])) {
    pages_[number].version = {std::move(result.etag), result.modified, -1};
  }
  ++report_.pages_read;
  if (parsed_ahead) {
    Apply(number, parser_->Take(number));
  } else {
    Parse(number, std::move(result.body), web::CharsetOfContentType(result.content_type));
  }
}

// Makes number an alias of the page at address. The page that is to hold
// what number read: -1 when that page was read already.
int SiteGraph::AliasTo(int number, std::string_view address) {
  const int depth = pages_[number].depth;
  const int target = Number(address, pages_[number].referrer, depth);
  if (target == number) return number;
  pages_[number].state = State::kAlias;
  pages_[number].alias_of = target;
  Page& page = pages_[target];
  if (page.state == State::kLoaded || page.state == State::kFailed ||
      page.state == State::kNotPage) {
    return -1;
  }
  // Read now, in place of its own request, should it still have one coming.
  page.state = State::kLoaded;
  page.depth = std::min(page.depth, depth);
  return target;
}

PageInput SiteGraph::InputOf(int number, core::LoadedText text, std::string_view charset) const {
  return {base_, urls_[number], Follows(number), std::move(text), std::string(charset)};
}

void SiteGraph::Parse(int number, core::LoadedText text, std::string_view charset) {
  Apply(number, ParsePage(rules_, InputOf(number, std::move(text), charset)));
}

// Enters what was taken from page number into the graph: its state and
// name, the page it names as its own, and the pages it links, numbered in
// the order they appear.
void SiteGraph::Apply(int number, ParsedPage parsed) {
  const bool follow = Enter(number, parsed);
  const std::vector<std::string>& links = parsed.links;
  if (!follow) {
    ReportDepthLimit(links.size(),
                     [&](std::size_t i) { return numbers_.Find(PageKey(links[i])) >= 0; });
    return;
  }
  const int depth = pages_[number].depth + 1;
  std::vector<int> numbers;
  numbers.reserve(links.size());
  for (const std::string& link : links) numbers.push_back(Number(link, number, depth));
  pages_[number].links = std::move(numbers);
}

// All of Apply but the links; false when the page stands at the depth
// limit, so that its links are not followed.
bool SiteGraph::Enter(int number, ParsedPage& parsed) {
  if (parsed.memory_overflow) core::ReportMemoryOverflow();
  // One page, one entry: a page of the site that names another address of
  // the site as its own is kept under that address once that address is
  // read as a page too (see FinishCanonicals), unless the scan may not
  // list that one.
  if (parsed.canonical && Admits(*parsed.canonical) &&
      (!settings_.honour_robots || RobotsAllow(*parsed.canonical))) {
    const int target = Number(*parsed.canonical, number, pages_[number].depth);
    if (target != number) pages_[number].canonical = target;
  }
  report_.KeepExtras(urls_[number], std::move(parsed.extras));
  Page& page = pages_[number];
  page.state = State::kLoaded;
  page.named = parsed.name.has_value();
  if (parsed.name) page.name = std::move(*parsed.name);
  page.noindex = settings_.honour_robots && parsed.noindex && number != 0;
  return settings_.depth_limit <= 0 || page.depth < settings_.depth_limit;
}

// Said once, when the depth limit leaves a page unmet, not merely
// unfollowed: known(i) tells whether the page's link i was met before.
template <typename Known>
void SiteGraph::ReportDepthLimit(std::size_t links, const Known& known) {
  for (std::size_t i = 0; i < links && !depth_reported_; ++i) {
    if (known(i)) continue;
    depth_reported_ = true;
    core::ReportInfo(
        core::FormatText("Depth limit reached: the scan follows links %i deep at most\n",
                         settings_.depth_limit)
            .c_str());
  }
}

// A page taken over from the last scan, unread: as it was read then.
void SiteGraph::Reuse(int number, const KeptPage& kept) {
  pages_[number].version = kept.version;
  ++report_.pages_unchanged;
  if (kept.version.modified >= 0 && web::IsWebAddress(urls_[number])) {
    report_.modified[urls_[number]] = kept.version.modified;
  }
  ParsedPage parsed;
  if (kept.canonical >= 0) parsed.canonical = settings_.kept->Address(kept.canonical);
  parsed.noindex = kept.noindex;
  if (rules_.keep_names) parsed.name = kept.name;
  parsed.extras = KeptExtras(settings_.kept_extras, urls_[number], settings_.sitemap_extras);
  const bool follow = Enter(number, parsed);
  if (!Follows(number)) return;
  // The links as Apply would number their addresses, each address of the
  // kept pages looked up once. A link may name a page that becomes an
  // alias later: FinishLinks resolves them all.
  if (numbers_of_kept_.empty()) numbers_of_kept_.assign(settings_.kept->addresses(), -1);
  if (!follow) {
    ReportDepthLimit(kept.links.size(), [&](std::size_t i) {
      const int link = kept.links[i];
      return numbers_of_kept_[link] >= 0 ||
             numbers_.Find(PageKey(settings_.kept->Address(link))) >= 0;
    });
    return;
  }
  const int depth = pages_[number].depth + 1;
  std::vector<int> numbers;
  numbers.reserve(kept.links.size());
  for (const int link : kept.links) {
    int& known = numbers_of_kept_[link];
    if (known < 0) known = Number(settings_.kept->Address(link), number, depth, link);
    numbers.push_back(known);
  }
  pages_[number].links = std::move(numbers);
}

// What the last scan kept of page number; none when it kept nothing.
const KeptPage* SiteGraph::KeptFor(int number) {
  if (settings_.kept == nullptr) return nullptr;
  int& kept = pages_[number].kept;
  if (kept == kKeptUnknown) kept = settings_.kept->NumberOf(urls_[number]);
  return kept < 0 ? nullptr : settings_.kept->At(kept);
}

KeptPages SiteGraph::TakeKept() {
  // No two pages share an address: each keeps its number.
  KeptPages kept;
  for (std::string& url : urls_) kept.Append(std::move(url));
  for (std::size_t number = 0; number < pages_.size(); ++number) {
    Page& page = pages_[number];
    if (page.state != State::kLoaded || !page.version.Known()) continue;
    KeptPage& entry = kept.Keep(static_cast<int>(number));
    entry.version = std::move(page.version);
    entry.name = std::move(page.name);
    entry.noindex = page.noindex;
    if (page.canonical >= 0) entry.canonical = Resolve(page.canonical);
    entry.links = std::move(page.links);
  }
  numbers_.Clear();
  other_keys_.clear();
  pages_.clear();
  urls_.clear();
  return kept;
}

std::vector<std::string> SiteGraph::LoadedPages() const {
  std::vector<std::string> loaded;
  for (std::size_t number = 0; number < pages_.size(); ++number) {
    if (pages_[number].state == State::kLoaded) loaded.push_back(urls_[number]);
  }
  return loaded;
}

// A page that names another address as its own becomes an alias of it when
// that address was read as a page; what it links, that page links too. Else
// it stays under its own address: a canonical address that does not exist,
// or that is another page's, takes nothing over.
void SiteGraph::FinishCanonicals() {
  for (std::size_t number = 0; number < pages_.size(); ++number) {
    Page& page = pages_[number];
    if (page.canonical < 0 || page.state != State::kLoaded) continue;
    const int target = Resolve(page.canonical);
    if (target == static_cast<int>(number) || pages_[target].state != State::kLoaded) continue;
    page.state = State::kAlias;
    page.alias_of = target;
    std::vector<int>& links = pages_[target].links;
    links.insert(links.end(), page.links.begin(), page.links.end());
    page.links.clear();
    pages_[target].depth = std::min(pages_[target].depth, page.depth);
  }
}

// Links that name an alias name the page itself, once.
void SiteGraph::FinishLinks() {
  std::vector<int> seen_on(pages_.size(), -1);  // the last page a link was seen on
  for (std::size_t number = 0; number < pages_.size(); ++number) {
    std::vector<int>& links = pages_[number].links;
    std::size_t kept = 0;
    for (const int link : links) {
      const int page = Resolve(link);
      if (seen_on[page] == static_cast<int>(number)) continue;
      seen_on[page] = static_cast<int>(number);
      links[kept++] = page;
    }
    links.resize(kept);
  }
}

const SiteGraph::Page& SiteGraph::Read(int number, int report_mode) {
  Page& page = pages_[Resolve(number)];
  if (page.state == State::kFailed && !page.reported) {
    page.reported = true;
    const std::string& address = urls_[Resolve(number)];
    core::ReportNotFound(std::string_view(address).substr(0, address.find('#')), report_mode);
  }
  return page;
}

}  // namespace vellum::scan
