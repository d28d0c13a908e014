// Trees, settings and golden pages for the generation tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/golden.h"
#include "support/map_tree.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::test {

// A chain of depth items, each the only child of the one before, all linked.
void AppendChain(MapItemList& list, int depth);

// Site map settings with every text absent and every number 0, writing
// output_file as output_type.
SiteMapSettings Settings(int output_type, const char* output_file);

// Generates items with settings and flags, as HTMLGSiteMap does.
void Generate(const SiteMapSettings& settings, MapItemList& items, uint32_t flags,
              const char* base_path = nullptr);

// Runs the engine's start-up as a program in root + "IDE/" would, with the
// scheme hooks installed, and shuts the engine down with the object. What
// start-up reported goes to a fresh message log.
class EngineStart {
 public:
  explicit EngineStart(const std::string& root);
  ~EngineStart();
  EngineStart(const EngineStart&) = delete;
  EngineStart& operator=(const EngineStart&) = delete;
};

// The resource folder of the source tree, with its shipped schemes, as the
// root of an installation (ending in a separator).
std::string SourceRoot();

// The names of the files below folder, with their paths relative to it,
// sorted.
std::vector<std::string> FilesBelow(const std::string& folder);

// The golden page tests/generate/golden/name, written there with plain line
// feeds and compared here with every line feed as CR LF, the way pages are
// stored. With VELLUM_UPDATE_GOLDEN set in the environment, the page is
// written to the golden file instead.
void ExpectGoldenPage(const std::string& page_path, const std::string& name);

}  // namespace vellum::test
