// Directory search with wildcards, matched as the engine's file patterns
// have always been matched: without regard to case, "*" for any run and "?"
// for one character, and a final ".*" that also matches names without a dot
// (so "*.*" matches every name). Entries come sorted by name, byte order, so
// every listing is the same on every run.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::core {

struct DirectoryEntry {
  std::string name;  // without folder
  bool is_directory = false;
  std::int64_t size = 0;
  std::time_t last_write = 0;
};

bool WildcardMatch(std::string_view pattern, std::string_view name);

// The entries of the folder part of pattern (up to its last "\" or "/"; the
// current folder when there is none) whose names match the rest. "." and ".."
// are never listed.
std::vector<DirectoryEntry> SearchDirectory(std::string_view pattern);

}  // namespace vellum::core
