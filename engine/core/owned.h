// The owner of a record of the C interface that the engine fills for its own
// use (a MapItemList, a CountedStringList): what the record holds is freed
// when the owner goes, also when an exception unwinds past it, unless it was
// handed on with Release.
#pragma once

#include <utility>

#include "core/counted_string_list.h"
#include "core/map_item_list.h"

namespace vellum::core {

template <typename Record>
class Owned {
 public:
  Owned() = default;
  ~Owned() { Clear(record_); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Record& operator*() { return record_; }
  const Record& operator*() const { return record_; }
  Record* operator->() { return &record_; }
  const Record* operator->() const { return &record_; }

  // The record with all it holds, for the caller to own; this owner is left
  // empty.
  Record Release() { return std::exchange(record_, Record{}); }

 private:
  Record record_{};
};

}  // namespace vellum::core
