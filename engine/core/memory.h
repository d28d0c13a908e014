// The one allocator of texts and arrays that engine records own. Records
// cross the C interface, so their memory is plain malloc memory, allocated
// and released only here. Tests can make an allocation fail on purpose to
// reach the engine's out-of-memory paths.
#pragma once

#include <cstddef>
#include <string_view>

namespace vellum::core {

// Resizes a block (ptr may be null) to bytes; null on failure, with the old
// block still valid. Zero bytes frees the block and returns null.
void* Reallocate(void* ptr, std::size_t bytes);

// Allocates a zero-filled block; null on failure.
void* AllocateZeroed(std::size_t bytes);

void Release(const void* ptr);

// Resizes an array of count elements of T; null on failure (old array kept).
template <typename T>
T* ResizeArray(T* array, std::size_t count) {
  return static_cast<T*>(Reallocate(array, count * sizeof(T)));
}

// A NUL-terminated copy of text; null on failure.
char* CopyText(std::string_view text);

// A copy of text, or null when text is null. Sets *failed when the copy could
// not be allocated.
const char* CopyOptionalText(const char* text, bool* failed);

void ReleaseText(const char* text);

namespace testing {
// Makes the allocation after `successes` more allocations fail, once; a
// negative value disables the fault. Counts every allocation of this file.
void FailAllocationAfter(int successes);
}  // namespace testing

}  // namespace vellum::core
