#include "generate_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "config/start_up.h"
#include "core/map_item_list.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "support/message_log.h"

namespace vellum::test {

Tree::Tree(std::string_view outline) {
  // The list that receives the next item of each level.
  std::vector<MapItemList*> levels{&list_};
  while (!outline.empty()) {
    std::string_view line = outline.substr(0, outline.find('\n'));
    outline.remove_prefix(std::min(outline.size(), line.size() + 1));
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string_view::npos) continue;
    line.remove_prefix(indent);
    const std::size_t level = indent / 2;
    // "-> url" is an item with an empty name.
    const std::size_t arrow = line.starts_with("-> ") ? 0 : line.find(" -> ");
    const bool linked = arrow != std::string_view::npos;
    const std::string name(line.substr(0, arrow));
    const std::string url(linked ? line.substr(line.find("-> ", arrow) + 3) : "");
    MapItem* item = core::Append(*levels.at(level), linked ? url.c_str() : nullptr,
                                 name == "~" ? nullptr : name.c_str());
    levels.resize(level + 1);
    levels.push_back(&item->Children);
  }
}

Tree::~Tree() { core::Clear(list_); }

void AppendChain(MapItemList& list, int depth) {
  MapItemList* level = &list;
  for (int i = 0; i < depth; ++i) {
    const std::string name = "L" + std::to_string(i);
    level = &core::Append(*level, (name + ".htm").c_str(), name.c_str())->Children;
  }
}

SiteMapSettings Settings(int output_type, const char* output_file) {
  SiteMapSettings settings{};
  settings.OutputType = static_cast<uint8_t>(output_type);
  settings.OutputFile = output_file;
  return settings;
}

void Generate(const SiteMapSettings& settings, MapItemList& items, uint32_t flags,
              const char* base_path) {
  SiteMapParams params{};
  params.BasePath = base_path;
  params.Settings = settings;
  params.Items = &items;
  EXPECT_EQ(generate::GenerateSiteMap(params, flags), 1);
}

EngineStart::EngineStart(const std::string& root) {
  config::SetStartUpHooks(
      {.load_schemes = generate::LoadSchemes, .release_schemes = generate::ReleaseSchemes});
  EXPECT_EQ(config::StartUp((root + "IDE/vellumark").c_str()), 1);
  InstallMessageLog();
}

EngineStart::~EngineStart() { config::ShutDown(); }

std::string SourceRoot() { return VELLUM_RESOURCE_ROOT; }

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.push_back(std::filesystem::relative(entry.path(), folder).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

void ExpectGoldenPage(const std::string& page_path, const std::string& name) {
  ExpectGoldenFile(page_path, std::string(VELLUM_GOLDEN_DIR) + "/" + name);
}

}  // namespace vellum::test
