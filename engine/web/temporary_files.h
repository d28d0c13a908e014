// Temporary copies the engine makes of pages (downloaded pages, compressed
// and rewritten pages for an upload) live in the engine's temporary folder,
// which is removed with everything in it at the engine's shut-down.
#pragma once

#include <string>

namespace vellum::web {

// Creates a new, empty file named "swp" and a unique part in the engine's
// temporary folder (the system's when the engine has none) and returns an
// open descriptor for writing, with its path in path. -1 when no file could
// be made.
int CreateTemporaryFile(std::string& path);

}  // namespace vellum::web
