#include "core/text_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <string>

#include "core/directory_search.h"
#include "core/text_utils.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::core {
namespace {

using test::ReadBytes;
using test::ScratchDir;

TEST(TextFile, TextModeStoresEveryLineFeedAsCrLf) {
  ScratchDir dir;
  TextFile file = TextFile::Open(dir / "t.txt", FileMode::kWriteText);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_TRUE(file.Write("a\nb"));
  EXPECT_TRUE(file.Write("\n\r\n"));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "a\r\nb\r\n\r\r\n");
}

TEST(TextFile, BinaryModeStoresBytesUnchanged) {
  ScratchDir dir;
  TextFile file = TextFile::Open(dir / "b.bin", FileMode::kWriteBinary);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_TRUE(file.Write(std::string("a\nb\0c", 5)));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadBytes(dir / "b.bin"), std::string("a\nb\0c", 5));
}

TEST(TextFile, TextModeReadTurnsCrLfIntoLfAndKeepsLoneCr) {
  ScratchDir dir;
  const std::string path = dir.Write("r.txt", "a\r\nb\rc\r\n\r");
  TextFile file = TextFile::Open(path, FileMode::kReadText);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.StoredSize(), 9);
  char buffer[16];
  std::size_t length = file.Read(buffer, 9);
  EXPECT_EQ(std::string(buffer, length), "a\nb\rc\n\r");
}

TEST(TextFile, ACrLfSplitAcrossTwoReadsIsStillOneLineFeed) {
  ScratchDir dir;
  const std::string path = dir.Write("r.txt", "ab\r\ncd");
  TextFile file = TextFile::Open(path, FileMode::kReadText);
  char buffer[8];
  std::size_t first = file.Read(buffer, 3);
  EXPECT_EQ(std::string(buffer, first), "ab\n");
  std::size_t second = file.Read(buffer, 8);
  EXPECT_EQ(std::string(buffer, second), "cd");
}

TEST(TextFile, FoldersAndMissingFilesDoNotOpen) {
  ScratchDir dir;
  EXPECT_FALSE(TextFile::Open(dir.path().string(), FileMode::kReadText).IsOpen());
  EXPECT_FALSE(TextFile::Open(dir / "missing", FileMode::kReadText).IsOpen());
  EXPECT_FALSE(TextFile::Open(dir / "no/such/folder/f", FileMode::kWriteText).IsOpen());
}

TEST(TextFile, AFifoIsRefusedInsteadOfBlocking) {
  ScratchDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(TextFile::Open(dir / "fifo", FileMode::kReadText).IsOpen());
}

TEST(FileReplacement, CommitReplacesTheFileAndKeepsItsPermissions) {
  ScratchDir dir;
  const std::string path = dir.Write("p.bpj", "old");
  chmod(path.c_str(), 0640);
  {
    FileReplacement replacement(path, FileMode::kWriteText);
    ASSERT_TRUE(replacement.file().IsOpen());
    EXPECT_TRUE(replacement.file().Write("new\n"));
    EXPECT_EQ(ReadBytes(path), "old");  // untouched until the commit
    EXPECT_TRUE(replacement.Commit());
  }
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(SearchDirectory(dir / "*.*").size(), 1u) << "no temporary file is left";
}

TEST(FileReplacement, WithoutCommitTheOldFileStaysAndNothingIsLeft) {
  ScratchDir dir;
  const std::string path = dir.Write("p.bpj", "old");
  {
    FileReplacement replacement(path, FileMode::kWriteText);
    ASSERT_TRUE(replacement.file().IsOpen());
    replacement.file().Write("half of the new ");
  }
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(SearchDirectory(dir / "*").size(), 1u);
}

TEST(FileReplacement, AFolderThatDoesNotExistGivesNoFile) {
  ScratchDir dir;
  FileReplacement replacement(dir / "missing/p.bpj", FileMode::kWriteText);
  EXPECT_FALSE(replacement.file().IsOpen());
  EXPECT_FALSE(replacement.Commit());
}

TEST(CheckedWrite, AFailedWriteReportsAndClosesTheFile) {
  auto& log = test::InstallMessageLog();
  ScratchDir dir;
  TextFile file = TextFile::Open(dir / "big", FileMode::kWriteBinary);
  ASSERT_TRUE(file.IsOpen());
  // A file size limit makes the write fail as a full disk would.
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{16, 16};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_FALSE(CheckedWrite(file, std::string(1 << 16, 'x')));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(log.errors, std::vector<std::string>{"write error in the file"});
}

TEST(CheckedWrite, AnEmptyWriteSucceeds) {
  ScratchDir dir;
  TextFile file = TextFile::Open(dir / "e", FileMode::kWriteText);
  EXPECT_TRUE(CheckedWrite(file, ""));
  EXPECT_TRUE(file.IsOpen());
}

}  // namespace
}  // namespace vellum::core
