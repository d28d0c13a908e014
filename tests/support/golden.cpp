#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "support/scratch_dir.h"

namespace vellum::test {

std::string StoredText(std::string_view text) {
  std::string stored;
  for (char c : text) {
    if (c == '\n') stored += '\r';
    stored += c;
  }
  return stored;
}

void ExpectGoldenFile(const std::string& path, const std::string& golden_path, bool text_mode) {
  const std::string actual = ReadBytes(path);
  ASSERT_FALSE(actual.empty()) << path << " was not written";
  if (std::getenv("VELLUM_UPDATE_GOLDEN") != nullptr) {
    std::string plain;
    for (std::size_t i = 0; i < actual.size(); ++i) {
      const bool stored_line_end =
          actual[i] == '\r' && i + 1 < actual.size() && actual[i + 1] == '\n';
      if (!(text_mode && stored_line_end)) plain += actual[i];
    }
    std::ofstream(golden_path, std::ios::binary) << plain;
    return;
  }
  const std::string golden = ReadBytes(golden_path);
  ASSERT_FALSE(golden.empty()) << "no golden file " << golden_path;
  EXPECT_EQ(actual, text_mode ? StoredText(golden) : golden)
      << path << " differs from " << golden_path;
}

}  // namespace vellum::test
