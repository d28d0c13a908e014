#include "update/update.h"

#include <ctime>
#include <optional>
#include <utility>
#include <vector>

#include "core/flat_tree.h"
#include "core/map_item_list.h"
#include "core/messages.h"
#include "core/owned.h"
#include "project/project.h"
#include "project/site_settings.h"
#include "scan/site_scan.h"
#include "update/site_map_dates.h"
#include "web/url_class.h"

namespace vellum::update {

namespace {

void KeepScan(const SiteMapParams& params, uint32_t flags, core::Tree tree,
              scan::ScanReport& report) {
  project::SiteSettings& site = project::TheSiteSettings();
  site.scan_base = report.base;
  site.modified = std::move(report.modified);
  site.extras = std::move(report.extras);
  project::LastScan& last = site.last_scan;
  last.mode = params.Settings.Mode;
  last.flags = flags;
  last.base = params.BasePath != nullptr ? params.BasePath : "";
  last.tree = std::move(tree);
  last.pages = std::move(report.kept);
}

}  // namespace

void KeepScan(const SiteMapParams& params, uint32_t flags, const MapItemList& tree,
              scan::ScanReport& report) {
  KeepScan(params, flags, core::Flatten(tree), report);
}

KeptScan CopyKeptScan() {
  const project::SiteSettings& site = project::TheSiteSettings();
  return {site.scan_base, site.modified, site.extras, site.last_scan};
}

void SwapKeptScan(KeptScan& other) {
  project::SiteSettings& site = project::TheSiteSettings();
  std::swap(site.scan_base, other.scan_base);
  std::swap(site.modified, other.modified);
  std::swap(site.extras, other.extras);
  std::swap(site.last_scan, other.last_scan);
}

int UpdateFromSite(const char* excluded, MapItemList& tree, const UpdateChoice& choice,
                   core::Progress& progress, scan::ScanReport& report,
                   std::vector<Change>& changes) {
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
  AddressKeys keys;
  // What the site's maps say of its pages, when the user trusts them.
  ListedPages listed;
  std::vector<bool> unchanged;
  const std::time_t maps_read = std::time(nullptr);
  if (choice.trust_site_map && last.mode == 0 && web::IsWebAddress(last.base.c_str())) {
    // Only the pages kept are of use: a map may list any number of others.
    std::vector<int> kept_of_key;  // by key number; -1 none
    for (int number = 0; number < static_cast<int>(last.pages.addresses()); ++number) {
      if (last.pages.At(number) == nullptr) continue;
      const int key = keys(last.pages.Address(number));
      if (key >= static_cast<int>(kept_of_key.size())) kept_of_key.resize(key + 1, -1);
      if (kept_of_key[key] < 0) kept_of_key[key] = number;
    }
    const auto is_kept = [&](int key) {
      return key < static_cast<int>(kept_of_key.size()) && kept_of_key[key] >= 0;
    };
    if (!ReadSiteMaps(last.base, settings, progress, keys, is_kept, listed)) return 0;
    unchanged.assign(last.pages.addresses(), false);
    for (const auto& [key, time] : listed) {
      const int number = kept_of_key[key];
      if (ListedUnchanged(time, *last.pages.At(number))) unchanged[number] = true;
    }
    settings.unchanged = &unchanged;
  }
  std::optional<core::Tree> scan_tree;
  int result = 0;
  {
    core::Owned<MapItemList> scanned;
    result = scan::ScanSite(params, *scanned, last.flags, settings, progress, report);
    scan_tree = core::Flatten(*scanned);
  }
  if (result == 0 || progress.stopped()) return 0;
  // A lastmod is kept once it lies in the past (an hour allowed for the
  // server's clock): a change made later could still bear a lastmod that
  // names the same day, or the same minute.
  scan::KeptPages& kept = report.kept;
  for (int number = 0; !listed.empty() && number < static_cast<int>(kept.addresses()); ++number) {
    scan::KeptPage* page = kept.At(number);
    if (page == nullptr) continue;
    const auto found = listed.find(keys(kept.Address(number)));
    if (found != listed.end() && found->second.latest < maps_read - 3600) {
      page->listed = found->second.earliest;
    }
  }
  MergeResult merged = Merge(last.tree, core::Flatten(tree), scan_tree, keys);
  changes = std::move(merged.changes);
  if (choice.dry_run) return 1;
  core::Owned<MapItemList> updated;
  if (!core::Unflatten(merged.tree, *updated)) return 0;
  core::Clear(tree);
  tree = updated.Release();
  const std::string base = last.base;
  params.BasePath = base.c_str();
  KeepScan(params, last.flags, std::move(*scan_tree), report);
  project::TheProject().Modified = 1;
  return 1;
}

}  // namespace vellum::update
