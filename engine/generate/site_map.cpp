#include "generate/site_map.h"

#include <algorithm>
#include <cstring>

#include "generate/output_files.h"
#include "generate/resources.h"
#include "generate/schemes.h"
#include "generate/tree_walk.h"
#include "generate/xml_sitemap.h"
#include "project/site_settings.h"

namespace vellum::generate {

std::vector<IndexEntry> IndexEntries(const MapItemList& root) {
  struct Linked : TreeVisitor {
    std::vector<IndexEntry> entries;
    bool Item(const MapItem& item, int /*index*/, int /*level*/) {
      if (item.URL != nullptr)
        entries.push_back({item.URL, item.Name != nullptr ? item.Name : " "});
      return true;
    }
  } linked;
  WalkTree(root, linked);
  std::stable_sort(
      linked.entries.begin(), linked.entries.end(),
      [](const IndexEntry& a, const IndexEntry& b) { return std::strcmp(a.name, b.name) < 0; });
  return std::move(linked.entries);
}

int GenerateSiteMap(const SiteMapParams& params, uint32_t flags) {
  static constexpr MapItemList kNoItems{0, nullptr};
  const MapItemList& items = params.Items != nullptr ? *params.Items : kNoItems;
  const SiteMapSettings& settings = params.Settings;
  OutputFiles files(settings, items, flags);
  if (settings.OutputType == VELLUM_OUTPUT_XML_SITEMAP ||
      settings.OutputType == VELLUM_OUTPUT_TEXT_SITEMAP) {
    // A file for search engines: no page frame, no pictures or scripts.
    const SitemapFormat format = settings.OutputType == VELLUM_OUTPUT_TEXT_SITEMAP
                                     ? SitemapFormat::kText
                                     : SitemapFormat::kXml;
    if (WriteXmlSitemap(settings, items, params.BasePath, files, format)) files.Commit();
    return 1;
  }

  Generation generation{
      .settings = settings, .base_path = params.BasePath, .flags = flags, .files = &files};
  const project::PageSettings& page = project::ThePageSettings();
  generation.html5 = page.markup == VELLUM_MARKUP_HTML5;
  generation.lang = page.Language();
  generation.scheme = FindScheme(settings.OutputType, settings.SchemeName);
  if (settings.TopCrumbText != nullptr) generation.crumbs[0].text = settings.TopCrumbText;
  if (settings.OutputType == VELLUM_OUTPUT_INDEX_PAGE)
    generation.index_entries = IndexEntries(items);

  if (WritePage(generation, items, settings.OutputFile != nullptr ? settings.OutputFile : "", 0)) {
    CopyResources(settings, generation.scheme, generation.letters,
                  !generation.Has(VELLUM_GEN_NO_OUTPUT_LIST), generation.html5, files);
    files.Commit();
  }
  return 1;
}

}  // namespace vellum::generate
