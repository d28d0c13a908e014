// CountedStringList: distinct texts (compared byte for byte) with use counts,
// in insertion order. The list owns its texts and its array.
#pragma once

#include <string_view>
#include <unordered_map>

#include "vellum/vellum.h"

namespace vellum::core {

// Options of Add: which parts of a link survive (the LinkFlags bits).
inline constexpr unsigned kKeepBookmarks = 0x2;  // the "#name" part
inline constexpr unsigned kKeepArguments = 0x4;  // the "?arguments" part

void Init(CountedStringList& list);
void Clear(CountedStringList& list);

// The entry whose text equals text, or null.
CountedString* Find(const CountedStringList& list, const char* text);

// Adds text, or counts it again when present. Unless options keep them, the
// "?" and then the "#" part are cut off in the caller's text itself. An
// absent or empty text adds nothing. Returns 1 when added or counted, 0
// otherwise ("memory overflou" when an allocation failed).
int Add(CountedStringList& list, char* text, unsigned options);

// Removes the entry at index; an index out of range does nothing.
void Remove(CountedStringList& list, int index);

// A hash index beside a list that grows long (the pages of a site, the files
// of a folder tree): Find and Add give exactly the results of the functions
// above, without searching the whole list. While it lives, the list must
// change only through it.
class IndexedStringList {
 public:
  // Indexes the entries the list already has.
  explicit IndexedStringList(CountedStringList& list);

  CountedString* Find(std::string_view text) const;
  int Add(char* text, unsigned options);

  CountedStringList& list() { return list_; }

 private:
  CountedStringList& list_;
  std::unordered_map<std::string_view, int> index_;  // views of the entries' own texts
};

}  // namespace vellum::core
