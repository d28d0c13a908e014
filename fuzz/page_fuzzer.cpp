// Feeds arbitrary bytes to what a scan does with a crawled page: the head
// (title, description, robots, canonical, in any charset) and the links,
// resolved against a web page and against a local one. Every link kept must
// be in normal form already, and every text taken must be valid UTF-8.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/counted_string_list.h"
#include "web/address.h"
#include "web/charset.h"
#include "web/links.h"
#include "web/page_access.h"
#include "web/tag_tokenizer.h"
#include "work_folder.h"

namespace {

using namespace vellum;

void CheckText(const std::optional<std::string>& text) {
  if (text && (text->size() > web::kMaxHeadText || !web::IsValidUtf8(*text))) abort();
}

void CheckLinks(std::string_view base, std::string_view page, web::TagTokenizer& tokenizer,
                unsigned flags) {
  CountedStringList list{};
  web::CollectLinks(base, page, tokenizer, list, flags);
  for (int i = 0; i < list.Count; ++i) {
    const std::string_view link = list.Entries[i].Text;
    const bool addressed = link.starts_with("http://") || link.starts_with("/");
    if (addressed && web::NormaliseAddress(link) != link) {
      std::fprintf(stderr, "not in normal form: '%s'\n", list.Entries[i].Text);
      abort();
    }
  }
  core::Clear(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::DropReports();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  web::TagTokenizer tokenizer;
  if (!tokenizer.AttachCopy(bytes)) return 0;
  web::PageHeadInfo head;
  if (web::ReadHead(tokenizer, head)) {
    CheckText(head.title);
    CheckText(head.description);
  }
  const unsigned flags = web::kPageLinks | web::kTypelessWebPages | web::kHonourNofollow |
                         web::kOutsideSite | web::kMailLinks | web::kOtherSchemes;
  CheckLinks("http://site.example/docs/index.html", "http://site.example/docs/a/b.html", tokenizer,
             flags);
  CheckLinks("/srv/site/index.html", "/srv/site/a/b.html", tokenizer, flags);
  return 0;
}
