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
