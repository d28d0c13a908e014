#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/project.h"
#include "support/message_log.h"

namespace vellum::project {
namespace {

std::vector<std::string> Texts(int32_t count, const char* const* texts) {
  return std::vector<std::string>(texts, texts + count);
}

TEST(FileLists, AddingARemovedFileOnlyTakesItOutOfTheRemovedList) {
  test::InstallMessageLog();
  Project& project = TheProject();
  RemoveFile(project, "a.html");
  project.Modified = 0;
  AddFile(project, "A.HTML");
  EXPECT_EQ(project.RemovedCount, 0);
  EXPECT_EQ(project.AddedCount, 0);
  EXPECT_EQ(project.Modified, 1);
  AddFile(project, "A.HTML");
  AddFile(project, "a.html");  // already there, without regard to case
  EXPECT_EQ(Texts(project.AddedCount, project.OutputList), std::vector<std::string>{"A.HTML"});
}

TEST(FileLists, RemovingAFileTwiceThatWasNeverAddedListsItTwice) {
  Project& project = TheProject();
  RemoveFile(project, "b.html");
  RemoveFile(project, "b.html");
  EXPECT_EQ(Texts(project.RemovedCount, project.RemovedFiles),
            (std::vector<std::string>{"b.html", "b.html"}));
  AddFile(project, "c.html");
  RemoveFile(project, "C.html");
  EXPECT_EQ(project.AddedCount, 0);
  EXPECT_EQ(project.OutputList, nullptr);
}

}  // namespace
}  // namespace vellum::project
