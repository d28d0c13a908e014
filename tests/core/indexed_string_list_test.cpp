#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/counted_string_list.h"
#include "core/memory.h"
#include "support/message_log.h"

namespace vellum::core {
namespace {

std::vector<std::string> Entries(const CountedStringList& list) {
  std::vector<std::string> entries;
  for (int i = 0; i < list.Count; ++i) {
    entries.push_back(std::string(list.Entries[i].Text) + " " +
                      std::to_string(list.Entries[i].UseCount));
  }
  return entries;
}

TEST(IndexedStringList, AddsExactlyAsThePlainList) {
  const std::vector<std::pair<std::string, unsigned>> adds = {{"page.html?x=1#top", 0},
                                                              {"page.html", 0},
                                                              {"page.html?x=1", 4},
                                                              {"page.html?x=1#t", 6},
                                                              {"A.HTML", 0},
                                                              {"a.html", 0},
                                                              {"#top", 0},
                                                              {"", 0},
                                                              {"page.html#top", 2},
                                                              {"page.html?y", 4}};
  CountedStringList plain{}, indexed{};
  Add(plain, std::string("old").data(), 0);
  Add(indexed, std::string("old").data(), 0);
  IndexedStringList index(indexed);
  for (const auto& [text, options] : adds) {
    std::string a = text, b = text;
    EXPECT_EQ(index.Add(b.data(), options), Add(plain, a.data(), options)) << text;
    EXPECT_EQ(a, b);  // cut the same way, in the caller's text
  }
  EXPECT_EQ(index.Add(std::string("old").data(), 0), 1);
  Add(plain, std::string("old").data(), 0);
  EXPECT_EQ(Entries(indexed), Entries(plain));
  EXPECT_EQ(index.Find("page.html"), &indexed.Entries[1]);
  EXPECT_EQ(index.Find("missing"), nullptr);
  Clear(plain);
  Clear(indexed);
}

TEST(IndexedStringList, ALostListEmptiesTheIndex) {
  auto& log = test::InstallMessageLog();
  CountedStringList list{};
  IndexedStringList index(list);
  index.Add(std::string("a").data(), 0);
  testing::FailAllocationAfter(0);
  EXPECT_EQ(index.Add(std::string("b").data(), 0), 0);
  testing::FailAllocationAfter(-1);
  EXPECT_EQ(list.Count, 0);
  EXPECT_EQ(index.Find("a"), nullptr);
  EXPECT_EQ(index.Add(std::string("a").data(), 0), 1);
  EXPECT_EQ(Entries(list), std::vector<std::string>{"a 1"});
  EXPECT_EQ(log.errors, std::vector<std::string>{"memory overflou"});
  Clear(list);
}

}  // namespace
}  // namespace vellum::core
