// The keys an update knows pages by, as numbers: one number for every
// spelling of one page's address (its normal form, a folder and its index
// page one). An update keys the same addresses for the kept pages, the
// site's maps and the three trees it merges; each spelling is worked out
// once, and from then on pages are compared and looked up by number.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "scan/text_index.h"

namespace vellum::update {

class AddressKeys {
 public:
  AddressKeys() = default;
  AddressKeys(const AddressKeys&) = delete;  // the indexes view the members
  AddressKeys& operator=(const AddressKeys&) = delete;

  // The number of the key of url.
  int operator()(std::string_view url);
  // The number of a key that is not an address's (made is never taken for
  // one): an entry without an address is known by such a key.
  int Made(std::string_view made);
  // Every number given is below this.
  int count() const { return static_cast<int>(keys_.size()); }

 private:
  struct TextOf {
    const std::vector<std::string_view>* texts;
    std::string_view operator()(int number) const { return (*texts)[number]; }
  };

  int NumberOf(scan::TextIndex<TextOf>& index, std::string key);

  std::deque<std::string> owned_;            // stable, so that views stay valid
  std::vector<std::string_view> keys_;       // by number
  std::vector<std::string_view> spellings_;  // the addresses asked for
  std::vector<int> key_of_spelling_;
  scan::TextIndex<TextOf> addresses_{TextOf{&keys_}};
  scan::TextIndex<TextOf> made_{TextOf{&keys_}};
  scan::TextIndex<TextOf> spelled_{TextOf{&spellings_}};
};

}  // namespace vellum::update
