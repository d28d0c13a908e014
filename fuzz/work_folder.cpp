#include "work_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "core/file_loading.h"
#include "core/messages.h"

namespace vellum::fuzz {
namespace {

int32_t Ignore(const char* /*text*/) { return 1; }

void RemoveWorkFolder() { std::filesystem::remove_all(WorkFolder()); }

}  // namespace

void DropReports() {
  static const bool installed = (core::InstallMessageSink({Ignore, Ignore, Ignore}), true);
  (void)installed;
}

const std::string& WorkFolder() {
  static const std::string folder = [] {
    DropReports();
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

std::string WrittenBytes(const std::string& name,
                         const std::function<bool(const std::string&)>& write) {
  const std::string path = WorkFolder() + "/" + name;
  if (!write(path)) abort();
  core::LoadedText text;
  if (!core::LoadWholePath(path, text, core::kSilent)) abort();
  return std::string(text.data.get(), text.length);
}

}  // namespace vellum::fuzz
