// The pages of a navigation scan and the links between them, read before
// the tree is built: breadth first from the base page, over HTTP several at
// a time. Pages are numbered as they are met; whatever order the answers
// come back in, they are taken in that order, so that the numbering, the
// depths and the limits are those of a crawl that reads one page at a time.
// The tree is built afterwards from the graph alone: the bodies of the pages
// are dropped as soon as their names and links are taken. Names and links
// are taken on a second thread (PageParser) while the crawl waits for
// further answers; the graph itself is only ever changed by the crawl's
// thread, in the order the pages were met.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <memory>

#include "core/address_patterns.h"
#include "core/file_loading.h"
#include "core/progress.h"
#include "scan/crawl.h"
#include "scan/page_parser.h"
#include "scan/text_index.h"
#include "web/fetcher.h"
#include "web/page_access.h"
#include "web/robots.h"

namespace vellum::scan {

class SiteGraph {
 public:
  static constexpr int kKeptUnknown = -2;

  enum class State : uint8_t {
    kUnread,   // not reached, or left out by a limit or a rule
    kQueued,   // waiting for its answer
    kLoaded,   // read: name and links known
    kFailed,   // could not be read (reported when the tree asks for it)
    kNotPage,  // the server answered with something else than a page
    kAlias,    // another address of the page alias_of
  };

  // One for every address met, a site's worth of them: kept small (four to
  // a block of the deque on a 64-bit system).
  struct Page {
    State state = State::kUnread;
    bool noindex = false;
    bool reported = false;
    bool named = false;  // name holds its name (else it has none)
    int depth = 0;
    int referrer = -1;  // the page the address was first met on
    int alias_of = -1;
    int canonical = -1;  // the page it names as its own address
    // The number of its address among CrawlSettings::kept (-1: not held
    // there), once known: a page met on a page taken over has it from there.
    int kept = kKeptUnknown;
    std::string name;
    std::vector<int> links;  // in order of first appearance, aliases resolved
    PageVersion version;

    const char* Name() const { return named ? name.c_str() : nullptr; }
  };

  static_assert(sizeof(void*) != 8 || sizeof(Page) <= 128);

  SiteGraph(std::string base, const char* excluded, unsigned link_flags, unsigned scan_flags,
            const CrawlSettings& settings, core::Progress& progress, ScanReport& report);
  SiteGraph(const SiteGraph&) = delete;  // its index looks at its pages
  SiteGraph& operator=(const SiteGraph&) = delete;

  // For a caller that needs the pages' addresses only: no names are kept,
  // nothing is collected for the XML site map.
  void KeepAddressesOnly() {
    rules_.keep_names = false;
    rules_.sitemap_extras = 0;
  }
  // How a base page that cannot be read is reported (core::kReportAs...).
  void ReportBaseAs(int report_mode) { base_report_ = report_mode; }

  // Reads the site. False when the base page could not be read (reported
  // as ReportBaseAs says, through the error callback unless told otherwise)
  // or the progress callback stopped the scan.
  bool Crawl();

  // The addresses of the pages read, in the order they were met.
  std::vector<std::string> LoadedPages() const;
  // What a later scan can take over of the pages read: those whose version
  // is known. Their addresses, names and links are taken over, not copied:
  // the graph is empty afterwards.
  KeptPages TakeKept();

  const std::string& base() const { return base_; }
  unsigned link_flags() const { return link_flags_; }
  int base_number() const { return Resolve(0); }
  // The number of pages met (their numbers run from 0).
  std::size_t pages() const { return pages_.size(); }

  // The page an address names, aliases resolved; -1 when it was never met.
  int Find(std::string_view address) const;
  int Resolve(int number) const;
  const std::string& Url(int number) const { return urls_[number]; }

  // The page as the tree asks for it: a page that failed is reported, once,
  // as report_mode asks.
  const Page& Read(int number, int report_mode);

 private:
  int Number(std::string_view address, int referrer, int depth, int kept = kKeptUnknown);
  bool Follows(int number) const;
  bool Admits(int number) const;
  bool Admits(std::string_view url) const;
  bool RobotsAllow(std::string_view url);
  std::optional<web::RobotsRules>* RobotsOf(std::string_view url);
  bool Dispatch();
  // kWaiting: for the next page's answer, or for the parser to have it.
  enum class Next { kTaken, kNothingDispatched, kWaiting };
  Next TakeNext();
  void Hold(web::FetchResult result);
  std::string FinalAddress(int number, const web::FetchResult& result) const;
  void Take(int number, web::FetchResult& result, bool parsed_ahead);
  PageInput InputOf(int number, core::LoadedText text, std::string_view charset) const;
  void Parse(int number, core::LoadedText text, std::string_view charset);
  void Apply(int number, ParsedPage parsed);
  bool Enter(int number, ParsedPage& parsed);
  template <typename Known>
  void ReportDepthLimit(std::size_t links, const Known& known);
  void Reuse(int number, const KeptPage& kept);
  const KeptPage* KeptFor(int number);
  void Fail(int number, int status, std::string reason);
  bool OnBaseHost(int number) const;
  void CountSilence(int number, const web::FetchResult& result);
  int AliasTo(int number, std::string_view address);
  void FinishCanonicals();
  void FinishLinks();
  bool WaitForRobots(const std::string& address);
  void TakeRobots(const web::FetchResult& result);

  std::string base_;
  int base_report_ = core::kReportAsError;
  const char* excluded_;
  unsigned link_flags_;
  unsigned scan_flags_;
  CrawlSettings settings_;
  core::Progress& progress_;
  ScanReport& report_;
  core::AddressPatterns include_;
  core::AddressPatterns exclude_;

  std::deque<std::string> urls_;  // stable, so that the index can view them
  std::deque<Page> pages_;
  // The pages by PageKey: their URL, or where the key is another text (a
  // folder's index page), the one in other_keys_.
  struct KeyOf {
    const SiteGraph* graph;
    std::string_view operator()(int number) const;
  };
  TextIndex<KeyOf> numbers_{KeyOf{this}};
  std::unordered_map<int, std::string> other_keys_;
  // The page of each address of CrawlSettings::kept, once a page taken
  // over from there linked it (before aliases are resolved); -1 until then.
  std::vector<int> numbers_of_kept_;
  std::vector<int> queue_;  // pages to read, in the order they were met
  std::size_t dispatched_ = 0;
  std::size_t taken_ = 0;
  int read_count_ = 0;
  bool limit_reported_ = false;
  // Answers of the base page's host that did not come, in a row; past the
  // limit the scan stops.
  static constexpr int kSilentLimit = 8;
  int silent_in_row_ = 0;
  bool host_silent_ = false;
  bool depth_reported_ = false;

  // robots.txt of each host, once its answer came; a host whose file is
  // on its way is present without rules.
  std::unordered_map<std::string, std::optional<web::RobotsRules>> robots_;
  std::vector<std::string> robots_hosts_;  // by -1 - tag
  // The host that RobotsOf found last, and its entry: a site's pages are
  // asked for host by host.
  std::string robots_last_host_;
  std::optional<web::RobotsRules>* robots_last_ = nullptr;
  std::unique_ptr<web::Fetcher> fetcher_;
  // Answers taken ahead, by page. A page whose answer leaves no doubt that
  // it is to be read (no redirect, a page's type) is handed to the parser
  // at once; its body is then the parser's.
  struct Answer {
    web::FetchResult result;
    std::size_t bytes = 0;  // of its body
    bool parsing = false;
  };
  std::unordered_map<int, Answer> answers_;
  // The page that waits for room at its host's connections: nothing ahead
  // of it is looked at again until a transfer ends. -1 for none.
  int waits_for_room_ = -1;
  std::size_t held_bytes_ = 0;  // of their bodies
  // The pages ahead that are taken over unread from CrawlSettings::kept,
  // with what it kept of them, in the order they were met: they wait for
  // no answer.
  std::deque<std::pair<int, const KeptPage*>> unread_;
  PageRules rules_;
  std::unique_ptr<PageParser> parser_;
};

}  // namespace vellum::scan
