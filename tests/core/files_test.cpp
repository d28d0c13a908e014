#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/counted_string_list.h"
#include "core/directory_search.h"
#include "core/file_loading.h"
#include "core/memory.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::core {
namespace {

using test::ScratchDir;
using Texts = std::vector<std::string>;

// Rows of "pattern name".
TEST(DirectorySearch, WildcardsIgnoreCaseAndStarDotStarMatchesEveryName) {
  auto match = [](std::string_view row) {
    return WildcardMatch(row.substr(0, row.find(' ')), row.substr(row.find(' ') + 1));
  };
  for (const char* row :
       {"*.* README", "*.* a.b.c", "*.htm INDEX.HTM", "a?c.txt abc.txt", "* ", "index.* index"})
    EXPECT_TRUE(match(row)) << row;
  for (const char* row : {"*.htm index.html", "a?c.txt ac.txt", "b*e*x bee"})
    EXPECT_FALSE(match(row)) << row;
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*b", std::string(200, 'a')));  // and quickly
}

TEST(DirectorySearch, ListFolderGivesFilesFirstThenSubFoldersSkippingDotFoldersAndLinks) {
  ScratchDir dir;
  for (const char* name : {"b.htm", "a.HTML", "c.gif", "sub/z.htm", "sub/deep/y.htm", "sub2/x.htm",
                           ".git/w.htm", "sub2/.hidden/v.htm"})
    dir.Write(name, "");
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "sub/loop").c_str()), 0);
  const std::string root = dir.path().string() + "/";
  const struct {
    std::string folder;
    unsigned flags;
    Texts listed;
  } rows[] = {
      {dir.path().string(), 0x1, {"b.htm", "a.HTML", "sub/z.htm", "sub/deep/y.htm", "sub2/x.htm"}},
      {root, 0x1 | kNoSubfolders, {"b.htm", "a.HTML"}}};
  for (const auto& row : rows) {
    CountedStringList list{};
    ListFolder(row.folder.c_str(), "*.htm;*.html", list, row.flags);
    Texts listed;
    for (int i = 0; i < list.Count; ++i) listed.push_back(list.Entries[i].Text + root.size());
    EXPECT_EQ(listed, row.listed) << row.folder;
    Clear(list);
  }
}

class FileLoadingTest : public ::testing::Test {
 protected:
  void TearDown() override { testing::FailAllocationAfter(-1); }

  test::MessageLog& log_ = test::InstallMessageLog();
  ScratchDir dir_;
};

TEST_F(FileLoadingTest, AMissingFileOrAFolderIsReportedAsTheModeSays) {
  const std::string missing = dir_ / "missing.htm";
  const std::string message = "file '" + missing + "' not found\n";
  LoadedText text;
  EXPECT_FALSE(LoadFile(missing.c_str(), text, kSilent));
  EXPECT_FALSE(LoadFile((missing + "#x").c_str(), text, kReportAsError));
  EXPECT_FALSE(LoadFile(dir_.path().c_str(), text, kReportAsError));
  EXPECT_FALSE(LoadFile(missing.c_str(), text, kReportAsInfo));
  EXPECT_FALSE(LoadFile(missing.c_str(), text, 7));
  for (const char* name : {"#top", "?x", "", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(LoadFile(name, text, kReportAsError));  // only a fragment: nothing, silently
    EXPECT_EQ(text.data, nullptr);
  }
  EXPECT_EQ(log_.errors, (Texts{message, "file '" + dir_.path().string() + "' not found\n"}));
  EXPECT_EQ(log_.info, (Texts{message, message}));

  testing::FailAllocationAfter(0);
  EXPECT_FALSE(LoadFile(dir_.Write("page.htm", "<p>").c_str(), text, kReportAsError));
  EXPECT_EQ(log_.errors.back(), "memory overflou");
}

TEST_F(FileLoadingTest, AWholePathAndExistsKeepHashAndQuestionMarkInTheName) {
  const std::string path = dir_.Write("C# ?/page.htm#top", "x");
  LoadedText text;
  ASSERT_TRUE(LoadWholePath(path, text, kReportAsError));
  EXPECT_STREQ(text.data.get(), "x");
  EXPECT_FALSE(LoadFile(path.c_str(), text, kSilent));
  EXPECT_TRUE(FileExists(path.c_str()));
  const std::string cut = dir_ / "C# ?/page.htm";
  for (const char* name : {"", static_cast<const char*>(nullptr), cut.c_str()})
    EXPECT_FALSE(FileExists(name));
}

TEST_F(FileLoadingTest, StampGivesSizeAndLocalTime) {
  std::string path = dir_.Write("page.htm", "12345");
  std::tm local{};
  strptime("2026-03-14 13:05:09", "%Y-%m-%d %H:%M:%S", &local);
  local.tm_isdst = -1;
  timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  auto read = [](const std::string& name, FileStamp stamp) {
    const bool found = ReadFileStamp(name.c_str(), stamp);
    return std::vector<int>{found, stamp.size, stamp.day, stamp.month, stamp.year, stamp.seconds};
  };
  const std::vector<int> expected = {true, 5, 14, 2, 2026, 13 * 3600 + 5 * 60 + 9};
  EXPECT_EQ(read(path, {}), expected);
  EXPECT_EQ(read(dir_ / "PAGE.*", {}), expected);
  // Nothing found: the time members are cleared.
  EXPECT_EQ(read(dir_ / "missing.htm", {77, 1, 2, 3, 4}),
            (std::vector<int>{false, 77, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace vellum::core
