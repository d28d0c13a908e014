#include "publish/compress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "support/golden.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::publish {
namespace {

std::string Golden(const std::string& name) {
  return std::string(VELLUM_COMPRESS_GOLDEN) + "/" + name;
}

core::LoadedText Load(const std::string& path) {
  core::LoadedText text;
  EXPECT_TRUE(core::LoadFile(path.c_str(), text, core::kReportAsError)) << path;
  return text;
}

struct GoldenCase {
  const char* input;     // golden/compress/<input>.in.htm
  const char* expected;  // golden/compress/<expected>.htm
  unsigned flags;
  const char* remove_list;
};

class CompressGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(CompressGolden, WritesTheExpectedPage) {
  const GoldenCase& row = GetParam();
  test::InstallMessageLog();
  test::ScratchDir dir;
  const std::string output = dir / "out.htm";
  const std::string input = Golden(std::string(row.input) + ".in.htm");
  ASSERT_TRUE(CompressFile(input.c_str(), Load(input), output.c_str(), row.flags, row.remove_list));
  test::ExpectGoldenFile(output, Golden(std::string(row.expected) + ".htm"),
                         (row.flags & kRemoveReturns) == 0);
}

constexpr unsigned kAllRenames = 0xFFC00;

INSTANTIATE_TEST_SUITE_P(
    Pages, CompressGolden,
    ::testing::Values(
        // Lines joined and indentation gone; the blank in front of an inline
        // tag stays, the one behind an end tag goes.
        GoldenCase{"join_lines", "join_lines", kJoinLines | kRemoveSpaces, nullptr},
        GoldenCase{"renames", "renames_all", kAllRenames, nullptr},
        GoldenCase{"renames", "renames_strong_only", kStrongToB, nullptr},
        GoldenCase{"untouched", "untouched",
                   kJoinLines | kRemoveSpaces | kKeepPre | kKeepStyle | kKeepTextarea |
                       kKeepScript | kKeepCfmail,
                   nullptr},
        // Without the keep bits a script's lines are joined, "//" comments
        // and all.
        GoldenCase{"untouched", "untouched_joined", kJoinLines | kRemoveSpaces, nullptr},
        GoldenCase{"comments", "comments", kRemoveComments | kJoinLines | kRemoveSpaces, nullptr},
        GoldenCase{"comments", "comments_kept", kJoinLines | kRemoveSpaces, nullptr},
        // Runs of spaces collapse with no flag at all, except in quotes.
        GoldenCase{"quotes", "quotes", 0, nullptr},
        GoldenCase{"remove_list", "remove_list", kRemoveSpaces, "FONT;center"},
        // The upload's default options.
        GoldenCase{"join_lines", "join_lines_binary", 0xFEFFD | kRemoveReturns, nullptr}),
    [](const auto& info) { return std::string(info.param.expected); });

TEST(Compress, ReportsTheSizesAndAnnouncesItselfOnce) {
  test::MessageLog& log = test::InstallMessageLog();
  test::ScratchDir dir;
  const std::string page = dir.Write("p.htm", "<P>a  b</P>\n");
  const std::string output = dir / "out.htm";
  ASSERT_TRUE(CompressFile(page.c_str(), Load(page), output.c_str(), 0, nullptr));
  ASSERT_TRUE(CompressFile(nullptr, Load(page), output.c_str(), 0, nullptr));
  EXPECT_EQ(log.info, (std::vector<std::string>{
                          "Compress Page\n", "   ", page, ":",
                          " Original size (12), compresed size (11), Deflating (8%), done.\n",
                          " Original size (12), compresed size (11), Deflating (8%), done.\n"}));
  EXPECT_TRUE(log.errors.empty());
}

TEST(Compress, LeavesAPageWithNothingToRemoveAsItIs) {
  test::MessageLog& log = test::InstallMessageLog();
  test::ScratchDir dir;
  // Written back in text mode, its line feed would become CR LF.
  const std::string page = dir.Write("p.htm", "<P>text</P>\n");
  ASSERT_TRUE(CompressFile(page.c_str(), Load(page), nullptr, kJoinLines | kRemoveSpaces, nullptr));
  EXPECT_EQ(test::ReadBytes(page), "<P>text</P>\n");
  EXPECT_EQ(log.info.back(), " Original size (12), compresed size (12), Deflating (0%), done.\n");

  // An empty page saves nothing either, without dividing by zero.
  const std::string empty = dir.Write("empty.htm", "");
  ASSERT_TRUE(CompressFile(empty.c_str(), Load(empty), nullptr, 0xFEFFD, nullptr));
  EXPECT_EQ(log.info.back(), " Original size (0), compresed size (0), Deflating (0%), done.\n");
}

TEST(Compress, WritesAChangedPageBackOverItself) {
  test::InstallMessageLog();
  test::ScratchDir dir;
  const std::string page = dir.Write("p.htm", "<P>one\n  two</P>\n");
  ASSERT_TRUE(CompressFile(page.c_str(), Load(page), nullptr, kJoinLines | kRemoveSpaces, nullptr));
  EXPECT_EQ(test::ReadBytes(page), "<P>one two</P>\r\n");
}

TEST(Compress, RemovesLoneCarriageReturnsAndWritesInBinaryMode) {
  test::InstallMessageLog();
  test::ScratchDir dir;
  // Loading in text mode reads each CR LF as one line feed; a CR on its own
  // stays a CR.
  const std::string page = dir.Write("p.htm", "<P\rCLASS=a>one\rtwo</P>\r\n<P>three</P>\r\n");
  const std::string output = dir / "out.htm";
  ASSERT_TRUE(CompressFile(page.c_str(), Load(page), output.c_str(), kRemoveReturns, nullptr));
  EXPECT_EQ(test::ReadBytes(output), "<PCLASS=a>onetwo</P>\n<P>three</P>\n");
}

TEST(Compress, LeavesEverythingBehindACommentElementThatIsNeverClosed) {
  test::MessageLog& log = test::InstallMessageLog();
  test::ScratchDir dir;
  // The rest of the page would otherwise count as the blanks in front of
  // the element, or as its content, and lose every space or go whole.
  const std::string page = dir.Write("p.htm", "<P>a  b</P>\n<COMMENT>never  closed\n<P>c  d</P>");
  const std::string output = dir / "out.htm";
  for (unsigned flags : {kJoinLines | kRemoveSpaces, kRemoveComments | kRemoveSpaces}) {
    ASSERT_TRUE(CompressFile(page.c_str(), Load(page), output.c_str(), flags, nullptr));
    EXPECT_EQ(test::ReadBytes(output), "<P>a b</P>\r\n<COMMENT>never  closed\r\n<P>c  d</P>");
  }
  EXPECT_EQ(log.info.back(), " Original size (46), compresed size (45), Deflating (2%), done.\n");
}

TEST(Compress, ReportsAnOutputThatCannotBeWritten) {
  test::MessageLog& log = test::InstallMessageLog();
  test::ScratchDir dir;
  const std::string page = dir.Write("p.htm", "<P>x</P>");
  const std::string output = dir / "missing/out.htm";
  EXPECT_FALSE(CompressFile(page.c_str(), Load(page), output.c_str(), 0, nullptr));
  EXPECT_EQ(log.errors, std::vector<std::string>{"can't open file '" + output + "'"});
}

class CompressCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = &test::InstallMessageLog();
    config::TheConfig().TempFolder = core::CopyText(temp_.path().string() + "/");
  }
  void TearDown() override { config::ReleaseMember(config::TheConfig().TempFolder); }

  test::MessageLog* log_ = nullptr;
  test::ScratchDir temp_;
  test::ScratchDir site_;
};

TEST_F(CompressCopyTest, CompressesIntoATemporaryFileAndLeavesThePage) {
  const std::string page = site_.Write("p.htm", "<P>one\r\n  two</P>\r\n");
  const std::optional<std::string> copy = CompressCopy(page.c_str(), 0xFEFFD);
  ASSERT_TRUE(copy);
  EXPECT_EQ(std::filesystem::path(*copy).parent_path(), temp_.path());
  EXPECT_TRUE(std::filesystem::path(*copy).filename().string().starts_with("swp"));
  EXPECT_EQ(test::ReadBytes(*copy), "<P>one two</P>\r\n");
  EXPECT_EQ(test::ReadBytes(page), "<P>one\r\n  two</P>\r\n");
  EXPECT_NE(std::find(log_->info.begin(), log_->info.end(), page), log_->info.end());
}

TEST_F(CompressCopyTest, GivesNothingForAPageThatCannotBeLoaded) {
  EXPECT_FALSE(CompressCopy((site_ / "none.htm").c_str(), 0xFEFFD));
  EXPECT_TRUE(log_->info.empty());
  EXPECT_TRUE(log_->errors.empty());
  EXPECT_TRUE(std::filesystem::is_empty(temp_.path()));
}

}  // namespace
}  // namespace vellum::publish
