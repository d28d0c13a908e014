// Feeds arbitrary bytes to the project file reader, then checks that what it
// read is written as a file that reads back whole and is written again byte
// for byte the same.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/file_loading.h"
#include "core/messages.h"
#include "core/text_file.h"
#include "project/project.h"
#include "project/project_file.h"

namespace {

using namespace vellum;

int32_t Ignore(const char* /*text*/) { return 1; }

void RemoveWorkFolder();

// A folder of this process for the written files, in memory when possible.
const std::string& WorkFolder() {
  static const std::string folder = [] {
    core::InstallMessageSink({Ignore, Ignore, Ignore});
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/vellum-fuzz-XXXXXX" : "/tmp/vellum-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  // Registered after the folder's name, so it runs before the name goes.
  static const int removal = atexit(RemoveWorkFolder);
  (void)removal;
  return folder;
}

void RemoveWorkFolder() { std::filesystem::remove_all(WorkFolder()); }

// Writes project to path and returns the file's stored bytes.
std::string WriteAndLoad(Project& project, const std::string& path) {
  project.FilePath = path.c_str();
  const bool written = project::WriteProjectFile(project);
  project.FilePath = nullptr;
  if (!written) abort();
  core::LoadedText text;
  if (!core::LoadWholePath(path, text, core::kSilent)) abort();
  return std::string(text.data.get(), text.length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string& folder = WorkFolder();
  Project& project = project::TheProject();

  project::Close(project);
  project::ReadProjectFile(project, std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string first = WriteAndLoad(project, folder + "/first.bpj");

  project::Close(project);
  if (!project::ReadProjectFile(project, first)) abort();
  const std::string second = WriteAndLoad(project, folder + "/second.bpj");
  if (first != second) abort();

  project::Close(project);
  return 0;
}
