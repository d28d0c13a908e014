#include "scan/kept_pages.h"

#include <sys/stat.h>

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

}  // namespace vellum::scan
