#include "project/site_settings.h"

#include <algorithm>

namespace vellum::project {

bool SiteSettings::HasSettings() const {
  return page_limit != 0 || depth_limit != 0 || !include.empty() || !exclude.empty() ||
         order != 0 || !site_url.empty() || sitemap_extras != 0;
}

SiteSettings& TheSiteSettings() {
  // Never destroyed, like the project it belongs to.
  static SiteSettings& settings = *new SiteSettings;
  return settings;
}

PageSettings& ThePageSettings() {
  static PageSettings& settings = *new PageSettings;
  return settings;
}

bool IsMarkup(int32_t value) {
  return value == VELLUM_MARKUP_CLASSIC || value == VELLUM_MARKUP_HTML5;
}

VellumScanOptions& TheScanOptions() {
  static VellumScanOptions options{};
  return options;
}

scan::CrawlSettings CrawlSettingsNow() {
  const SiteSettings& site = TheSiteSettings();
  const VellumScanOptions& options = TheScanOptions();
  scan::CrawlSettings settings;
  if (site.page_limit > 0) settings.page_limit = site.page_limit;
  settings.depth_limit = site.depth_limit;
  settings.include = site.include;
  settings.exclude = site.exclude;
  settings.order = site.order;
  settings.sitemap_extras = static_cast<unsigned>(site.sitemap_extras);
  if (options.PageSeconds > 0) settings.page_seconds = options.PageSeconds;
  if (options.Connections > 0) settings.connections = options.Connections;
  settings.delay_ms = std::max(options.DelayMs, 0);
  settings.honour_robots = options.IgnoreRobots == 0;
  return settings;
}

}  // namespace vellum::project
