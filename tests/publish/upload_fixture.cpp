#include "upload_fixture.h"

#include <filesystem>

#include "config/engine_config.h"
#include "core/memory.h"
#include "project/project.h"
#include "publish/upload.h"

namespace vellum::publish {

namespace fs = std::filesystem;

void UploadTest::SetUp() {
  log_ = &test::InstallMessageLog();
  EngineConfig& config = config::TheConfig();
  config.ExtPage = core::CopyText("*.htm;*.html");
  config.TempFolder = core::CopyText(temp_.path().string() + "/");
  site_ = root_ / "site";
  pub_ = root_ / "pub";
  fs::create_directories(site_);
  previous_folder_ = fs::current_path().string();
  fs::current_path(site_);
}

void UploadTest::TearDown() {
  fs::current_path(previous_folder_);
  project::Close(project());
  EngineConfig& config = config::TheConfig();
  config::ReleaseMember(config.ExtPage);
  config::ReleaseMember(config.TempFolder);
  config::ReleaseMember(config.Firewall);
  config.PortFW = 0;
  config.Passive = 0;
}

Project& UploadTest::project() { return project::TheProject(); }

int UploadTest::AddTarget(const OutputTarget& settings) {
  PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &settings};
  project::ChangeTargets(project(), request);
  return project().TargetCount - 1;
}

int UploadTest::AddFolderTarget(const std::string& folder) {
  OutputTarget target{};
  target.Folder = folder.c_str();
  return AddTarget(target);
}

void UploadTest::Register(const std::string& path, const std::string& bytes) {
  // An absolute path replaces the scratch folder's own.
  root_.Write(fs::path(path).is_relative() ? "site/" + path : path, bytes);
  project::AddFile(project(), path.c_str());
}

std::string UploadTest::Upload(unsigned options, unsigned compression) {
  log_->info.clear();
  log_->errors.clear();
  const std::vector<uint8_t> selection(project().TargetCount, 1);
  const UploadRequest request{options, compression, selection.data(), 0};
  publish::Upload(project(), request);
  std::string joined;
  for (const std::string& text : log_->info) joined += text;
  return joined;
}

std::string UploadTest::Records(int index) const {
  std::string records;
  const OutputTarget& target = project().Targets[index];
  for (int i = 0; i < target.UploadedCount; ++i) {
    records += std::string(target.UploadedFiles[i].Path) + " " +
               std::to_string(target.UploadedFiles[i].Size) + "\n";
  }
  return records;
}

std::string Sent(const std::vector<std::string>& paths) {
  std::string lines;
  for (const std::string& path : paths) lines += "   '" + path + "' - Upload successful\n";
  return lines;
}

}  // namespace vellum::publish
