// The project exports as the desktop application calls them, through the
// shared library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project_fixtures.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace {

using vellum::test::Stored;

std::vector<std::string> info;
std::vector<std::string> errors;

int32_t RecordInfo(const char* text) {
  info.emplace_back(text);
  return 1;
}

int32_t RecordError(const char* text) {
  errors.emplace_back(text);
  return 1;
}

class ProjectExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HTMLinitmess(RecordInfo, RecordError, nullptr, 0, 0, nullptr);
    project_ = HTMLprjClose(0);
    info.clear();  // what start-up had to say
    errors.clear();
  }
  void TearDown() override { HTMLprjClose(0); }

  vellum::test::ScratchDir dir_;
  Project* project_ = nullptr;
};

TEST_F(ProjectExportsTest, ANewProjectIsWrittenByteForByte) {
  // The site map exactly as the desktop application makes it.
  SiteMapParams params = vellum::test::NewProjectSiteMap();
  const AddRequest request{0, VELLUM_KIND_SSITEMAP, &params, vellum::test::kNewSiteMapFlags};
  EXPECT_EQ(HTMLprjAdd(&request), project_);
  EXPECT_EQ(project_->Modified, 1);

  const std::string path = dir_ / "new.bpj";
  EXPECT_EQ(HTMLprjSave(path.c_str()), project_);
  EXPECT_EQ(project_->Modified, 0);
  const std::string expected =
      Stored(vellum::test::FileStart() + std::string(vellum::test::kResetCommon) +
             "\n[ScriptList]" + std::string(vellum::test::kNewSiteMapItem));
  EXPECT_EQ(vellum::test::ReadBytes(path), expected);

  // Opened again (by its own file path) and saved again: the same bytes.
  EXPECT_EQ(HTMLprjOpen(project_->FilePath), project_);
  EXPECT_EQ(project_->Modified, 0);
  ASSERT_EQ(project_->ItemCount, 1);
  EXPECT_EQ(project_->Items[0].Flags, 0x3F8Fu);
  const std::string again = dir_ / "again.bpj";
  EXPECT_EQ(HTMLprjSave(again.c_str()), project_);
  EXPECT_EQ(vellum::test::ReadBytes(again), expected);
  EXPECT_TRUE(info.empty());
  EXPECT_TRUE(errors.empty());
}

TEST_F(ProjectExportsTest, SavesReportFailuresOnlyThroughTheirResult) {
  EXPECT_EQ(HTMLprjSave(nullptr), nullptr);
  EXPECT_TRUE(errors.empty());

  const std::string path = dir_ / "missing/p.bpj";
  EXPECT_EQ(HTMLprjSave(path.c_str()), nullptr);
  EXPECT_EQ(errors, std::vector<std::string>{"can't open file '" + path + "'"});
  EXPECT_STREQ(project_->FilePath, path.c_str());
  EXPECT_EQ(HTMLprjSave(nullptr), nullptr);
}

TEST_F(ProjectExportsTest, OpenGivesTheProjectWhateverHappened) {
  const std::string missing = dir_ / "missing.bpj";
  EXPECT_EQ(HTMLprjOpen(missing.c_str()), project_);
  EXPECT_EQ(errors, std::vector<std::string>{"file '" + missing + "' not found\n"});

  // A "#" in a project's name is part of the name.
  const std::string odd = dir_.Write("site #2.bpj", "FormatVersion=1\r\n[Common]\r\nType=1");
  EXPECT_EQ(HTMLprjOpen(odd.c_str()), project_);
  EXPECT_EQ(project_->Type, 1);
  EXPECT_STREQ(project_->FilePath, odd.c_str());
}

TEST_F(ProjectExportsTest, ParamAndAddTurnTheirAnswersIntoThePointer) {
  ProjectParams params{nullptr, nullptr, 2, nullptr, 0};
  EXPECT_EQ(HTMLparam(&params), nullptr);
  EXPECT_EQ(project_->Modified, 0);
  params.Source = "index.html";
  EXPECT_EQ(HTMLparam(&params), project_);

  const AddRequest beyond{5, VELLUM_KIND_COMMAND, nullptr, 0};
  EXPECT_EQ(HTMLprjAdd(&beyond), project_);
  EXPECT_EQ(project_->ItemCount, 0);

  const FindRequest find{"x", 0, 0};
  EXPECT_EQ(HTMLprjFind(&find), HTMLprjFind(&find));
  EXPECT_EQ(HTMLprjEFind(), 0);
  EXPECT_EQ(HTMLprjFind(&find)->Count, 0);
}

}  // namespace
