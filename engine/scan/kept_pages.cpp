#include "scan/kept_pages.h"

#include <sys/stat.h>

#include "vellum/vellum.h"

namespace vellum::scan {

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
