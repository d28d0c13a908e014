#include "core/counted_string_list.h"

#include <cstring>

#include "core/memory.h"
#include "core/messages.h"

namespace vellum::core {
namespace {

void CutAt(char* text, char mark) {
  if (char* found = std::strchr(text, mark)) *found = '\0';
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
  if (text == nullptr || *text == '\0') return 0;
  if ((options & kKeepArguments) == 0) CutAt(text, '?');
  if ((options & kKeepBookmarks) == 0) CutAt(text, '#');

  if (CountedString* entry = Find(list, text)) {
    ++entry->UseCount;
    return 1;
  }

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

}  // namespace vellum::core
