// What a crawl takes from one page (its name, what its head asks for, its
// links), and a second thread that takes it from pages while the crawl goes
// on: the crawl hands over a page as soon as its answer is in and collects
// what was taken when its turn comes. Taking it is a pure function of the
// page and the settings, so the result is the same on either thread, and
// the crawl stays the one of a scan that reads one page at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/file_loading.h"
#include "web/links.h"

namespace vellum::scan {

struct PageRules {
  unsigned link_flags = 0;
  unsigned scan_flags = 0;
  bool honour_robots = true;
  bool keep_names = true;       // false: names are not needed
  unsigned sitemap_extras = 0;  // VELLUM_SITEMAP_: what is collected for the XML site map
};

// One page handed over: the texts are copies, so that the crawl may go on
// changing its own.
struct PageInput {
  std::string base;  // the site's base page, in normal form
  std::string url;   // the page's address, in normal form
  bool follow_links = false;
  core::LoadedText text;
  std::string charset;  // the answer's, or empty
};

struct ParsedPage {
  bool memory_overflow = false;  // a part of the page could not be read
  // The page's own address as it names it (LINK rel="canonical"), resolved:
  // only an http(s) address of the site other than the page's.
  std::optional<std::string> canonical;
  bool noindex = false;
  bool nofollow = false;
  std::optional<std::string> name;  // with keep_names
  // With follow_links and unless nofollow is honoured: the links, each
  // once, as the scan's link flags select and cut them.
  std::vector<std::string> links;
  // With sitemap_extras, for a page inside the site.
  std::optional<web::PageExtras> extras;
};

// Reads page as rules say. Calls no callback and allocates through the C++
// library only: it may run on any thread.
ParsedPage ParsePage(const PageRules& rules, PageInput page);

// One thread that parses the pages handed to it, the one with the lowest
// number first (the crawl takes pages in the order of their numbers).
class PageParser {
 public:
  // awaited, when given, is called on the parser's thread when the result
  // that Ready last found missing is there: to wake a thread that waits for
  // it in something else than Take.
  explicit PageParser(const PageRules& rules, std::function<void()> awaited = {});
  // Stops the thread; pages not parsed yet are dropped.
  ~PageParser();
  PageParser(const PageParser&) = delete;
  PageParser& operator=(const PageParser&) = delete;

  void Submit(int number, PageInput page);
  // Whether number was handed over and not yet taken or dropped.
  bool Has(int number) const;
  // Whether its result is there (Take will not wait); if not, awaited is
  // called once it is.
  bool Ready(int number);
  // The result of a page handed over, once it is there.
  ParsedPage Take(int number);
  // Forgets a page handed over whose result is not wanted.
  void Drop(int number);

 private:
  void Run();

  const PageRules rules_;
  const std::function<void()> awaited_;
  mutable std::mutex mutex_;
  std::condition_variable work_;  // a page waits, or the thread is to stop
  std::condition_variable done_;  // a result came
  std::map<int, PageInput> waiting_;
  std::map<int, ParsedPage> results_;
  int parsing_ = -1;         // the page the thread is on, or -1
  int awaited_number_ = -1;  // the page Ready last found missing, or -1
  bool dropped_ = false;     // the page the thread is on is no longer wanted
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once the rest is set up
};

}  // namespace vellum::scan
