// The per-process cache of downloaded pages: each web address, exactly as it
// was asked for (a "#" part included), with the temporary file that holds
// its bytes. Pages are fetched once per process; nothing is ever checked
// against the server again.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vellum::web {

class PageCache {
 public:
  // The temporary copy of address, or null.
  const std::string* Find(const std::string& address) const;

  // Writes bytes to a new temporary file ("swp" followed by a unique part, in
  // the engine's temporary folder, else the system's) and records it under
  // address. False when no copy could be made; the page then simply stays
  // uncached.
  bool Store(const std::string& address, std::string_view bytes);

  // Deletes every temporary copy and forgets them all.
  void Purge();

 private:
  std::vector<std::pair<std::string, std::string>> records_;  // address, copy; in order
  std::unordered_map<std::string, std::size_t> index_;        // address to record
};

PageCache& ThePageCache();

}  // namespace vellum::web
