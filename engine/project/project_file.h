// The .bpj project file: a fixed comment header, a format version, and
// sections of key=value entries.
#pragma once

#include <string_view>

#include "vellum/vellum.h"

namespace vellum::project {

// Parses a whole project file (as loaded in text mode) into project, which
// the caller has reset. Syntax complaints go to the info callback with the
// project's file path and the line. False when reading failed; the project
// then holds what was read up to the fault. Some faults inside the script
// list end reading as the end of the text would, with success.
bool ReadProjectFile(Project& project, std::string_view text);

// Writes the project to its file path, replacing the old file only once the
// new one is complete. False (reported, except when there is no file path)
// when the file could not be written; the old file is then untouched.
bool WriteProjectFile(const Project& project);

}  // namespace vellum::project
