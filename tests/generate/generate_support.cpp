#include "generate_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config/start_up.h"
#include "core/map_item_list.h"
#include "core/text_utils.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "project/project.h"

namespace vellum::test {

void AppendChain(MapItemList& list, int depth) {
  MapItemList* level = &list;
  for (int i = 0; i < depth; ++i) {
    const std::string name = std::string("L") + std::to_string(i);
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

std::vector<std::string> OutputList() {
  const Project& project = project::TheProject();
  return std::vector<std::string>(project.OutputList, project.OutputList + project.AddedCount);
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

std::string InGenerateDir::Page(const char* outline, const SiteMapSettings& settings,
                                uint32_t flags, const char* base_path) {
  Tree tree(outline);
  Generate(settings, tree.list(), flags, base_path);
  const char* file = settings.OutputFile;
  return ReadBytes(core::IsAbsolutePath(file) ? file : core::FileNamePart(file));
}

}  // namespace vellum::test
