#include "core/messages.h"

#include <gtest/gtest.h>

#include "support/message_log.h"

namespace vellum::core {
namespace {

using test::InstallMessageLog;
using test::Messages;

TEST(Messages, BeforeTheSinkIsInstalledEveryReportIsDropped) {
  Messages() = {};
  ReportInfo("info");
  ReportError("error");
  ReportRuntimeError(971);
  ReportErrorCode(ErrorCode::kFileNotFound, "x");
  EXPECT_EQ(MessageText(ErrorCode::kMemoryOverflow), nullptr);
  EXPECT_TRUE(Messages().info.empty());
  EXPECT_TRUE(Messages().errors.empty());
}

TEST(Messages, InfoAndErrorGoToTheirOwnCallbacks) {
  auto& log = InstallMessageLog();
  ReportInfo("progress\n");
  ReportError("failure");
  EXPECT_EQ(log.info, std::vector<std::string>{"progress\n"});
  EXPECT_EQ(log.errors, std::vector<std::string>{"failure"});
  EXPECT_TRUE(log.questions.empty());
}

TEST(Messages, RuntimeErrorCarriesItsNumberAndNothingElse) {
  auto& log = InstallMessageLog();
  ReportRuntimeError(971);
  EXPECT_EQ(log.errors, std::vector<std::string>{"runtime error #971"});
}

TEST(Messages, TableCodesAreFormattedWithTheirArguments) {
  auto& log = InstallMessageLog();
  ReportErrorCode(ErrorCode::kCantOpenFile, "/no/such/dir/p.bpj");
  ReportInfoCode(ErrorCode::kBadProject, "site.bpj", 12);
  ReportMemoryOverflow();
  EXPECT_EQ(log.errors,
            (std::vector<std::string>{"can't open file '/no/such/dir/p.bpj'", "memory overflou"}));
  EXPECT_EQ(log.info, std::vector<std::string>{"'site.bpj' - bad profect (line 12)"});
}

TEST(Messages, LongPathsAreFormattedWhole) {
  auto& log = InstallMessageLog();
  std::string path(5000, 'p');
  ReportErrorCode(ErrorCode::kFileNotFound, path.c_str());
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0], "file '" + path + "' not found");
}

TEST(Messages, TableHoldsAllTextsAsPrinted) {
  InstallMessageLog();
  struct Row {
    int code;
    const char* text;
  };
  const Row rows[] = {
      {0, "memory overflou"},
      {1, "file '%s' not found"},
      {5, "bad structure of file '%s'"},
      {9, "'%s' - bad profect (line %i)"},
      {10, "   line-%i, col-%i Error: "},
      {12, "total errors: %i, messages: %i\n"},
      {18, "invalid version project file"},
      {22, "InternetOpen is fails"},
      {25, "Unable upload '%s'"},
      {29, " - NOT FOUND!\n"},
      {33, "   Total size pages = %i\n"},
      {49, "ENDWHILE not correspond WHILE"},
      {50, "memory overflou"},
      {53, "wrong number of parameters"},
  };
  for (const Row& row : rows) {
    EXPECT_STREQ(MessageText(static_cast<ErrorCode>(row.code)), row.text) << row.code;
  }
  // Every entry holds a text.
  for (int code = 0; code < kMessageCount; ++code) EXPECT_NE(MessageTable[code], nullptr);
}

TEST(Messages, ReportsHeldBeforeTheSinkArriveWithItInOrder) {
  Messages() = {};
  {
    ReportHold hold;
    ReportError("first");
    ReportInfoCode(ErrorCode::kBadProject, "Vellum.cfg", 266);
    ReportRuntimeError(971);
  }
  ReportError("after the hold");  // dropped, as any report before the sink
  auto& log = InstallMessageLog();
  EXPECT_EQ(log.errors, (std::vector<std::string>{"first", "runtime error #971"}));
  EXPECT_EQ(log.info, std::vector<std::string>{"'Vellum.cfg' - bad profect (line 266)"});

  // Delivered once: a second sink gets nothing.
  InstallMessageLog();
  EXPECT_TRUE(log.errors.empty());
}

TEST(Messages, AHoldAfterTheSinkExistsChangesNothing) {
  auto& log = InstallMessageLog();
  {
    ReportHold hold;
    ReportError("now");
    EXPECT_EQ(log.errors, std::vector<std::string>{"now"});
  }
  InstallMessageLog();
  EXPECT_TRUE(log.errors.empty());
}

}  // namespace
}  // namespace vellum::core
