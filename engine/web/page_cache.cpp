#include "web/page_cache.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "core/messages.h"
#include "web/temporary_files.h"

namespace vellum::web {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

const std::string* PageCache::Find(const std::string& address) const {
  auto found = index_.find(address);
  return found == index_.end() ? nullptr : &records_[found->second].second;
}

bool PageCache::Store(const std::string& address, std::string_view bytes) {
  std::string path;
  const int fd = CreateTemporaryFile(path);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes);
  if (close(fd) != 0 || !written) {
    std::remove(path.c_str());
    return false;
  }
  try {
    records_.emplace_back(address, path);
    index_.emplace(address, records_.size() - 1);
  } catch (const std::bad_alloc&) {
    if (records_.size() > index_.size()) records_.pop_back();
    std::remove(path.c_str());
    core::ReportInfoCode(core::ErrorCode::kMemoryOverflow);
    return false;
  }
  return true;
}

void PageCache::Purge() {
  for (const auto& record : records_) std::remove(record.second.c_str());
  records_.clear();
  records_.shrink_to_fit();
  index_.clear();
}

PageCache& ThePageCache() {
  // Never destroyed: the engine's shut-down purges it from an exit handler
  // that may run after the destructors of function statics.
  static PageCache& cache = *new PageCache;
  return cache;
}

}  // namespace vellum::web
