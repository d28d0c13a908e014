// What the scan tests share: the engine's settings for a scan, the fixture
// site, and the tree written out one item a line.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::scan {

// The fixture sites under tests/scan/fixtures, ending in a separator.
std::string FixtureFolder(const std::string& name);

// The tree of the fixture site "site" in navigation mode with the wizard's
// usual flags (bookmarks and arguments ignored), dumped against its folder.
extern const char kFixtureNavigationTree[];

using test::DumpTree;

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the scan in mode over base with flags and returns the tree dumped
  // against root.
  std::string Scan(int mode, const std::string& base, unsigned flags, const std::string& root = "",
                   const char* excluded = "");

  test::MessageLog* log_ = nullptr;
  test::ScratchDir temp_;
  MapItemList tree_{};
  int result_ = -1;  // of the last Scan
};

}  // namespace vellum::scan
