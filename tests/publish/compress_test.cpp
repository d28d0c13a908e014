#include "publish/compress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "config/engine_config.h"
#include "core/memory.h"
#include "core/messages.h"
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
constexpr unsigned kJoin = kJoinLines | kRemoveSpaces;
constexpr unsigned kUploadDefaults = 0xFEFFD;

INSTANTIATE_TEST_SUITE_P(
    Pages, CompressGolden,
    ::testing::Values(
        // Lines joined and indentation gone; the blanks in front of an inline
        // tag stay, and one behind inline markup: words stay apart.
        GoldenCase{"join_lines", "join_lines", kJoin, nullptr},
        GoldenCase{"renames", "renames_all", kAllRenames, nullptr},
        GoldenCase{"renames", "renames_strong_only", kStrongToB, nullptr},
        GoldenCase{"untouched", "untouched",
                   kJoin | kKeepPre | kKeepStyle | kKeepTextarea | kKeepScript | kKeepCfmail,
                   nullptr},
        // Without the keep bits a script's lines are joined, "//" comments
        // and all.
        GoldenCase{"untouched", "untouched_joined", kJoin, nullptr},
        GoldenCase{"comments", "comments", kRemoveComments | kJoin, nullptr},
        GoldenCase{"comments", "comments_kept", kJoin, nullptr},
        // Runs of spaces collapse with no flag at all, except in quotes.
        GoldenCase{"quotes", "quotes", 0, nullptr},
        GoldenCase{"remove_list", "remove_list", kRemoveSpaces, "FONT;center"},
        GoldenCase{"join_lines", "join_lines_binary", kUploadDefaults | kRemoveReturns, nullptr}),
    [](const auto& info) { return std::string(info.param.expected); });

TEST(Compress, WritesThePageOrItsOutputAsItShould) {
  const char* unclosed = "<P>a  b</P>\n<COMMENT>never  closed\n<P>c  d</P>";
  const char* unclosed_out = "<P>a b</P>\r\n<COMMENT>never  closed\r\n<P>c  d</P>";
  const struct {
    const char* page;
    unsigned flags;
    bool in_place;  // no output file: a changed page is written back over itself
    const char* written;
    int sizes[3];  // original, compressed, percent saved
  } rows[] = {
      // Written back in text mode, its line feed would become CR LF.
      {"<P>text</P>\n", kJoin, true, "<P>text</P>\n", {12, 12, 0}},
      // An empty page saves nothing either, without dividing by zero.
      {"", kUploadDefaults, true, "", {0, 0, 0}},
      {"<P>one\n  two</P>\n", kJoin, true, "<P>one two</P>\r\n", {17, 15, 11}},
      // Loading in text mode reads each CR LF as one line feed; a lone CR
      // stays, to be removed.
      {"<P\rA>o\rt</P>\r\n", kRemoveReturns, false, "<PA>ot</P>\n", {13, 11, 15}},
      // The rest of the page would otherwise count as the blanks in front of
      // the element, or as its content, and lose every space or go whole.
      {unclosed, kJoin, false, unclosed_out, {46, 45, 2}},
      {unclosed, kRemoveComments | kRemoveSpaces, false, unclosed_out, {46, 45, 2}},
      // A ">" inside a quoted value does not end the tag: the value keeps its
      // spaces, and only those between the attributes go.
      {"<A TITLE=\"a  >  b\"  HREF=\"x.htm\">t</A>",
       kJoin,
       false,
       "<A TITLE=\"a  >  b\" HREF=\"x.htm\">t</A>",
       {38, 37, 2}},
  };
  test::MessageLog& log = test::InstallMessageLog();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.page);
    test::ScratchDir dir;
    const std::string page = dir.Write("p.htm", row.page);
    const std::string output = row.in_place ? page : dir / "out.htm";
    // Only a page written back over itself needs its name.
    ASSERT_TRUE(CompressFile(row.in_place ? page.c_str() : nullptr, Load(page),
                             row.in_place ? nullptr : output.c_str(), row.flags, nullptr));
    EXPECT_EQ(test::ReadBytes(output), row.written);
    EXPECT_EQ(log.info.back(), core::FormatText(" Original size (%i), compresed size (%i), "
                                                "Deflating (%i%%), done.\n",
                                                row.sizes[0], row.sizes[1], row.sizes[2]));
  }
  // Announced once, and each page named by the name it is given.
  EXPECT_EQ(std::count(log.info.begin(), log.info.end(), "Compress Page\n"), 1);
  EXPECT_EQ(std::count(log.info.begin(), log.info.end(), ":"), 3);
  EXPECT_TRUE(log.errors.empty());
}

// Compressing for an upload into a temporary copy is seen in the upload
// tests; a page that cannot be loaded is only seen here.
TEST(Compress, GivesNoCopyOfAPageThatCannotBeLoaded) {
  test::MessageLog& log = test::InstallMessageLog();
  test::ScratchDir temp;
  config::TheConfig().TempFolder = core::CopyText(temp.path().string() + "/");
  EXPECT_FALSE(CompressCopy((temp / "none.htm").c_str(), kUploadDefaults));
  EXPECT_TRUE(log.info.empty());
  EXPECT_TRUE(log.errors.empty());
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
  config::ReleaseMember(config::TheConfig().TempFolder);
}

}  // namespace
}  // namespace vellum::publish
