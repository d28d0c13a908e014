// What the scan tests share: the engine's page patterns and temporary
// folder, a message log, and a scan into a tree of the fixture's own.
#pragma once

#include <gtest/gtest.h>

#include "config/engine_config.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "scan/site_scan.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "web/page_access.h"

namespace vellum::scan {

class ScanFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = &test::InstallMessageLog();
    config::TheConfig().ExtPage = core::CopyText("*.htm;*.html");
    config::TheConfig().TempFolder = core::CopyText(temp_ / "");
  }

  void TearDown() override {
    core::Clear(tree_);
    web::PurgePageCache();
    config::ReleaseMember(config::TheConfig().ExtPage);
    config::ReleaseMember(config::TheConfig().TempFolder);
  }

  // Scans as params ask into tree_, with settings_; the result goes to
  // result_, the report to report_.
  void RunScan(SiteMapParams params, unsigned flags) {
    core::Clear(tree_);
    params.Items = &tree_;
    core::Progress progress(VELLUM_PROGRESS_SCAN);
    report_ = {};
    result_ = ScanSite(params, tree_, flags, settings_, progress, report_);
  }

  test::MessageLog* log_ = nullptr;
  test::ScratchDir temp_;
  MapItemList tree_{};
  int result_ = -1;
  CrawlSettings settings_;
  ScanReport report_;
};

}  // namespace vellum::scan
