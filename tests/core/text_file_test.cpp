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

TEST(TextFile, TextModeStoresEveryLineFeedAsCrLfAndBinaryModeStoresBytesUnchanged) {
  ScratchDir dir;
  const std::string bytes("a\nb\0\n\r\n", 7);
  for (FileMode mode : {FileMode::kWriteText, FileMode::kWriteBinary}) {
    TextFile file = TextFile::Open(dir / "t", mode);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.Write(bytes.substr(0, 3)));
    EXPECT_TRUE(file.Write(bytes.substr(3)));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(dir / "t"),
              mode == FileMode::kWriteText ? std::string("a\r\nb\0\r\n\r\r\n", 10) : bytes);
  }
}

TEST(TextFile, TextModeReadTurnsCrLfIntoLfEvenAcrossTwoReadsAndKeepsLoneCr) {
  ScratchDir dir;
  TextFile file = TextFile::Open(dir.Write("r.txt", "ab\r\nc\rd\r\n\re\r"), FileMode::kReadText);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.StoredSize(), 12);
  char buffer[16];
  std::string pieces;
  for (std::size_t size : {3, 4, 1, 8}) pieces.append(buffer, file.Read(buffer, size)) += '|';
  EXPECT_EQ(pieces, "ab\n|c\rd\n|\r|e\r|");
}

TEST(TextFile, OnlyRegularFilesOpen) {
  ScratchDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // refused instead of blocking
  for (const std::string& path : {dir.path().string(), dir / "missing", dir / "fifo"})
    EXPECT_FALSE(TextFile::Open(path, FileMode::kReadText).IsOpen()) << path;
  EXPECT_FALSE(TextFile::Open(dir / "no/such/folder/f", FileMode::kWriteText).IsOpen());
}

// Saved through a symbolic link (relative, into another folder), the file it
// names is replaced and the link stays.
TEST(FileReplacement, CommitReplacesTheFileAndKeepsItsPermissionsEvenThroughALink) {
  for (const bool through_link : {false, true}) {
    SCOPED_TRACE(through_link);
    ScratchDir dir;
    const std::string path = dir.Write("real/p.bpj", "old");
    chmod(path.c_str(), 0640);
    const std::string saved = through_link ? dir / "p.bpj" : path;
    if (through_link) {
      ASSERT_EQ(symlink("real/p.bpj", saved.c_str()), 0);
    }
    {
      FileReplacement replacement(saved, FileMode::kWriteText);
      ASSERT_TRUE(replacement.file().IsOpen());
      EXPECT_TRUE(replacement.file().Write("new\n"));
      EXPECT_EQ(ReadBytes(path), "old");  // untouched until the commit
      EXPECT_TRUE(replacement.Commit());
    }
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    ASSERT_EQ(lstat(saved.c_str(), &info), 0);
    EXPECT_EQ(S_ISLNK(info.st_mode), through_link);
    EXPECT_EQ(SearchDirectory(dir / "real/*.*").size(), 1u) << "no temporary file is left";
    EXPECT_EQ(SearchDirectory(dir / "*.*").size(), through_link ? 2u : 1u);
  }
}

TEST(FileReplacement, ANewFileTakesItsPermissionsFromTheUmask) {
  ScratchDir dir;
  const mode_t previous = umask(027);
  FileReplacement replacement(dir / "p.bpj", FileMode::kWriteText);
  ASSERT_TRUE(replacement.Commit());
  struct stat info;
  ASSERT_EQ(stat((dir / "p.bpj").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(umask(previous), 027u) << "the process's umask is left alone";
}

TEST(FileReplacement, WithoutCommitTheOldFileStaysAndAMissingFolderGivesNoFile) {
  ScratchDir dir;
  const std::string path = dir.Write("p.bpj", "old");
  {
    FileReplacement replacement(path, FileMode::kWriteText);
    ASSERT_TRUE(replacement.file().IsOpen());
    replacement.file().Write("half of the new ");
  }
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(SearchDirectory(dir / "*").size(), 1u);
  FileReplacement missing(dir / "missing/p.bpj", FileMode::kWriteText);
  EXPECT_FALSE(missing.file().IsOpen());
  EXPECT_FALSE(missing.Commit());
}

TEST(CheckedWrite, AFailedWriteReportsAndClosesTheFile) {
  auto& log = test::InstallMessageLog();
  ScratchDir dir;
  TextFile file = TextFile::Open(dir / "big", FileMode::kWriteBinary);
  EXPECT_TRUE(CheckedWrite(file, "") && file.IsOpen());
  signal(SIGXFSZ, SIG_IGN);  // a file size limit makes the write fail as a full disk would
  rlimit unlimited{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
  const rlimit limit{16, unlimited.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_FALSE(CheckedWrite(file, std::string(1 << 16, 'x')));
  // Lifted again, or the process could not write its coverage counts at exit.
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(log.errors, std::vector<std::string>{"write error in the file"});
}

}  // namespace
}  // namespace vellum::core
