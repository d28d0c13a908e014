// What the upload tests share: a site folder made the current one (so that
// relative registrations resolve in it), the engine's settings for an
// upload, targets, and the upload's messages read back as lines.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::publish {

class UploadTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static Project& project();
  // Appends a target with these settings and returns its index.
  int AddTarget(const OutputTarget& settings);
  int AddFolderTarget(const std::string& folder);
  // Writes a file of the site (below the current folder) and registers it.
  void Register(const std::string& path, const std::string& bytes);
  // Uploads to every target with options and compression, as the desktop
  // application does, and returns what the info callback received, joined.
  std::string Upload(unsigned options, unsigned compression = 0);
  // What the error callback received.
  const std::vector<std::string>& errors() const { return log_->errors; }
  // The upload records of target index as "path size", one a line.
  std::string Records(int index = 0) const;

  test::ScratchDir root_;  // site/ (the current folder), pub/, other/
  test::ScratchDir temp_;  // the engine's temporary folder
  std::string site_;
  std::string pub_;

 private:
  test::MessageLog* log_ = nullptr;
  std::string previous_folder_;
};

// "   'path' - Upload successful\n" for each path.
std::string Sent(const std::vector<std::string>& paths);

}  // namespace vellum::publish
