// The one open project of the engine.
#pragma once

#include "vellum/vellum.h"

namespace vellum::project {

// The open project; in its reset state until a project is opened.
Project& TheProject();

// The paths that the last search found (HTMLprjFind).
CountedStringList& FoundFiles();

}  // namespace vellum::project
