// What the upload tests share: a site folder made the current one (so that
// relative registrations resolve in it), the engine's settings for an
// upload, targets, and the upload's messages joined.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "project/project.h"
#include "publish/upload.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::publish {

class UploadTest : public ::testing::Test {
 protected:
  UploadTest() {
    config::TheConfig().ExtPage = core::CopyText("*.htm;*.html");
    config::TheConfig().TempFolder = core::CopyText(temp_.path().string() + "/");
  }
  ~UploadTest() override {
    project::Close(project());
    EngineConfig& config = config::TheConfig();
    for (auto* member : {&config.ExtPage, &config.TempFolder, &config.Firewall})
      config::ReleaseMember(*member);
    config.PortFW = config.Passive = 0;
  }

  static Project& project() { return project::TheProject(); }
  static void AddTarget(const OutputTarget& settings) {
    PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &settings};
    project::ChangeTargets(project(), request);
  }
  static void AddFolderTarget(const std::string& folder) {
    OutputTarget target{};
    target.Folder = folder.c_str();
    AddTarget(target);
  }
  static void RemoveFirstTarget() {
    PrmRequest request{VELLUM_PRM_DELETE_TARGET, 0, nullptr};
    project::ChangeTargets(project(), request);
  }
  // Writes a file of the site (an absolute path as it stands, a relative one
  // below the site folder) and registers it. An absolute path stands for a
  // page that generation wrote elsewhere.
  void Register(const std::string& path, const std::string& bytes) {
    const bool relative = std::filesystem::path(path).is_relative();
    root_.Write(relative ? "site/" + path : path, bytes);
    if (!relative) project::NoteWrittenFile(path.c_str());
    PrmRequest request{VELLUM_PRM_ADD_FILE, 0, path.c_str()};  // as the application adds it
    project::ChangeTargets(project(), request);
  }
  // Uploads to every target, as the desktop application does, and returns
  // what the info callback received, joined.
  std::string Upload(unsigned options, unsigned compression = 0) {
    log_.info.clear();
    log_.errors.clear();
    log_.questions.clear();
    const std::vector<uint8_t> selection(project().TargetCount, 1);
    publish::Upload(project(), UploadRequest{options, compression, selection.data(), 0});
    std::string joined;
    for (const std::string& text : log_.info) joined += text;
    return joined;
  }
  const std::vector<std::string>& errors() const { return log_.errors; }
  // The upload records of a target as "path size", one a line.
  static std::string Records(int index = 0) {
    std::string records;
    const OutputTarget& target = project().Targets[index];
    for (int i = 0; i < target.UploadedCount; ++i) {
      records.append(target.UploadedFiles[i].Path)
          .append(" ")
          .append(std::to_string(target.UploadedFiles[i].Size))
          .append("\n");
    }
    return records;
  }

  test::MessageLog& log_ = test::InstallMessageLog();
  test::ScratchDir root_;  // site/ (the current folder), pub/, other/
  test::ScratchDir temp_;  // the engine's temporary folder
  const std::string site_ = Made(root_ / "site");
  const std::string pub_ = root_ / "pub";
  test::CurrentFolder current_{site_};

  static std::string Made(const std::string& folder) {
    std::filesystem::create_directories(folder);
    return folder;
  }
};

// "   'path' - Upload successful\n" for each path.
inline std::string Sent(const std::vector<std::string>& paths) {
  std::string lines;
  for (const std::string& path : paths) lines += "   '" + path + "' - Upload successful\n";
  return lines;
}

}  // namespace vellum::publish
