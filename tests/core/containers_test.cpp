#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "support/message_log.h"

namespace vellum::core {
namespace {

using test::Messages;
using Texts = std::vector<std::string>;

// The entries as "text count".
Texts Entries(const CountedStringList& list) {
  Texts entries;
  for (int i = 0; i < list.Count; ++i)
    entries.push_back(std::string(list.Entries[i].Text) + " " +
                      std::to_string(list.Entries[i].UseCount));
  return entries;
}

class ContainersTest : public ::testing::Test {
 protected:
  void SetUp() override { test::InstallMessageLog(); }
  void TearDown() override {
    testing::FailAllocationAfter(-1);
    Clear(list_);
    Clear(root_);
  }
  int Add(std::string text, unsigned options = 0) { return core::Add(list_, text.data(), options); }

  CountedStringList list_{};
  MapItemList root_{};
};

TEST_F(ContainersTest, ListsCutLinksAsTheOptionsSayCountEqualTextsFindAndRemove) {
  // Rows of "options text": a link cut by options 0, 2, 4 and 6 (the "?" cut comes
  // first and takes the bookmark along), texts that differ in case, a bookmark alone.
  const char* const adds[] = {"0 page.html?x=1#top",
                              "2 page.html?x=1#top",
                              "4 page.html?x=1#top",
                              "6 page.html?x=1#top",
                              "0 A.HTML",
                              "0 a.html",
                              "0 #top",
                              "2 page.html#top",
                              "0 old"};
  CountedStringList indexed{};
  core::Add(indexed, std::string("old").data(), 0);
  Add("old");
  IndexedStringList index(indexed);
  Texts cuts;  // the caller's text is cut too
  for (std::string row : adds) {
    std::string a = row.substr(2), b = a;
    EXPECT_EQ(core::Add(list_, a.data(), row[0] - '0'), 1) << row;
    EXPECT_EQ(index.Add(b.data(), row[0] - '0'), 1) << row;
    EXPECT_STREQ(a.c_str(), b.c_str());
    cuts.push_back(a.c_str());
  }
  EXPECT_EQ(cuts, (Texts{"page.html", "page.html", "page.html?x=1", "page.html?x=1#top", "A.HTML",
                         "a.html", "", "page.html#top", "old"}));
  const Texts expected = {
      "old 2",    "page.html 2", "page.html?x=1 1", "page.html?x=1#top 1", "A.HTML 1",
      "a.html 1", " 1",          "page.html#top 1"};
  EXPECT_EQ(Entries(list_), expected);
  EXPECT_EQ(Entries(indexed), expected);
  EXPECT_EQ(index.Find("page.html"), &indexed.Entries[1]);
  EXPECT_EQ(index.Find("missing"), nullptr);
  EXPECT_EQ(index.Add(std::string().data(), 0), 0);
  Clear(indexed);

  EXPECT_EQ(Find(list_, "A.HTML"), &list_.Entries[4]);
  EXPECT_EQ(Find(list_, "PAGE.HTML"), nullptr);
  EXPECT_EQ(Add(""), 0);
  EXPECT_EQ(core::Add(list_, nullptr, 0), 0);
  Remove(list_, -1);
  Remove(list_, 8);
  Remove(list_, 1);
  EXPECT_EQ(list_.Count, 7);
  EXPECT_EQ(Entries(list_)[1], "page.html?x=1 1");  // later entries move down
  while (list_.Count > 0) Remove(list_, 0);
  EXPECT_EQ(list_.Entries, nullptr);
}

TEST_F(ContainersTest, NoMemoryToCopyKeepsTheEntriesButNoneToGrowLosesThemAndTheIndex) {
  IndexedStringList index(list_);
  auto add = [&index](std::string text) { return index.Add(text.data(), 0); };
  add("a");
  testing::FailAllocationAfter(1);  // the array grows, the copy fails
  EXPECT_EQ(add("b"), 0);
  EXPECT_EQ(Entries(list_), Texts{"a 1"});
  testing::FailAllocationAfter(0);
  EXPECT_EQ(add("c"), 0);
  EXPECT_EQ(list_.Entries, nullptr);
  EXPECT_EQ(index.Find("a"), nullptr);
  EXPECT_EQ(add("a"), 1);
  EXPECT_EQ(Entries(list_), Texts{"a 1"});
  EXPECT_EQ(Messages().errors, (Texts{"memory overflou", "memory overflou"}));
}

// The tree as text: "url=name(children) url ..." in depth-first order, "-" for
// no URL, "=name" only when there is one.
std::string Shape(const MapItemList& list) {
  std::string shape;
  for (int i = 0; i < list.Count; ++i) {
    const MapItem& item = list.Items[i];
    if (i > 0) shape += ' ';
    shape += item.URL != nullptr ? item.URL : "-";
    if (item.Name != nullptr) shape.append("=").append(item.Name);
    if (item.Children.Count > 0) shape.append("(").append(Shape(item.Children)).append(")");
  }
  return shape;
}

TEST_F(ContainersTest, MapItemsAreInsertedAndMovedAnywhereInTheTree) {
  AppendWithDefaultName(root_, "a", nullptr);
  MapItem* b = Append(root_, "b", nullptr);
  Append(b->Children, "b1", nullptr);
  Append(b->Children, "b2", nullptr);
  Append(root_, "c", nullptr);

  MapItem* inserted = InsertAfter(root_, &root_.Items[1].Children.Items[0]);
  ASSERT_NE(inserted, nullptr);
  EXPECT_EQ(inserted->URL, nullptr);
  EXPECT_NE(InsertAfter(root_, &root_.Items[2]), nullptr);
  EXPECT_EQ(Shape(root_), "a=  b(b1 - b2) c -");

  EXPECT_EQ(Move(root_, &root_.Items[0], /*down=*/false), 1);  // already first
  EXPECT_EQ(Move(root_, &root_.Items[3], /*down=*/true), 1);   // already last
  EXPECT_EQ(Move(root_, &root_.Items[1], /*down=*/true), 1);
  EXPECT_EQ(Move(root_, &root_.Items[2].Children.Items[2], /*down=*/false), 1);
  EXPECT_EQ(Shape(root_), "a=  c b(b1 b2 -) -");

  EXPECT_EQ(Remove(root_, &root_.Items[2]), 1);  // with its children
  EXPECT_EQ(Remove(root_, &root_.Items[0]), 1);
  EXPECT_EQ(Shape(root_), "c -");

  MapItem stranger{};
  EXPECT_EQ(InsertAfter(root_, &stranger), nullptr);
  EXPECT_EQ(Move(root_, &stranger, true), 0);
  EXPECT_EQ(Remove(root_, &stranger), 0);
  EXPECT_TRUE(Messages().errors.empty());

  testing::FailAllocationAfter(0);
  EXPECT_EQ(InsertAfter(root_, &root_.Items[0]), nullptr);
  EXPECT_EQ(root_.Count, 0);
  EXPECT_EQ(Messages().errors, (Texts{"<< 3 >>", "memory overflou"}));
}

// Each row starts from "a b(b1 b2(b21)) c" and moves one entry, named by
// its list (a path of indexes, empty for the top) and index, to a place of
// another list; the lists that move with their entry's array (a parent's
// level, a sibling's children) are the cases to get right.
TEST_F(ContainersTest, TransferMovesAnEntryWithItsSubtreeAnywhereButIntoItself) {
  const struct {
    const char* name;
    std::vector<int> from;
    int index;
    std::vector<int> to;
    int to_index;
    const char* shape;  // null: refused, nothing changed
  } rows[] = {
      {"down within a list", {}, 0, {}, 2, "b(b1 b2(b21)) c a"},
      {"up within a list", {}, 2, {}, 0, "c a b(b1 b2(b21))"},
      {"into a later sibling", {}, 0, {1}, 2, "b(b1 b2(b21) a) c"},
      {"into an earlier sibling", {}, 2, {1}, 0, "a b(c b1 b2(b21))"},
      {"to the parent's level", {1}, 1, {}, 2, "a b(b1) b2(b21) c"},
      {"from deep to the top", {1, 1}, 0, {}, 0, "b21 a b(b1 b2) c"},
      {"into itself", {}, 1, {1}, 0, nullptr},
      {"below itself", {}, 1, {1, 1}, 0, nullptr},
      {"past the end", {}, 0, {}, 3, nullptr},
      {"no such entry", {}, 3, {}, 0, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Clear(root_);
    Append(root_, "a", nullptr);
    MapItem* b = Append(root_, "b", nullptr);
    Append(b->Children, "b1", nullptr);
    Append(Append(b->Children, "b2", nullptr)->Children, "b21", nullptr);
    Append(root_, "c", nullptr);
    const auto list = [this](const std::vector<int>& path) {
      MapItemList* at = &root_;
      for (int index : path) at = &at->Items[index].Children;
      return at;
    };
    const std::string before = Shape(root_);
    EXPECT_EQ(Transfer(*list(row.from), row.index, *list(row.to), row.to_index),
              row.shape != nullptr);
    EXPECT_EQ(Shape(root_), row.shape != nullptr ? row.shape : before);
  }
  EXPECT_EQ(CountAll(root_), 6);
  ASSERT_NE(InsertAt(root_, 2, "d", "D"), nullptr);
  EXPECT_EQ(InsertAt(root_, 5, "e", nullptr), nullptr);
  EXPECT_EQ(Shape(root_), "a b(b1 b2(b21)) d=D c");
  EXPECT_TRUE(Messages().errors.empty());
}

TEST_F(ContainersTest, SetTextStoresACopyOrNoneAndSaysWhetherItChanged) {
  const char* text = nullptr;
  EXPECT_FALSE(SetText(text, ""));
  EXPECT_TRUE(SetText(text, "a"));
  EXPECT_STREQ(text, "a");
  EXPECT_FALSE(SetText(text, "a"));
  EXPECT_TRUE(SetText(text, ""));
  EXPECT_EQ(text, nullptr);
  testing::FailAllocationAfter(0);
  EXPECT_TRUE(SetText(text, "b"));
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(Messages().errors, Texts{"memory overflou"});
}

TEST_F(ContainersTest, DeepCopyKeepsTextsAndShapeButNotTheEditorMembers) {
  Append(Append(Append(root_, "a", "A")->Children, "a1", "A1")->Children, "a11", nullptr);
  Append(root_, nullptr, "no url");
  root_.Items[0].Visited = root_.Items[0].ViewFlags = 1;
  root_.Items[0].ViewHandle = 42;

  MapItemList copy{};
  Append(copy, "old", nullptr);  // the destination is cleared first
  Copy(&root_, copy);
  EXPECT_EQ(Shape(copy), "a=A(a1=A1(a11)) -=no url");
  EXPECT_NE(copy.Items[0].URL, root_.Items[0].URL);
  EXPECT_EQ(copy.Items[0].Visited + copy.Items[0].ViewFlags + copy.Items[0].ViewHandle, 0u);
  Copy(nullptr, copy);
  EXPECT_EQ(copy.Count, 0);

  Clear(root_);
  Append(root_, "a", "A");
  Append(root_, "b", "B");
  testing::FailAllocationAfter(3);  // array, "a", "A", then "b" fails: copying stops silently
  Copy(&root_, copy);
  EXPECT_EQ(Shape(copy), "a=A -");
  EXPECT_TRUE(Messages().errors.empty());
  Clear(copy);
}

TEST_F(ContainersTest, ClearAndCopyHandleVeryDeepTrees) {
  MapItemList* level = &root_;
  for (int depth = 0; depth < 100000; ++depth) level = &Append(*level, "x", nullptr)->Children;
  MapItemList copy{};
  Copy(&root_, copy);
  int depth = 0;
  for (const MapItemList* at = &copy; at->Count > 0; at = &at->Items[0].Children) ++depth;
  EXPECT_EQ(depth, 100000);
  Clear(copy);
}

}  // namespace
}  // namespace vellum::core
