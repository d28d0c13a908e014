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

// Installs recording callbacks (as HTMLinitmess would) and empties the log.
MessageLog& InstallMessageLog();

// The log the recording callbacks write to.
MessageLog& Messages();

}  // namespace vellum::test
