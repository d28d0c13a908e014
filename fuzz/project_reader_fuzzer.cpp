// Feeds arbitrary bytes to the project file reader, then checks that what it
// read is written as a file that reads back whole and is written again byte
// for byte the same.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "project/project.h"
#include "project/project_file.h"
#include "work_folder.h"

namespace {

using namespace vellum;

// Writes project as name and returns the file's stored bytes.
std::string WriteAndLoad(Project& project, const std::string& name) {
  return fuzz::WrittenBytes(name, [&](const std::string& path) {
    project.FilePath = path.c_str();
    const bool written = project::WriteProjectFile(project);
    project.FilePath = nullptr;
    return written;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::WorkFolder();  // reports dropped from the first input on
  Project& project = project::TheProject();

  project::Close(project);
  project::ReadProjectFile(project, std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string first = WriteAndLoad(project, "first.bpj");

  project::Close(project);
  if (!project::ReadProjectFile(project, first)) abort();
  const std::string second = WriteAndLoad(project, "second.bpj");
  if (first != second) abort();

  project::Close(project);
  return 0;
}
