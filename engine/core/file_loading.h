// Loading local files whole, testing that they exist and reading their size
// and time stamp. Names that are web addresses are the page access layer's;
// it builds on these for local names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vellum::core {

// How a load reports a file that cannot be opened.
enum ReportMode : int {
  kSilent = 0,
  kReportAsError = 1,
  kReportAsInfo = 2,  // and any other value
};

// "file '%s' not found" with name, as mode says; nothing when silent or
// before the message table is known.
void ReportNotFound(std::string_view name, int report_mode);

struct FreeDeleter {
  void operator()(char* text) const;
};

// A whole file in one buffer, NUL-terminated; length excludes the NUL.
struct LoadedText {
  std::unique_ptr<char, FreeDeleter> data;
  std::size_t length = 0;
};

// Loads the local file name in text mode (stored CR LF pairs read as "\n"),
// ignoring any "#" or "?" part of the name. Returns false with an empty
// result when name is absent, empty or starts with "#" or "?" (silently), or
// when the file cannot be opened (reported as mode says), allocated or read.
bool LoadFile(const char* name, LoadedText& out, int report_mode);

// The same for a path taken whole: "#" and "?" are part of the file's name.
// For the engine's own files (configuration, schemes), whose folders may hold
// those characters.
bool LoadWholePath(const std::string& path, LoadedText& out, int report_mode);

// True when name, used whole, is a file that can be opened for reading.
bool FileExists(const char* name);

// Size and last-write time (local time) of a file.
struct FileStamp {
  std::int32_t size = 0;
  int day = 0;      // 1 to 31
  int month = 0;    // 0 to 11
  int year = 0;     // four digits
  int seconds = 0;  // since midnight
};

// The stamp of the first file that name (which may hold wildcards) matches.
// False when nothing matches; the time members are then 0.
bool ReadFileStamp(const char* name, FileStamp& out);

}  // namespace vellum::core
