#include "core/messages.h"

#include <gtest/gtest.h>

#include "support/message_log.h"

namespace vellum::core {
namespace {

using test::InstallMessageLog;
using test::Messages;
using Texts = std::vector<std::string>;

TEST(Messages, BeforeTheSinkIsInstalledEveryReportIsDropped) {
  Messages() = {};
  ReportInfo("info");
  ReportError("error");
  ReportRuntimeError(971);
  ReportErrorCode(ErrorCode::kFileNotFound, "x");
  EXPECT_EQ(MessageText(ErrorCode::kMemoryOverflow), nullptr);
  EXPECT_TRUE(Messages().info.empty() && Messages().errors.empty());
}

TEST(Messages, ReportsGoToTheirCallbacksWithTableTextsFormattedWhole) {
  auto& log = InstallMessageLog();
  const std::string path(5000, 'p');
  ReportInfo("progress\n");
  ReportError("failure");
  ReportRuntimeError(971);
  ReportErrorCode(ErrorCode::kFileNotFound, path.c_str());
  ReportInfoCode(ErrorCode::kBadProject, "site.bpj", 12);
  ReportMemoryOverflow();
  EXPECT_EQ(log.info, (Texts{"progress\n", "'site.bpj' - bad profect (line 12)"}));
  EXPECT_EQ(log.errors, (Texts{"failure", "runtime error #971", "file '" + path + "' not found",
                               "memory overflou"}));
  EXPECT_TRUE(log.questions.empty());
}

TEST(Messages, ReportsHeldBeforeTheSinkArriveWithItInOrderOnce) {
  Messages() = {};
  {
    ReportHold hold;
    ReportError("first");
    ReportInfoCode(ErrorCode::kBadProject, "Vellum.cfg", 266);
    ReportRuntimeError(971);
  }
  ReportError("after the hold");  // dropped, as any report before the sink
  auto& log = InstallMessageLog();
  EXPECT_EQ(log.errors, (Texts{"first", "runtime error #971"}));
  EXPECT_EQ(log.info, Texts{"'Vellum.cfg' - bad profect (line 266)"});
  {
    ReportHold hold;  // after the sink it changes nothing
    ReportError("now");
    EXPECT_EQ(log.errors.back(), "now");
  }
  InstallMessageLog();
  EXPECT_TRUE(log.errors.empty());  // a second sink gets nothing
}

}  // namespace
}  // namespace vellum::core
