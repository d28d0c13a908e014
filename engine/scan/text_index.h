// An index of numbered texts that are held elsewhere: a number found by
// its text with one probe or a few into a single array of (hash, number)
// slots. A site's pages are looked up for every link of every page; a map
// of nodes would add a cache miss or two to each lookup, and its nodes a
// few dozen bytes to each page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace vellum::scan {

// TextOf: std::string_view(int number), the text of a number added.
template <typename TextOf>
class TextIndex {
 public:
  explicit TextIndex(TextOf text_of) : text_of_(std::move(text_of)) {}
  // Takes over what other indexes, for texts that text_of now gives.
  TextIndex(TextIndex&& other, TextOf text_of)
      : slots_(std::move(other.slots_)),
        count_(std::exchange(other.count_, 0)),
        text_of_(std::move(text_of)) {}
  // Moving takes the slots over and keeps text_of: for texts that moved
  // along with the index.
  TextIndex& operator=(TextIndex&& other) noexcept {
    slots_ = std::move(other.slots_);
    count_ = std::exchange(other.count_, 0);
    return *this;
  }

  // What Find and Add take: a caller that looks a text up and then adds
  // it hashes it once.
  static std::uint32_t Hash(std::string_view text) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>()(text));
  }

  // The number added under text; -1 when none was.
  int Find(std::string_view text) const { return Find(text, Hash(text)); }
  int Find(std::string_view text, std::uint32_t hash) const {
    if (slots_.empty()) return -1;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.number < 0) return -1;
      if (slot.hash == hash && text_of_(slot.number) == text) return slot.number;
    }
  }

  // Adds number under text, which no number is added under yet.
  void Add(std::string_view text, int number) { Add(Hash(text), number); }
  // The same, by the Hash of the text.
  void Add(std::uint32_t hash, int number) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    Place({hash, number});
    ++count_;
  }

  void Clear() {
    slots_ = {};
    count_ = 0;
  }

 private:
  struct Slot {
    std::uint32_t hash;
    int number;  // -1: free
  };

  void Place(Slot slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = slot.hash & mask;
    while (slots_[i].number >= 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }

  // Twice the slots (a power of two, at least half of them free).
  void Grow() {
    std::vector<Slot> old = std::exchange(slots_, {});
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{0, -1});
    for (const Slot& slot : old) {
      if (slot.number >= 0) Place(slot);
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
  TextOf text_of_;
};

}  // namespace vellum::scan
