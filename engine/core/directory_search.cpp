#include "core/directory_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "core/counted_string_list.h"
#include "core/text_utils.h"

namespace vellum::core {
namespace {

bool MatchFrom(std::string_view pattern, std::string_view name) {
  return GlobMatch(pattern, name, {.ignore_case = true});
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (MatchFrom(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return MatchFrom(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

std::vector<DirectoryEntry> SearchDirectory(std::string_view pattern) {
  std::size_t separator = pattern.find_last_of("\\/");
  std::string folder = separator == std::string_view::npos
                           ? std::string(".")
                           : std::string(pattern.substr(0, separator + 1));
  std::string_view name_pattern =
      separator == std::string_view::npos ? pattern : pattern.substr(separator + 1);

  std::vector<DirectoryEntry> entries;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* found = readdir(dir)) {
    std::string_view name = found->d_name;
    if (name == "." || name == ".." || !WildcardMatch(name_pattern, name)) continue;
    std::string path = folder + '/';
    path += name;
    struct stat link_info, info;
    if (lstat(path.c_str(), &link_info) != 0 || stat(path.c_str(), &info) != 0) {
      continue;  // a dangling link, say
    }
    entries.push_back(DirectoryEntry{std::string(name), S_ISDIR(info.st_mode),
                                     S_ISLNK(link_info.st_mode),
                                     static_cast<std::int64_t>(info.st_size), info.st_mtime});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return entries;
}

namespace {

void ListInto(const char* folder, const char* patterns, IndexedStringList& list, unsigned flags) {
  std::string prefix = folder != nullptr ? folder : "";
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') {
    prefix += '/';
  }

  for (int i = 0;; ++i) {
    std::optional<std::string_view> pattern = ListElement(patterns, i);
    if (!pattern) break;
    for (const DirectoryEntry& entry : SearchDirectory(prefix + std::string(*pattern))) {
      // A file's name is kept whole, "#" and "?" included.
      std::string path = prefix + entry.name;
      list.Add(path.data(), flags | kKeepBookmarks | kKeepArguments);
    }
  }

  if ((flags & kNoSubfolders) != 0) return;
  for (const DirectoryEntry& entry : SearchDirectory(prefix + "*.*")) {
    // Linked folders are not entered: a link back up the tree would never end.
    if (entry.is_directory && !entry.is_link && entry.name[0] != '.') {
      ListInto((prefix + entry.name).c_str(), patterns, list, flags);
    }
  }
}

}  // namespace

void ListFolder(const char* folder, const char* patterns, CountedStringList& list, unsigned flags) {
  IndexedStringList indexed(list);
  ListInto(folder, patterns, indexed, flags);
}

}  // namespace vellum::core
