// CountedStringList: distinct texts (compared byte for byte) with use counts,
// in insertion order. The list owns its texts and its array.
#pragma once

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

}  // namespace vellum::core
