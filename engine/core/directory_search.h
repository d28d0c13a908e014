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

#include "vellum/vellum.h"

namespace vellum::core {

struct DirectoryEntry {
  std::string name;  // without folder
  bool is_directory = false;
  bool is_link = false;  // a symbolic link (the other members describe its target)
  std::int64_t size = 0;
  std::time_t last_write = 0;
};

bool WildcardMatch(std::string_view pattern, std::string_view name);

// The entries of the folder part of pattern (up to its last "\" or "/"; the
// current folder when there is none) whose names match the rest. "." and ".."
// are never listed.
std::vector<DirectoryEntry> SearchDirectory(std::string_view pattern);

// ListFolder flag (a LinkFlags bit): list the folder itself, not its
// sub-folders.
inline constexpr unsigned kNoSubfolders = 0x400;

// Adds to list (with Add, whole) the path of every entry of folder (the
// current folder when absent or empty) that matches one of the ";"-separated
// patterns, then, unless flags has kNoSubfolders, does the same in each
// sub-folder whose name does not begin with ".", depth first.
void ListFolder(const char* folder, const char* patterns, CountedStringList& list, unsigned flags);

}  // namespace vellum::core
