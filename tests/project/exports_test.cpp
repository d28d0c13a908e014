// The project exports as the desktop application calls them, through the
// shared library: what each answer turns into at the boundary.
#include <gtest/gtest.h>

#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace {

using vellum::test::Messages;

TEST(ProjectExports, AnswersTurnIntoTheProjectPointerOrNull) {
  HTMLinitmess(vellum::test::RecordInfo, vellum::test::RecordError, nullptr, 0, 0, nullptr);
  Project* project = HTMLprjClose(0);
  Messages() = {};  // what start-up had to say
  vellum::test::ScratchDir dir;

  EXPECT_EQ(HTMLprjSave(nullptr), nullptr);  // no path yet
  const std::string path = dir / "missing/p.bpj";
  EXPECT_EQ(HTMLprjSave(path.c_str()), nullptr);
  EXPECT_EQ(HTMLprjOpen(path.c_str()), project);  // whatever happened
  EXPECT_EQ(Messages().errors.size(), 2u);        // through the callback of init

  ProjectParams params{nullptr, nullptr, 2, nullptr, 0};
  EXPECT_EQ(HTMLparam(&params), nullptr);  // nothing changed
  params.Source = "index.html";
  EXPECT_EQ(HTMLparam(&params), project);

  const AddRequest beyond{5, VELLUM_KIND_COMMAND, nullptr, 0};
  EXPECT_EQ(HTMLprjAdd(&beyond), project);
  EXPECT_EQ(project->ItemCount, 0);
  OutputTarget target{};
  PrmRequest wrong{99, 0, &target};  // no such operation
  EXPECT_EQ(HTMLprjPrm(&wrong), 0);
  EXPECT_EQ(project->TargetCount, 0);

  const FindRequest find{"x", 0, 0};
  CountedStringList* found = HTMLprjFind(&find);
  EXPECT_EQ(HTMLprjFind(&find), found);  // the engine's one list
  EXPECT_EQ(HTMLprjEFind(), 0);
  EXPECT_EQ(found->Count, 0);
  HTMLprjClose(0);
}

}  // namespace
