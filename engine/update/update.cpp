#include "update/update.h"

#include <optional>
#include <utility>

#include "core/flat_tree.h"
#include "core/map_item_list.h"
#include "core/messages.h"
#include "project/project.h"
#include "project/site_settings.h"
#include "scan/site_scan.h"
#include "web/address.h"

namespace vellum::update {

std::string AddressKey(std::string_view url) {
  std::string normal = web::NormaliseAddress(url);
  if (std::optional<std::string> folder = web::IndexPageFolder(normal)) return *folder;
  return normal;
}

void KeepScan(const SiteMapParams& params, uint32_t flags, const MapItemList& tree,
              scan::ScanReport& report) {
  project::SiteSettings& site = project::TheSiteSettings();
  site.scan_base = report.base;
  site.modified = std::move(report.modified);
  site.extras = std::move(report.extras);
  project::LastScan& last = site.last_scan;
  last.mode = params.Settings.Mode;
  last.flags = flags;
  last.base = params.BasePath != nullptr ? params.BasePath : "";
  last.tree = core::Flatten(tree);
  last.pages = std::move(report.kept);
}

int UpdateFromSite(const char* excluded, MapItemList& tree, bool dry_run, core::Progress& progress,
                   scan::ScanReport& report, std::vector<Change>& changes) {
  changes.clear();
  const project::LastScan& last = project::TheSiteSettings().last_scan;
  if (!last.Kept()) {
    core::ReportError("the project keeps no scan of its site to update from: scan the site first");
    return 0;
  }
  SiteMapParams params{};
  params.Settings.Mode = static_cast<uint8_t>(last.mode);
  params.Settings.OutputFile = excluded;
  params.BasePath = last.base.c_str();
  params.StartEntry = &project::TheProject();
  scan::CrawlSettings settings = project::CrawlSettingsNow();
  settings.kept = &last.pages;
  settings.kept_extras = &project::TheSiteSettings().extras;
  MapItemList scanned{};
  const int result = scan::ScanSite(params, scanned, last.flags, settings, progress, report);
  if (result == 0 || progress.stopped()) {
    core::Clear(scanned);
    return 0;
  }
  MergeResult merged = Merge(last.tree, core::Flatten(tree), core::Flatten(scanned), AddressKey);
  changes = std::move(merged.changes);
  if (dry_run) {
    core::Clear(scanned);
    return 1;
  }
  MapItemList updated{};
  if (!core::Unflatten(merged.tree, updated)) {
    core::Clear(scanned);
    return 0;
  }
  core::Clear(tree);
  tree = updated;
  const std::string base = last.base;
  params.BasePath = base.c_str();
  KeepScan(params, last.flags, scanned, report);
  core::Clear(scanned);
  project::TheProject().Modified = 1;
  return 1;
}

}  // namespace vellum::update
