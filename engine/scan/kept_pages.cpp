#include "scan/kept_pages.h"

#include <sys/stat.h>

#include "vellum/vellum.h"

namespace vellum::scan {

KeptPages::KeptPages(const KeptPages& other) : entries_(other.entries_), pages_(other.pages_) {
  numbers_.reserve(entries_.size());
  for (std::size_t number = 0; number < entries_.size(); ++number) {
    numbers_.emplace(entries_[number].address, static_cast<int>(number));
  }
}

int KeptPages::Number(std::string_view address) {
  const auto found = numbers_.find(address);
  return found != numbers_.end() ? found->second : Add(std::string(address));
}

int KeptPages::Add(std::string address) {
  const auto found = numbers_.find(address);
  if (found != numbers_.end()) return found->second;
  const int number = static_cast<int>(entries_.size());
  numbers_.emplace(entries_.emplace_back(Entry{std::move(address), std::nullopt}).address, number);
  return number;
}

KeptPage& KeptPages::Keep(int number) {
  std::optional<KeptPage>& page = entries_[number].page;
  if (!page) {
    page.emplace();
    ++pages_;
  }
  return *page;
}

int KeptPages::NumberOf(std::string_view address) const {
  const auto found = numbers_.find(address);
  return found == numbers_.end() ? -1 : found->second;
}

PageVersion FileVersion(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return {{}, static_cast<std::int64_t>(info.st_mtime), static_cast<std::int64_t>(info.st_size)};
}

bool Unchanged(const PageVersion& now, const KeptPage* kept) {
  return kept != nullptr && now.size >= 0 && kept->version.size == now.size &&
         kept->version.modified == now.modified;
}

std::optional<web::PageExtras> KeptExtras(const web::PageExtrasMap* kept,
                                          const std::string& address, unsigned wanted) {
  if (kept == nullptr || wanted == 0) return std::nullopt;
  const auto found = kept->find(address);
  if (found == kept->end()) return std::nullopt;
  web::PageExtras extras;
  if ((wanted & VELLUM_SITEMAP_IMAGES) != 0) extras.images = found->second.images;
  if ((wanted & VELLUM_SITEMAP_ALTERNATES) != 0) extras.alternates = found->second.alternates;
  return extras;
}

}  // namespace vellum::scan
