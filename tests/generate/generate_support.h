// Trees, settings and golden pages for the generation tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/golden.h"
#include "support/map_tree.h"
#include "support/message_log.h"
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

// The files generation registered in the project, in order.
std::vector<std::string> OutputList();

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

// The names of the files below folder, relative to it, sorted.
std::vector<std::string> FilesBelow(const std::string& folder);

// Generation in a fresh current folder with a fresh message log.
class InGenerateDir : public ::testing::Test {
 protected:
  // Generates outline with settings and flags; the bytes of the page written.
  std::string Page(const char* outline, const SiteMapSettings& settings, uint32_t flags = 0,
                   const char* base_path = nullptr);

  InScratchDir here;
  MessageLog& log = InstallMessageLog();
};

}  // namespace vellum::test
