// Golden files: the exact bytes a test expects, kept beside the tests as
// small readable files.
#pragma once

#include <string>
#include <string_view>

namespace vellum::test {

// "\n" as CR LF, the way a text-mode file stores it.
std::string StoredText(std::string_view text);

// Compares the file at path with the golden file golden_path. A text-mode
// golden file holds plain line feeds and stands for the file with each of
// them stored as CR LF; a binary one is compared as it stands. With
// VELLUM_UPDATE_GOLDEN set in the environment, the file is written to the
// golden file instead.
void ExpectGoldenFile(const std::string& path, const std::string& golden_path,
                      bool text_mode = true);

}  // namespace vellum::test
