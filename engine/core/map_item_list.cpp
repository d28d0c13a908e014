#include "core/map_item_list.h"

#include <cstring>
#include <utility>
#include <vector>

#include "core/memory.h"
#include "core/messages.h"

namespace vellum::core {
namespace {

MapItem EmptyItem() { return MapItem{nullptr, nullptr, {0, nullptr}, 0, 0, 0}; }

// Where an entry sits: the list holding it and its index there.
struct Location {
  MapItemList* list = nullptr;
  int index = -1;
};

Location Locate(MapItemList& root, const MapItem* entry) {
  std::vector<MapItemList*> pending{&root};
  while (!pending.empty()) {
    MapItemList* list = pending.back();
    pending.pop_back();
    for (int i = 0; i < list->Count; ++i) {
      MapItem& item = list->Items[i];
      if (&item == entry) return {list, i};
      if (item.Children.Count > 0) pending.push_back(&item.Children);
    }
  }
  return {};
}

// The index of the entry of list whose child list is child; -1 for none.
int OwnerIndex(const MapItemList& list, const MapItemList* child) {
  for (int i = 0; i < list.Count; ++i) {
    if (&list.Items[i].Children == child) return i;
  }
  return -1;
}

}  // namespace

void Init(MapItemList& list) {
  list.Count = 0;
  list.Items = nullptr;
}

void Clear(MapItemList& list) {
  // Detach every array before freeing it, so the walk needs no recursion.
  std::vector<MapItemList> pending{list};
  Init(list);
  while (!pending.empty()) {
    MapItemList current = pending.back();
    pending.pop_back();
    for (int i = 0; i < current.Count; ++i) {
      MapItem& item = current.Items[i];
      ReleaseText(item.URL);
      ReleaseText(item.Name);
      if (item.Children.Items != nullptr) pending.push_back(item.Children);
    }
    Release(current.Items);
  }
}

MapItem* Append(MapItemList& list, const char* url, const char* name) {
  auto* grown = ResizeArray(list.Items, list.Count + 1);
  if (grown == nullptr) {
    Clear(list);
    ReportMemoryOverflow();
    return nullptr;
  }
  list.Items = grown;
  MapItem& item = list.Items[list.Count++];
  item = EmptyItem();

  bool failed = false;
  item.URL = CopyOptionalText(url, &failed);
  if (!failed) item.Name = CopyOptionalText(name, &failed);
  if (failed) {
    ReportMemoryOverflow();
    return nullptr;
  }
  return &item;
}

MapItem* AppendWithDefaultName(MapItemList& list, const char* url, const char* name) {
  return Append(list, url, name != nullptr ? name : " ");
}

MapItem* InsertAfter(MapItemList& root, const MapItem* entry) {
  Location at = Locate(root, entry);
  if (at.list == nullptr) return nullptr;
  MapItemList& list = *at.list;

  auto* grown = ResizeArray(list.Items, list.Count + 1);
  if (grown == nullptr) {
    ReportError(FormatText("<< %i >>", list.Count + 1).c_str());
    Clear(list);
    ReportMemoryOverflow();
    return nullptr;
  }
  list.Items = grown;
  const int position = at.index + 1;
  std::memmove(&list.Items[position + 1], &list.Items[position],
               (list.Count - position) * sizeof(MapItem));
  ++list.Count;
  list.Items[position] = EmptyItem();
  return &list.Items[position];
}

int Move(MapItemList& root, const MapItem* entry, bool down) {
  Location at = Locate(root, entry);
  if (at.list == nullptr) return 0;
  const int other = down ? at.index + 1 : at.index - 1;
  if (other >= 0 && other < at.list->Count) {
    std::swap(at.list->Items[at.index], at.list->Items[other]);
  }
  return 1;
}

int Remove(MapItemList& root, const MapItem* entry) {
  Location at = Locate(root, entry);
  if (at.list == nullptr) return 0;
  MapItemList& list = *at.list;
  const MapItem removed = list.Items[at.index];
  std::memmove(&list.Items[at.index], &list.Items[at.index + 1],
               (list.Count - at.index - 1) * sizeof(MapItem));
  if (--list.Count == 0) {
    Release(list.Items);
    list.Items = nullptr;
  }
  ReleaseText(removed.URL);
  ReleaseText(removed.Name);
  MapItemList children = removed.Children;
  Clear(children);
  return 1;
}

MapItem* InsertAt(MapItemList& list, int index, const char* url, const char* name) {
  if (index < 0 || index > list.Count) return nullptr;
  bool failed = false;
  MapItem item = EmptyItem();
  item.URL = CopyOptionalText(url, &failed);
  if (!failed) item.Name = CopyOptionalText(name, &failed);
  auto* grown = failed ? nullptr : ResizeArray(list.Items, list.Count + 1);
  if (grown == nullptr) {
    ReleaseText(item.URL);
    ReleaseText(item.Name);
    ReportMemoryOverflow();
    return nullptr;
  }
  list.Items = grown;
  std::memmove(&list.Items[index + 1], &list.Items[index], (list.Count - index) * sizeof(MapItem));
  ++list.Count;
  list.Items[index] = item;
  return &list.Items[index];
}

bool Transfer(MapItemList& from, int index, MapItemList& to, int to_index) {
  if (index < 0 || index >= from.Count) return false;
  const int room = &from == &to ? to.Count - 1 : to.Count;
  if (to_index < 0 || to_index > room) return false;
  // Never into its own subtree: to may not be a list below the entry.
  std::vector<const MapItemList*> pending{&from.Items[index].Children};
  while (!pending.empty()) {
    const MapItemList* list = pending.back();
    pending.pop_back();
    if (list == &to) return false;
    for (int i = 0; i < list->Count; ++i) pending.push_back(&list->Items[i].Children);
  }
  if (&from == &to) {
    // Within one list: the entries between the two places shift by one.
    const MapItem moving = from.Items[index];
    if (to_index < index) {
      std::memmove(&from.Items[to_index + 1], &from.Items[to_index],
                   (index - to_index) * sizeof(MapItem));
    } else {
      std::memmove(&from.Items[index], &from.Items[index + 1],
                   (to_index - index) * sizeof(MapItem));
    }
    from.Items[to_index] = moving;
    return true;
  }
  // One list may be the child list of an entry of the other (a move to the
  // parent's level, or into a sibling): that list moves with its entry's
  // array, so it is named by the entry's index until the end.
  const int to_owner = OwnerIndex(from, &to);
  const int from_owner = OwnerIndex(to, &from);
  // Room first, so that running out of memory changes nothing.
  auto* grown = ResizeArray(to.Items, to.Count + 1);
  if (grown == nullptr) {
    ReportMemoryOverflow();
    return false;
  }
  to.Items = grown;
  MapItemList& source = from_owner >= 0 ? to.Items[from_owner].Children : from;
  const MapItem moving = source.Items[index];
  std::memmove(&source.Items[index], &source.Items[index + 1],
               (source.Count - index - 1) * sizeof(MapItem));
  if (--source.Count == 0) {
    Release(source.Items);
    source.Items = nullptr;
  }
  MapItemList& target =
      to_owner >= 0 ? source.Items[to_owner > index ? to_owner - 1 : to_owner].Children : to;
  std::memmove(&target.Items[to_index + 1], &target.Items[to_index],
               (target.Count - to_index) * sizeof(MapItem));
  ++target.Count;
  target.Items[to_index] = moving;
  return true;
}

int CountAll(const MapItemList& list) {
  int count = 0;
  std::vector<const MapItemList*> pending{&list};
  while (!pending.empty()) {
    const MapItemList* next = pending.back();
    pending.pop_back();
    count += next->Count;
    for (int i = 0; i < next->Count; ++i) pending.push_back(&next->Items[i].Children);
  }
  return count;
}

bool SetText(const char*& text, const char* value) {
  if (value == nullptr || *value == '\0') {
    if (text == nullptr) return false;
    ReleaseText(text);
    text = nullptr;
    return true;
  }
  if (text != nullptr && std::strcmp(text, value) == 0) return false;
  ReleaseText(text);
  text = CopyText(value);
  if (text == nullptr) ReportMemoryOverflow();
  return true;
}

void Copy(const MapItemList* source, MapItemList& destination) {
  Clear(destination);
  if (source == nullptr || source->Count == 0) return;

  // Depth first, as a recursive copy would go: each frame is a list being
  // copied and the next entry to copy in it.
  struct Frame {
    const MapItemList* from;
    MapItemList* to;
    int next;
  };
  std::vector<Frame> frames;

  auto start_list = [&frames](const MapItemList* from, MapItemList* to) {
    to->Items = static_cast<MapItem*>(AllocateZeroed(from->Count * sizeof(MapItem)));
    if (to->Items == nullptr) {
      ReportMemoryOverflow();
      to->Count = 0;
      return;
    }
    to->Count = from->Count;
    frames.push_back({from, to, 0});
  };

  start_list(source, &destination);
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next == frame.from->Count) {
      frames.pop_back();
      continue;
    }
    const MapItem& from = frame.from->Items[frame.next];
    MapItem& to = frame.to->Items[frame.next];
    ++frame.next;

    bool failed = false;
    to.URL = CopyOptionalText(from.URL, &failed);
    if (!failed) to.Name = CopyOptionalText(from.Name, &failed);
    if (failed) return;  // copying stops here; later entries stay empty
    if (from.Children.Count > 0) start_list(&from.Children, &to.Children);
  }
}

}  // namespace vellum::core
