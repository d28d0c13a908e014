#include "core/file_loading.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <string>

#include "core/memory.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::core {
namespace {

using test::ScratchDir;

class FileLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override { log_ = &test::InstallMessageLog(); }
  void TearDown() override { testing::FailAllocationAfter(-1); }

  test::MessageLog* log_ = nullptr;
  ScratchDir dir_;
};

TEST_F(FileLoadingTest, CrLfFileOfThreeLinesLoadsTwoBytesShorter) {
  std::string path = dir_.Write("three.txt", "one\r\ntwo\r\nthree");
  LoadedText text;
  ASSERT_TRUE(LoadFile(path.c_str(), text, kReportAsError));
  EXPECT_EQ(text.length, 13u);
  EXPECT_STREQ(text.data.get(), "one\ntwo\nthree");
}

TEST_F(FileLoadingTest, AFragmentOrArgumentsAreIgnoredAndTheNameStaysWhole) {
  std::string path = dir_.Write("page.htm", "<p>");
  for (std::string name : {path + "#top", path + "?a=1#b"}) {
    LoadedText text;
    ASSERT_TRUE(LoadFile(name.c_str(), text, kReportAsError)) << name;
    EXPECT_STREQ(text.data.get(), "<p>");
  }
}

TEST_F(FileLoadingTest, AWholePathKeepsHashAndQuestionMarkInTheName) {
  std::string path = dir_.Write("C# ?/site.cfg", "x");
  LoadedText text;
  ASSERT_TRUE(LoadWholePath(path, text, kReportAsError));
  EXPECT_STREQ(text.data.get(), "x");
  EXPECT_FALSE(LoadFile(path.c_str(), text, kSilent));
}

TEST_F(FileLoadingTest, NamesThatAreOnlyAFragmentLoadNothingSilently) {
  for (int mode : {kSilent, kReportAsError, kReportAsInfo}) {
    for (const char* name : {"#top", "?x", "", static_cast<const char*>(nullptr)}) {
      LoadedText text;
      EXPECT_FALSE(LoadFile(name, text, mode));
      EXPECT_EQ(text.data, nullptr);
      EXPECT_EQ(text.length, 0u);
    }
  }
  EXPECT_TRUE(log_->info.empty());
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(FileLoadingTest, AMissingFileIsReportedAsTheModeSays) {
  const std::string missing = dir_ / "missing.htm";
  const std::string message = "file '" + missing + "' not found\n";
  LoadedText text;
  EXPECT_FALSE(LoadFile(missing.c_str(), text, kSilent));
  EXPECT_FALSE(LoadFile((missing + "#x").c_str(), text, kReportAsError));
  EXPECT_FALSE(LoadFile(missing.c_str(), text, kReportAsInfo));
  EXPECT_FALSE(LoadFile(missing.c_str(), text, 7));
  EXPECT_EQ(log_->errors, std::vector<std::string>{message});
  EXPECT_EQ(log_->info, (std::vector<std::string>{message, message}));
}

TEST_F(FileLoadingTest, AnEmptyFileLoadsAsJustTheNul) {
  std::string path = dir_.Write("empty.txt", "");
  LoadedText text;
  ASSERT_TRUE(LoadFile(path.c_str(), text, kReportAsError));
  EXPECT_EQ(text.length, 0u);
  ASSERT_NE(text.data, nullptr);
  EXPECT_EQ(text.data.get()[0], '\0');
}

TEST_F(FileLoadingTest, AFolderIsNotFound) {
  LoadedText text;
  EXPECT_FALSE(LoadFile(dir_.path().c_str(), text, kReportAsError));
  EXPECT_EQ(log_->errors.size(), 1u);
}

TEST_F(FileLoadingTest, NoMemoryForTheBufferIsReported) {
  std::string path = dir_.Write("page.htm", "<p>");
  LoadedText text;
  testing::FailAllocationAfter(0);
  EXPECT_FALSE(LoadFile(path.c_str(), text, kReportAsError));
  EXPECT_EQ(log_->errors, std::vector<std::string>{"memory overflou"});
}

TEST_F(FileLoadingTest, ExistsUsesTheNameWhole) {
  std::string path = dir_.Write("page.htm", "x");
  EXPECT_TRUE(FileExists(path.c_str()));
  EXPECT_FALSE(FileExists((path + "#top").c_str()));
  dir_.Write("page.htm#top", "x");
  EXPECT_TRUE(FileExists((path + "#top").c_str()));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(nullptr));
}

TEST_F(FileLoadingTest, StampGivesSizeAndLocalTime) {
  std::string path = dir_.Write("page.htm", "12345");
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 14;
  local.tm_hour = 13;
  local.tm_min = 5;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

  for (std::string name : {path, dir_ / "PAGE.*"}) {
    FileStamp stamp;
    ASSERT_TRUE(ReadFileStamp(name.c_str(), stamp)) << name;
    EXPECT_EQ(stamp.size, 5);
    EXPECT_EQ(stamp.day, 14);
    EXPECT_EQ(stamp.month, 2);
    EXPECT_EQ(stamp.year, 2026);
    EXPECT_EQ(stamp.seconds, 13 * 3600 + 5 * 60 + 9);
  }
}

TEST_F(FileLoadingTest, StampOfNothingClearsTheTimeMembers) {
  FileStamp stamp{77, 1, 2, 3, 4};
  EXPECT_FALSE(ReadFileStamp((dir_ / "missing.htm").c_str(), stamp));
  EXPECT_EQ(stamp.size, 77);
  EXPECT_EQ(stamp.day, 0);
  EXPECT_EQ(stamp.month, 0);
  EXPECT_EQ(stamp.year, 0);
  EXPECT_EQ(stamp.seconds, 0);
}

}  // namespace
}  // namespace vellum::core
