#include "scan/kept_pages.h"

#include <sys/stat.h>

#include <utility>

#include "vellum/vellum.h"

namespace vellum::scan {

KeptPages::KeptPages(const KeptPages& other) : entries_(other.entries_), pages_(other.pages_) {}

KeptPages::KeptPages(KeptPages&& other) noexcept
    : entries_(std::move(other.entries_)),
      numbers_(std::move(other.numbers_), AddressOf{this}),
      indexed_(std::exchange(other.indexed_, 0)),
      pages_(std::exchange(other.pages_, 0)) {}

KeptPages& KeptPages::operator=(KeptPages&& other) noexcept {
  entries_ = std::move(other.entries_);
  numbers_ = std::move(other.numbers_);
  indexed_ = std::exchange(other.indexed_, 0);
  pages_ = std::exchange(other.pages_, 0);
  return *this;
}

void KeptPages::Index() const {
  for (; indexed_ < entries_.size(); ++indexed_) {
    numbers_.Add(entries_[indexed_].address, static_cast<int>(indexed_));
  }
}

int KeptPages::Number(std::string_view address) { return Insert(address, nullptr); }

int KeptPages::Add(std::string address) { return Insert(address, &address); }

// The number of address, which is added when it is new: taken from owned
// where the caller gives it up.
int KeptPages::Insert(std::string_view address, std::string* owned) {
  Index();
  const std::uint32_t hash = numbers_.Hash(address);
  const int found = numbers_.Find(address, hash);
  if (found >= 0) return found;
  const int number = static_cast<int>(entries_.size());
  entries_.push_back(
      Entry{owned != nullptr ? std::move(*owned) : std::string(address), std::nullopt});
  numbers_.Add(hash, number);
  ++indexed_;
  return number;
}

int KeptPages::Append(std::string address) {
  entries_.push_back(Entry{std::move(address), std::nullopt});
  return static_cast<int>(entries_.size() - 1);
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
  Index();
  return numbers_.Find(address);
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
