#include "update/address_keys.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "web/address.h"

namespace vellum::update {

int AddressKeys::operator()(std::string_view url) {
  const std::uint32_t hash = scan::TextIndex<TextOf>::Hash(url);
  if (const int spelling = spelled_.Find(url, hash); spelling >= 0) {
    return key_of_spelling_[spelling];
  }
  std::string normal = web::NormaliseAddress(url);
  if (std::optional<std::string_view> folder = web::IndexPageFolder(normal)) {
    normal.resize(folder->size());
  }
  const bool as_key = normal == url;
  const int key = NumberOf(addresses_, std::move(normal));
  // Most addresses come in normal form: their spelling is their key's text.
  const std::string_view spelling = as_key ? keys_[key] : owned_.emplace_back(url);
  spelled_.Add(hash, static_cast<int>(spellings_.size()));
  spellings_.push_back(spelling);
  key_of_spelling_.push_back(key);
  return key;
}

int AddressKeys::Made(std::string_view made) { return NumberOf(made_, std::string(made)); }

int AddressKeys::NumberOf(scan::TextIndex<TextOf>& index, std::string key) {
  if (const int found = index.Find(key); found >= 0) return found;
  const int number = count();
  keys_.push_back(owned_.emplace_back(std::move(key)));
  index.Add(keys_.back(), number);
  return number;
}

}  // namespace vellum::update
