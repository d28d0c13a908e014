// Records what the engine reports, for tests to compare.
#pragma once

#include <string>
#include <vector>

namespace vellum::test {

struct MessageLog {
  std::vector<std::string> info;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
};

// Empties the log and installs recording callbacks (as HTMLinitmess would);
// reports held back until then are the log's first entries.
MessageLog& InstallMessageLog();

// The log the recording callbacks write to.
MessageLog& Messages();

}  // namespace vellum::test
