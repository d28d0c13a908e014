// Small helpers for the arrays and texts that the project's records own
// (allocated through core/memory.h).
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/memory.h"
#include "core/messages.h"

namespace vellum::project {

// Removes element index (already released by the caller) of an array of
// count records; the array is freed when it becomes empty.
template <typename T>
void EraseAt(T*& array, int32_t& count, int index) {
  std::memmove(&array[index], &array[index + 1], (count - index - 1) * sizeof(T));
  if (--count == 0) {
    core::Release(array);
    array = nullptr;
  }
}

// Releases every element with release, then the array; count becomes 0.
template <typename T, typename Release>
void ReleaseAll(T*& array, int32_t& count, Release release) {
  for (int i = 0; i < count; ++i) release(array[i]);
  core::Release(array);
  array = nullptr;
  count = 0;
}

// Opens a value-initialised place at position (0 to count) of an array of
// count records and returns it. Null when the array cannot grow: then every
// element is released with release, the array is empty and "memory
// overflou" is reported.
template <typename T, typename Release>
T* InsertAt(T*& array, int32_t& count, int position, Release release) {
  T* grown = core::ResizeArray(array, count + 1);
  if (grown == nullptr) {
    ReleaseAll(array, count, release);
    core::ReportMemoryOverflow();
    return nullptr;
  }
  array = grown;
  std::memmove(&array[position + 1], &array[position], (count - position) * sizeof(T));
  ++count;
  array[position] = T{};
  return &array[position];
}

// Replaces member with a copy of text ("" stays ""). False, with "memory
// overflou" reported and the old text kept, when the copy fails.
bool ReplaceText(const char*& member, std::string_view text);

}  // namespace vellum::project
