#include "core/counted_string_list.h"

#include <cstring>

#include "core/memory.h"
#include "core/messages.h"

namespace vellum::core {
namespace {

void CutAt(char* text, char mark) {
  if (char* found = std::strchr(text, mark)) *found = '\0';
}

// Cuts text as options say. False when there is nothing to add.
bool PrepareText(char* text, unsigned options) {
  if (text == nullptr || *text == '\0') return false;
  if ((options & kKeepArguments) == 0) CutAt(text, '?');
  if ((options & kKeepBookmarks) == 0) CutAt(text, '#');
  return true;
}

// Appends a new entry holding a copy of text.
int AppendEntry(CountedStringList& list, const char* text) {
  auto* grown = ResizeArray(list.Entries, list.Count + 1);
  if (grown == nullptr) {
    // The old entries are forgotten with the array, as the list has always
    // done; release them so that nothing leaks.
    Clear(list);
    ReportMemoryOverflow();
    return 0;
  }
  list.Entries = grown;

  const char* copy = CopyText(text);
  if (copy == nullptr) {
    ReportMemoryOverflow();
    return 0;
  }
  list.Entries[list.Count++] = CountedString{1, copy};
  return 1;
}

}  // namespace

void Init(CountedStringList& list) {
  list.Count = 0;
  list.Entries = nullptr;
}

void Clear(CountedStringList& list) {
  for (int i = 0; i < list.Count; ++i) ReleaseText(list.Entries[i].Text);
  Release(list.Entries);
  Init(list);
}

CountedString* Find(const CountedStringList& list, const char* text) {
  for (int i = 0; i < list.Count; ++i) {
    if (std::strcmp(list.Entries[i].Text, text) == 0) return &list.Entries[i];
  }
  return nullptr;
}

int Add(CountedStringList& list, char* text, unsigned options) {
  if (!PrepareText(text, options)) return 0;
  if (CountedString* entry = Find(list, text)) {
    ++entry->UseCount;
    return 1;
  }
  return AppendEntry(list, text);
}

void Remove(CountedStringList& list, int index) {
  if (index < 0 || index >= list.Count) return;
  ReleaseText(list.Entries[index].Text);
  std::memmove(&list.Entries[index], &list.Entries[index + 1],
               (list.Count - index - 1) * sizeof(CountedString));
  if (--list.Count == 0) {
    Release(list.Entries);
    list.Entries = nullptr;
  }
}

IndexedStringList::IndexedStringList(CountedStringList& list) : list_(list) {
  index_.reserve(list.Count);
  for (int i = 0; i < list.Count; ++i) index_.try_emplace(list.Entries[i].Text, i);
}

CountedString* IndexedStringList::Find(std::string_view text) const {
  auto found = index_.find(text);
  return found == index_.end() ? nullptr : &list_.Entries[found->second];
}

int IndexedStringList::Add(char* text, unsigned options) {
  if (!PrepareText(text, options)) return 0;
  if (CountedString* entry = Find(text)) {
    ++entry->UseCount;
    return 1;
  }
  const int added = AppendEntry(list_, text);
  if (list_.Count == 0) {
    index_.clear();  // the list was lost
  } else if (added == 1) {
    index_.emplace(list_.Entries[list_.Count - 1].Text, list_.Count - 1);
  }
  return added;
}

}  // namespace vellum::core
