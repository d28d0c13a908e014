// MapItemList: one level of the site map tree. Each list owns its array and,
// recursively, its entries' texts and children. Trees may be deep (a scan or a
// project file can nest thousands of levels), so no operation here recurses.
#pragma once

#include "vellum/vellum.h"

namespace vellum::core {

void Init(MapItemList& list);

// Frees every entry's texts and children, then the array.
void Clear(MapItemList& list);

// Appends an entry with copies of url and name (absent stays absent).
// Returns the new entry, or null with "memory overflou" reported.
MapItem* Append(MapItemList& list, const char* url, const char* name);

// As Append, but an absent name becomes " ".
MapItem* AppendWithDefaultName(MapItemList& list, const char* url, const char* name);

// Inserts an empty entry directly behind entry, in whichever list of the tree
// rooted at root holds it. Returns the new entry; null when entry is not in
// the tree or memory ran out. Pointers into that list are invalidated.
MapItem* InsertAfter(MapItemList& root, const MapItem* entry);

// Swaps entry with its next (down) or previous sibling. Returns 1 when entry
// is in the tree (also when it has no such sibling), 0 when it is not.
int Move(MapItemList& root, const MapItem* entry, bool down);

// Removes entry, its texts and its whole subtree from whichever list of the
// tree rooted at root holds it. Returns 1 when entry was in the tree, 0 when
// not. Pointers into that list are invalidated.
int Remove(MapItemList& root, const MapItem* entry);

// Sets an entry's URL or name by the editor's rule: an absent or empty value
// makes the text absent, an equal one is left alone, any other replaces it
// with a copy. Returns whether the text changed; when the copy cannot be
// made the text becomes absent and "memory overflou" is reported.
bool SetText(const char*& text, const char* value);

// Inserts an entry with copies of url and name at index (0 to Count) of
// list. Returns the new entry; null when index is out of range or memory ran
// out (the list is then as it was). Pointers into the list are invalidated.
MapItem* InsertAt(MapItemList& list, int index, const char* url, const char* name);

// Moves the entry at index of from, with its subtree, to place to_index of
// to, counted as to stands once the entry has left from. Returns false, and
// changes nothing, when an index is out of range, when to is the entry's own
// child list or a list below it, or when memory ran out. Pointers into both
// lists are invalidated.
bool Transfer(MapItemList& from, int index, MapItemList& to, int to_index);

// The entries of list and of every list below it.
int CountAll(const MapItemList& list);

// Clears destination, then makes it a deep copy of source when source is
// given. The editor's members (visited, view flags, view handle) start at 0.
void Copy(const MapItemList* source, MapItemList& destination);

}  // namespace vellum::core
