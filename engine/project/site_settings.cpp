#include "project/site_settings.h"

namespace vellum::project {

bool SiteSettings::HasSettings() const {
  return page_limit != 0 || depth_limit != 0 || !include.empty() || !exclude.empty() ||
         order != 0 || !site_url.empty();
}

SiteSettings& TheSiteSettings() {
  // Never destroyed, like the project it belongs to.
  static SiteSettings& settings = *new SiteSettings;
  return settings;
}

}  // namespace vellum::project
