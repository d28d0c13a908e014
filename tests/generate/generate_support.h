// Trees, settings, generation and start-up for the generation tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/start_up.h"
#include "core/map_item_list.h"
#include "core/text_utils.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "project/project.h"
#include "support/golden.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::test {

using S = SiteMapSettings;
using Texts = std::vector<std::string>;

// The resource folder of the source tree, with its shipped schemes, as the
// root of an installation.
inline const std::string kSourceRoot = VELLUM_RESOURCE_ROOT;

// A chain of depth items, each the only child of the one before, all linked.
inline void AppendChain(MapItemList& list, int depth) {
  MapItemList* level = &list;
  for (int i = 0; i < depth; ++i) {
    const std::string name = std::string("L") + std::to_string(i);
    level = &core::Append(*level, (name + ".htm").c_str(), name.c_str())->Children;
  }
}

inline void Set(S&) {}
template <typename T, typename V, typename... More>
void Set(S& settings, T S::*member, V value, More... more) {
  settings.*member = static_cast<T>(value);
  Set(settings, more...);
}

// Site map settings writing output_file as output_type, with the members and
// values that follow in pairs (&S::Title, "Map", ...); all others are zero.
template <typename... More>
S Settings(int output_type, const char* output_file, More... more) {
  S settings{};
  Set(settings, &S::OutputType, output_type, &S::OutputFile, output_file, more...);
  return settings;
}

// Generates items with settings and flags, as HTMLGSiteMap does.
inline void Generate(const S& settings, MapItemList& items, uint32_t flags = 0,
                     const char* base_path = nullptr) {
  SiteMapParams params{};
  params.BasePath = base_path;
  params.Settings = settings;
  params.Items = &items;
  EXPECT_EQ(generate::GenerateSiteMap(params, flags), 1);
}

// The files generation registered in the project, in order.
inline Texts OutputList() {
  const Project& project = project::TheProject();
  return Texts(project.OutputList, project.OutputList + project.AddedCount);
}

// The names of the files below folder, relative to it, sorted.
inline Texts FilesBelow(const std::filesystem::path& folder) {
  Texts files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(folder));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs the engine's start-up as a program in root + "IDE/" would, with the
// scheme hooks installed, and shuts the engine down with the object. What
// start-up reported goes to a fresh message log.
class EngineStart {
 public:
  explicit EngineStart(const std::string& root) {
    config::SetStartUpHooks(
        {.load_schemes = generate::LoadSchemes, .release_schemes = generate::ReleaseSchemes});
    EXPECT_EQ(config::StartUp((root + "IDE/vellumark").c_str()), 1);
    InstallMessageLog();
  }
  ~EngineStart() { config::ShutDown(); }
  EngineStart(const EngineStart&) = delete;
  EngineStart& operator=(const EngineStart&) = delete;
};

// Generation in a fresh current folder with a fresh message log.
class InGenerateDir : public ::testing::Test {
 protected:
  // Generates outline with settings and flags; the bytes of the page written.
  std::string Page(const char* outline, const S& settings, uint32_t flags = 0,
                   const char* base_path = nullptr) {
    Tree tree(outline);
    Generate(settings, tree.list(), flags, base_path);
    const char* file = settings.OutputFile;
    return ReadBytes(core::IsAbsolutePath(file) ? file : core::FileNamePart(file));
  }

  InScratchDir here;
  MessageLog& log = InstallMessageLog();
};

}  // namespace vellum::test
