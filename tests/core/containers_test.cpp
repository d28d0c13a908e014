#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "support/message_log.h"

namespace vellum::core {
namespace {

using test::InstallMessageLog;

class CountedStringListTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallMessageLog(); }
  void TearDown() override {
    testing::FailAllocationAfter(-1);
    Clear(list_);
  }

  int AddText(std::string text, unsigned options) { return Add(list_, text.data(), options); }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < list_.Count; ++i) texts.emplace_back(list_.Entries[i].Text);
    return texts;
  }

  CountedStringList list_{};
};

TEST_F(CountedStringListTest, OptionsSayWhichPartsOfALinkSurvive) {
  struct Row {
    unsigned options;
    const char* stored;
  };
  const Row rows[] = {
      {0, "page.html"},
      {2, "page.html"},  // the "?" cut comes first and takes the bookmark along
      {4, "page.html?x=1"},
      {6, "page.html?x=1#top"},
  };
  for (const Row& row : rows) {
    CountedStringList list{};
    char text[] = "page.html?x=1#top";
    EXPECT_EQ(Add(list, text, row.options), 1);
    ASSERT_EQ(list.Count, 1);
    EXPECT_STREQ(list.Entries[0].Text, row.stored) << row.options;
    EXPECT_STREQ(text, row.stored) << "the caller's text is cut too";
    Clear(list);
  }
}

TEST_F(CountedStringListTest, SameTextIsCountedAndCaseMatters) {
  EXPECT_EQ(AddText("a.html", 0), 1);
  EXPECT_EQ(AddText("a.html", 0), 1);
  EXPECT_EQ(AddText("A.HTML", 0), 1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"a.html", "A.HTML"}));
  EXPECT_EQ(list_.Entries[0].UseCount, 2);
  EXPECT_EQ(list_.Entries[1].UseCount, 1);
  EXPECT_EQ(Find(list_, "A.HTML"), &list_.Entries[1]);
  EXPECT_EQ(Find(list_, "b.html"), nullptr);
}

TEST_F(CountedStringListTest, EmptyTextAddsNothingButAFragmentOnlyLinkAddsAnEmptyEntry) {
  EXPECT_EQ(AddText("", 0), 0);
  EXPECT_EQ(Add(list_, nullptr, 0), 0);
  EXPECT_EQ(list_.Count, 0);
  EXPECT_EQ(AddText("#top", 0), 1);
  EXPECT_EQ(Texts(), std::vector<std::string>{""});
  EXPECT_TRUE(test::Messages().errors.empty());
}

TEST_F(CountedStringListTest, RemoveMovesLaterEntriesDownAndIgnoresBadIndexes) {
  for (const char* text : {"a", "b", "c"}) AddText(text, 0);
  Remove(list_, -1);
  Remove(list_, 3);
  EXPECT_EQ(list_.Count, 3);
  Remove(list_, 1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "c"}));
  Remove(list_, 0);
  Remove(list_, 0);
  EXPECT_EQ(list_.Count, 0);
  EXPECT_EQ(list_.Entries, nullptr);
}

TEST_F(CountedStringListTest, FailingToGrowEmptiesTheList) {
  AddText("a", 0);
  testing::FailAllocationAfter(0);
  EXPECT_EQ(AddText("b", 0), 0);
  EXPECT_EQ(list_.Count, 0);
  EXPECT_EQ(list_.Entries, nullptr);
  EXPECT_EQ(test::Messages().errors, std::vector<std::string>{"memory overflou"});
}

TEST_F(CountedStringListTest, FailingToCopyTheTextKeepsTheOldEntries) {
  AddText("a", 0);
  testing::FailAllocationAfter(1);  // the array grows, the copy fails
  EXPECT_EQ(AddText("b", 0), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"a"});
  EXPECT_EQ(test::Messages().errors, std::vector<std::string>{"memory overflou"});
  EXPECT_EQ(AddText("c", 0), 1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "c"}));
}

class MapItemListTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallMessageLog(); }
  void TearDown() override {
    testing::FailAllocationAfter(-1);
    Clear(root_);
  }

  // The tree as text: "url(children) url ..." in depth-first order.
  static std::string Shape(const MapItemList& list) {
    std::string shape;
    for (int i = 0; i < list.Count; ++i) {
      const MapItem& item = list.Items[i];
      if (i > 0) shape += ' ';
      shape += item.URL != nullptr ? item.URL : "-";
      if (item.Children.Count > 0) shape += "(" + Shape(item.Children) + ")";
    }
    return shape;
  }

  MapItemList root_{};
};

TEST_F(MapItemListTest, AppendCopiesTextsAndTheDefaultNameIsASpace) {
  MapItem* plain = Append(root_, "a.html", nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_STREQ(plain->URL, "a.html");
  EXPECT_EQ(plain->Name, nullptr);
  MapItem* named = AppendWithDefaultName(root_, "b.html", nullptr);
  ASSERT_NE(named, nullptr);
  EXPECT_STREQ(named->Name, " ");
  EXPECT_EQ(named->Visited, 0);
  EXPECT_EQ(named->Children.Count, 0);
  EXPECT_EQ(root_.Count, 2);
}

TEST_F(MapItemListTest, InsertAfterFindsTheEntryAnywhereInTheTree) {
  Append(root_, "a", "A");
  MapItem* b = Append(root_, "b", "B");
  Append(b->Children, "b1", nullptr);
  Append(b->Children, "b2", nullptr);

  MapItem* after_b1 = InsertAfter(root_, &root_.Items[1].Children.Items[0]);
  ASSERT_NE(after_b1, nullptr);
  EXPECT_EQ(after_b1->URL, nullptr);
  EXPECT_EQ(Shape(root_), "a b(b1 - b2)");

  MapItem* last = InsertAfter(root_, &root_.Items[1]);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(Shape(root_), "a b(b1 - b2) -");

  MapItem stranger{};
  EXPECT_EQ(InsertAfter(root_, &stranger), nullptr);
  EXPECT_TRUE(test::Messages().errors.empty());
}

TEST_F(MapItemListTest, InsertAfterReportsTheNewCountWhenMemoryRunsOut) {
  Append(root_, "a", nullptr);
  MapItem* b = Append(root_, "b", nullptr);
  testing::FailAllocationAfter(0);
  EXPECT_EQ(InsertAfter(root_, b), nullptr);
  EXPECT_EQ(root_.Count, 0);
  EXPECT_EQ(test::Messages().errors, (std::vector<std::string>{"<< 3 >>", "memory overflou"}));
}

TEST_F(MapItemListTest, MoveSwapsWholeRecordsAndStopsAtTheEnds) {
  Append(root_, "a", nullptr);
  MapItem* b = Append(root_, "b", nullptr);
  Append(b->Children, "b1", nullptr);
  Append(root_, "c", nullptr);

  EXPECT_EQ(Move(root_, &root_.Items[0], /*down=*/false), 1);
  EXPECT_EQ(Move(root_, &root_.Items[2], /*down=*/true), 1);
  EXPECT_EQ(Shape(root_), "a b(b1) c");

  EXPECT_EQ(Move(root_, &root_.Items[1], /*down=*/true), 1);
  EXPECT_EQ(Shape(root_), "a c b(b1)");
  EXPECT_EQ(Move(root_, &root_.Items[2].Children.Items[0], /*down=*/false), 1);

  MapItem stranger{};
  EXPECT_EQ(Move(root_, &stranger, true), 0);
}

TEST_F(MapItemListTest, DeepCopyKeepsTextsAndShapeButNotTheEditorMembers) {
  MapItem* a = Append(root_, "a", "A");
  MapItem* a1 = Append(a->Children, "a1", "A1");
  Append(a1->Children, "a11", nullptr);
  Append(root_, nullptr, "no url");
  root_.Items[0].Visited = 1;
  root_.Items[0].ViewFlags = 1;
  root_.Items[0].ViewHandle = 42;

  MapItemList copy{};
  Append(copy, "old", nullptr);  // the destination is cleared first
  Copy(&root_, copy);
  EXPECT_EQ(Shape(copy), "a(a1(a11)) -");
  EXPECT_STREQ(copy.Items[0].Children.Items[0].Name, "A1");
  EXPECT_STREQ(copy.Items[1].Name, "no url");
  EXPECT_NE(copy.Items[0].URL, root_.Items[0].URL);
  EXPECT_EQ(copy.Items[0].Visited, 0);
  EXPECT_EQ(copy.Items[0].ViewFlags, 0);
  EXPECT_EQ(copy.Items[0].ViewHandle, 0u);

  Copy(nullptr, copy);
  EXPECT_EQ(copy.Count, 0);
}

TEST_F(MapItemListTest, CopyStopsSilentlyAtATextThatCannotBeAllocated) {
  Append(root_, "a", "A");
  Append(root_, "b", "B");
  MapItemList copy{};
  testing::FailAllocationAfter(3);  // array, "a", "A", then "b" fails
  Copy(&root_, copy);
  ASSERT_EQ(copy.Count, 2);
  EXPECT_STREQ(copy.Items[0].Name, "A");
  EXPECT_EQ(copy.Items[1].URL, nullptr);
  EXPECT_EQ(copy.Items[1].Name, nullptr);
  EXPECT_TRUE(test::Messages().errors.empty());
  Clear(copy);
}

TEST_F(MapItemListTest, ClearAndCopyHandleVeryDeepTrees) {
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
