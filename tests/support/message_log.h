// Records what the engine reports, for tests to compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellum::test {

struct MessageLog {
  std::vector<std::string> info;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  int32_t answer = 0;  // what RecordQuestion answers: no, unless a test says yes
};

// Empties the log and installs recording callbacks (as HTMLinitmess would);
// reports held back until then are the log's first entries.
MessageLog& InstallMessageLog();

// The log the recording callbacks write to.
MessageLog& Messages();

// The recording callbacks themselves, for tests that start the engine
// through the shared library's HTMLinitmess.
int32_t RecordInfo(const char* text);
int32_t RecordError(const char* text);
int32_t RecordQuestion(const char* text);

}  // namespace vellum::test
