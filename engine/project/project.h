// The one open project of the engine.
#pragma once

#include "vellum/vellum.h"

namespace vellum::project {

// The open project; in its reset state until a project is opened.
Project& TheProject();

// The paths that the last search found (HTMLprjFind).
CountedStringList& FoundFiles();

// Registers a file as added to the site: a text in RemovedFiles (compared
// without regard to case) is taken out of there instead; a text already in
// OutputList is left alone; otherwise a copy is appended to OutputList.
void AddFile(Project& project, const char* text);

// Takes a file out of the site: removed from OutputList when it is there
// (compared without regard to case), else appended to RemovedFiles (again,
// when it is already there).
void RemoveFile(Project& project, const char* text);

}  // namespace vellum::project
