// What the fuzz targets share: reports dropped, a folder of the process,
// and a file written there and read back.
#pragma once

#include <functional>
#include <string>

namespace vellum::fuzz {

// Installs callbacks that drop every report (once; later calls do nothing).
void DropReports();

// A folder of this process, in memory when possible, removed at exit. The
// first call also drops reports.
const std::string& WorkFolder();

// Calls write with a path in WorkFolder() named name, aborts when it fails,
// and returns the bytes of the written file.
std::string WrittenBytes(const std::string& name,
                         const std::function<bool(const std::string&)>& write);

}  // namespace vellum::fuzz
