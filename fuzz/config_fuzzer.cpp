// Feeds arbitrary bytes to the configuration file reader, then checks that
// what it read is written as a file that reads back and is written again
// byte for byte the same.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/config_file.h"
#include "core/file_loading.h"
#include "core/messages.h"

namespace {

using namespace vellum;

int32_t Ignore(const char* /*text*/) { return 1; }

void RemoveWorkFolder();

// A folder of this process for the files, in memory when possible.
const std::string& WorkFolder() {
  static const std::string folder = [] {
    core::InstallMessageSink({Ignore, Ignore, Ignore});
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/vellum-fuzz-XXXXXX" : "/tmp/vellum-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  static const int removal = atexit(RemoveWorkFolder);
  (void)removal;
  return folder;
}

void RemoveWorkFolder() { std::filesystem::remove_all(WorkFolder()); }

// Writes config to path and returns the file's bytes.
std::string WriteAndLoad(const EngineConfig& config, const std::string& path) {
  if (!config::WriteConfigFile(path, config)) abort();
  core::LoadedText text;
  if (!core::LoadWholePath(path, text, core::kSilent)) abort();
  return std::string(text.data.get(), text.length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input = WorkFolder() + "/input.cfg";
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data), size);

  EngineConfig read{};
  config::ReadConfigFile(input, read);
  const std::string first = WriteAndLoad(read, WorkFolder() + "/first.cfg");
  config::ReleaseSettings(read);

  EngineConfig again{};
  if (config::ReadConfigFile(WorkFolder() + "/first.cfg", again) != 1) abort();
  const std::string second = WriteAndLoad(again, WorkFolder() + "/second.cfg");
  config::ReleaseSettings(again);
  if (first != second) abort();
  return 0;
}
