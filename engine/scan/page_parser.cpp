#include "scan/page_parser.h"

#include <new>
#include <utility>

#include "core/text_utils.h"
#include "vellum/vellum.h"
#include "web/address.h"
#include "web/links.h"
#include "web/page_access.h"
#include "web/url_class.h"

namespace vellum::scan {
namespace {

// The last segment of an address's path, or its host: the name of a page
// that names itself nowhere.
std::string NameFromAddress(std::string_view address) {
  const std::optional<web::Url> url = web::Url::AsWritten(std::string(address));
  std::string_view rest =
      url ? url->path() : address.substr(0, web::FindFirstOf<'?', '#'>(address));
  while (!rest.empty() && (rest.back() == '/' || rest.back() == '\\')) rest.remove_suffix(1);
  const std::size_t cut = web::FindLastOf<'/', '\\'>(rest);
  std::string_view name = cut == rest.npos ? rest : rest.substr(cut + 1);
  if (name.empty() && url) name = url->authority();
  return std::string(name);
}

// The description falls back to the title, the title to the address.
std::string NameOf(const web::PageHeadInfo& head, unsigned scan_flags, std::string_view url) {
  const bool by_description = (scan_flags & VELLUM_SCAN_META_DESCRIPTION) != 0;
  const std::optional<std::string>& name =
      by_description && head.description && !head.description->empty() ? head.description
                                                                       : head.title;
  return core::EscapeMarkup(name && !name->empty() ? *name : NameFromAddress(url));
}

}  // namespace

ParsedPage ParsePage(const PageRules& rules, PageInput page) {
  ParsedPage parsed;
  web::TagTokenizer tokenizer;
  tokenizer.Attach(std::move(page.text));
  const bool extras = rules.sitemap_extras != 0 && !web::IsOutsideSite(page.url, page.base);
  const std::optional<unsigned> link_flags =
      page.follow_links ? std::optional<unsigned>(rules.link_flags) : std::nullopt;
  // The head, the links and the extras come from one walk of the page.
  web::PageValues values(page.url, link_flags, extras ? rules.sitemap_extras : 0);
  web::PageHeadInfo head;
  const auto take = [&](std::string_view tag) { values.Take(tag, tokenizer); };
  parsed.memory_overflow = !web::ReadHead(tokenizer, head, page.charset, false, take);
  try {
    if (parsed.memory_overflow) {
      // What the broken walk took may be a part: the values get a walk of
      // their own.
      values = web::PageValues(page.url, link_flags, extras ? rules.sitemap_extras : 0);
      web::WalkStartTags(tokenizer, take);
    }
    if (head.canonical && !head.canonical->empty() && web::IsHttp(page.url)) {
      // Only web addresses count: pages on disk often name where they were
      // built ("file:///...") or where they are published.
      std::optional<std::string> canonical =
          web::Resolve(page.base, page.url, *head.canonical, web::kPageLinks);
      if (canonical && web::IsHttp(*canonical) && *canonical != page.url &&
          !web::IsOutsideSite(*canonical, page.base)) {
        parsed.canonical = std::move(canonical);
      }
    }
    parsed.noindex = head.noindex;
    parsed.nofollow = head.nofollow;
    if (rules.keep_names) parsed.name = NameOf(head, rules.scan_flags, page.url);
    if (page.follow_links && !(rules.honour_robots && head.nofollow)) {
      values.Links(page.base, parsed.links);
    }
    if (extras) parsed.extras = values.Extras();
  } catch (const std::bad_alloc&) {
    parsed.memory_overflow = true;
    parsed.links.clear();
  }
  return parsed;
}

PageParser::PageParser(const PageRules& rules, std::function<void()> awaited)
    : rules_(rules), awaited_(std::move(awaited)), thread_([this] { Run(); }) {}

PageParser::~PageParser() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_one();
  thread_.join();
}

void PageParser::Submit(int number, PageInput page) {
  {
    const std::lock_guard lock(mutex_);
    waiting_.insert_or_assign(number, std::move(page));
  }
  work_.notify_one();
}

bool PageParser::Has(int number) const {
  const std::lock_guard lock(mutex_);
  return waiting_.count(number) != 0 || results_.count(number) != 0 ||
         (parsing_ == number && !dropped_);
}

bool PageParser::Ready(int number) {
  const std::lock_guard lock(mutex_);
  const bool ready = results_.count(number) != 0;
  awaited_number_ = ready ? -1 : number;
  return ready;
}

ParsedPage PageParser::Take(int number) {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return results_.count(number) != 0; });
  auto found = results_.find(number);
  ParsedPage parsed = std::move(found->second);
  results_.erase(found);
  return parsed;
}

void PageParser::Drop(int number) {
  const std::lock_guard lock(mutex_);
  waiting_.erase(number);
  results_.erase(number);
  if (parsing_ == number) dropped_ = true;
}

void PageParser::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
    if (stopping_) return;
    auto next = waiting_.begin();
    const int number = next->first;
    PageInput page = std::move(next->second);
    waiting_.erase(next);
    parsing_ = number;
    dropped_ = false;
    lock.unlock();
    ParsedPage parsed = ParsePage(rules_, std::move(page));
    lock.lock();
    if (!dropped_) results_.insert_or_assign(number, std::move(parsed));
    parsing_ = -1;
    done_.notify_all();
    if (number == awaited_number_ && awaited_) {
      awaited_number_ = -1;
      lock.unlock();
      awaited_();
      lock.lock();
    }
  }
}

}  // namespace vellum::scan
