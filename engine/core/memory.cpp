#include "core/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace vellum::core {
namespace {

// Atomic: a scan reads its pages on a second thread, and a page in UTF-16
// is copied there through this allocator.
std::atomic<int> allocations_before_failure = -1;

bool AllocationFails() {
  int left = allocations_before_failure.load(std::memory_order_relaxed);
  while (left >= 0 && !allocations_before_failure.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

}  // namespace

void* Reallocate(void* ptr, std::size_t bytes) {
  if (bytes == 0) {
    std::free(ptr);
    return nullptr;
  }
  if (AllocationFails()) return nullptr;
  return std::realloc(ptr, bytes);
}

void* AllocateZeroed(std::size_t bytes) {
  if (AllocationFails()) return nullptr;
  return std::calloc(1, bytes == 0 ? 1 : bytes);
}

void Release(const void* ptr) { std::free(const_cast<void*>(ptr)); }

char* CopyText(std::string_view text) {
  if (AllocationFails()) return nullptr;
  auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

const char* CopyOptionalText(const char* text, bool* failed) {
  if (text == nullptr) return nullptr;
  char* copy = CopyText(text);
  if (copy == nullptr) *failed = true;
  return copy;
}

void ReleaseText(const char* text) { Release(text); }

namespace testing {
void FailAllocationAfter(int successes) { allocations_before_failure = successes; }
}  // namespace testing

}  // namespace vellum::core
