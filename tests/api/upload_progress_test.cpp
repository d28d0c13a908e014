// Progress, stop and per-target counts of an upload, through the exported
// interface: a project with folder targets, uploaded with a progress
// callback that records what it is told and asks to stop where a test says.
// What differs between kinds of target lies below the progress (the
// channel), and is seen in the engine's upload tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::test {
namespace {

namespace fs = std::filesystem;

// What VellumLastUploadCounts and VellumLastUploadTargetCounts tell.
struct Counts {
  int32_t sent, skipped, failed;
  bool operator==(const Counts&) const = default;
  friend void PrintTo(const Counts& counts, std::ostream* out) {
    *out << "{" << counts.sent << ", " << counts.skipped << ", " << counts.failed << "}";
  }
};

Counts Of(const VellumUploadCounts& counts) { return {counts.Sent, counts.Skipped, counts.Failed}; }

Counts AllCounts() {
  VellumUploadCounts counts;
  VELLUM_RECORD_INIT(counts);
  EXPECT_EQ(VellumLastUploadCounts(&counts), 1);
  return Of(counts);
}

Counts TargetCounts(int32_t index) {
  VellumUploadCounts counts;
  VELLUM_RECORD_INIT(counts);
  EXPECT_EQ(VellumLastUploadTargetCounts(index, &counts), 1);
  return Of(counts);
}

// What the progress callback was told, one entry a call.
struct Announced {
  int32_t kind, done, total;
  std::string item, target;
  int arrived;  // files in the target's destination when it was told
};

std::vector<Announced> announced;
int32_t stop_at = -1;                        // the Done at which the callback asks to stop
std::map<std::string, std::string> landing;  // target address -> folder its files land in

int FilesBelow(const std::string& folder) {
  int count = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; it != end; it.increment(error)) {
    count += it->is_regular_file();
  }
  return count;
}

int32_t Record(const VellumProgress* progress) {
  const std::string target = progress->Target != nullptr ? progress->Target : "(null)";
  announced.push_back({progress->Kind, progress->Done, progress->Total, progress->Item, target,
                       landing.contains(target) ? FilesBelow(landing[target]) : -1});
  return progress->Done == stop_at ? 1 : 0;
}

class UploadProgressTest : public ::testing::Test {
 protected:
  static constexpr const char* kFiles[] = {"a.htm", "b.htm", "img/c.gif", "d.htm"};

  void SetUp() override {
    const std::string program = fs::canonical("/proc/self/exe").string();
    HTMLinitmess(RecordInfo, RecordError, RecordQuestion, 0, 0, program.c_str());
    project_ = HTMLprjClose(0);
    for (const char* file : kFiles) root_.Write(std::string("site/") + file, file);
    announced.clear();
    stop_at = -1;
    landing.clear();
    Messages() = {};
  }

  void TearDown() override {
    VellumSetProgressCallback(nullptr);
    HTMLprjClose(0);
  }

  static void AddFiles() {
    for (const char* file : kFiles) {
      PrmRequest request{VELLUM_PRM_ADD_FILE, 0, file};
      HTMLprjPrm(&request);
    }
  }
  // A folder target; with a URL, the site's address that the user gave it.
  void AddFolderTarget(const std::string& folder, const char* url = nullptr) {
    OutputTarget target{};
    target.URL = url;
    target.Folder = folder.c_str();
    PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &target};
    HTMLprjPrm(&request);
    landing[url != nullptr ? url : folder] = folder;
  }

  // Uploads to every target.
  void Upload(uint32_t options) {
    std::vector<uint8_t> selection(project_->TargetCount, 1);
    Messages() = {};
    const UploadRequest request{options, 0, selection.data(), 0};
    EXPECT_EQ(HTMLprjUpload(&request), 0);
  }

  // The paths recorded as uploaded on the target at index.
  std::vector<std::string> Records(int index) const {
    std::vector<std::string> paths;
    const OutputTarget& target = project_->Targets[index];
    for (int i = 0; i < target.UploadedCount; ++i) paths.push_back(target.UploadedFiles[i].Path);
    return paths;
  }

  // The first count files as registered.
  static std::vector<std::string> First(std::size_t count) {
    return {std::begin(kFiles), std::begin(kFiles) + std::min(count, std::size(kFiles))};
  }
  static std::string Made(const std::string& folder) {
    fs::create_directories(folder);
    return folder;
  }

  Project* project_ = nullptr;
  ScratchDir root_;  // site/ (the current folder) and the targets' folders
  const std::string site_ = Made(root_ / "site");
  CurrentFolder current_{site_};
};

// Each file is announced on each target, before it is handled and after the
// one before it was finished, whether it is sent or passed over. Stopped
// after N files, the targets hold those N and their records; the project
// saved and opened again, an upload that skips unchanged files sends exactly
// the rest.
TEST_F(UploadProgressTest, AStoppedUploadKeepsWhatItSentAndResumes) {
  struct Row {
    int32_t stop_at;
    const char* line;
  };
  for (const Row& row :
       {Row{0, "Upload stopped: 8 files not sent\n"}, Row{3, "Upload stopped: 5 files not sent\n"},
        Row{4, "Upload stopped: 4 files not sent\n"},
        Row{7, "Upload stopped: 1 file not sent\n"}}) {
    SCOPED_TRACE(row.stop_at);
    const std::size_t in_first = std::min(row.stop_at, 4);
    const std::size_t in_second = row.stop_at - in_first;
    const std::string tag = std::to_string(row.stop_at);
    const std::string first = root_ / ("a" + tag), second = root_ / ("b" + tag);
    const std::string url = "https://www.example.org/" + tag + "/";
    const std::string saved = root_ / ("saved" + tag + ".bpj");
    HTMLprjClose(0);
    AddFolderTarget(first);
    AddFolderTarget(second, url.c_str());  // named by its address
    AddFiles();

    VellumSetProgressCallback(Record);
    announced.clear();
    stop_at = row.stop_at;
    Upload(VELLUM_UPLOAD_SKIP_UNCHANGED);
    ASSERT_EQ(announced.size(), static_cast<std::size_t>(row.stop_at) + 1);
    for (std::size_t i = 0; i < announced.size(); ++i) {
      EXPECT_EQ(announced[i].kind, VELLUM_PROGRESS_UPLOAD);
      EXPECT_EQ(announced[i].done, static_cast<int32_t>(i));
      EXPECT_EQ(announced[i].total, 8);
      EXPECT_EQ(announced[i].item, kFiles[i % 4]);
      EXPECT_EQ(announced[i].target, i < 4 ? first : url);
      EXPECT_EQ(announced[i].arrived, static_cast<int>(i % 4));  // those before it only
    }
    EXPECT_EQ(VellumLastCallStopped(), 1);
    EXPECT_EQ(VellumLastUploadNotSent(), 8 - row.stop_at);
    EXPECT_EQ(Messages().info.back(), row.line);
    EXPECT_TRUE(Messages().errors.empty());
    EXPECT_EQ(TargetCounts(0), (Counts{static_cast<int32_t>(in_first), 0, 0}));
    EXPECT_EQ(TargetCounts(1), (Counts{static_cast<int32_t>(in_second), 0, 0}));
    EXPECT_EQ(TargetCounts(-1), (Counts{0, 0, 0}));
    EXPECT_EQ(AllCounts().sent, row.stop_at);
    // Exactly the files before the stop arrived and are recorded.
    EXPECT_EQ(FilesBelow(first), static_cast<int>(in_first));
    EXPECT_EQ(FilesBelow(second), static_cast<int>(in_second));
    EXPECT_EQ(Records(0), First(in_first));
    EXPECT_EQ(Records(1), First(in_second));

    ASSERT_EQ(HTMLprjSave(saved.c_str()), project_);
    HTMLprjClose(0);
    ASSERT_EQ(HTMLprjOpen(saved.c_str()), project_);
    announced.clear();
    stop_at = -1;
    Upload(VELLUM_UPLOAD_SKIP_UNCHANGED);
    EXPECT_EQ(announced.size(), 8u);  // the files passed over too
    EXPECT_EQ(VellumLastCallStopped(), 0);
    EXPECT_EQ(VellumLastUploadNotSent(), 0);
    EXPECT_EQ(AllCounts(), (Counts{8 - row.stop_at, row.stop_at, 0}));
    for (const std::string& folder : {first, second}) EXPECT_EQ(FilesBelow(folder), 4);
    EXPECT_EQ(Records(0), First(4));
    EXPECT_EQ(Records(1), First(4));
  }
}

}  // namespace
}  // namespace vellum::test
