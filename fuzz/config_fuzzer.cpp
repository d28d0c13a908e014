// Feeds arbitrary bytes to the configuration file reader, then checks that
// what it read is written as a file that reads back and is written again
// byte for byte the same.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "config/config_file.h"
#include "work_folder.h"

namespace {

using namespace vellum;

// Reads the file at path, which must read to its end when whole is set, and
// returns the bytes of what was read, written as name.
std::string ReadAndWrite(const std::string& path, const std::string& name, bool whole) {
  EngineConfig config{};
  if (config::ReadConfigFile(path, config) != 1 && whole) abort();
  std::string written = fuzz::WrittenBytes(
      name, [&](const std::string& out) { return config::WriteConfigFile(out, config); });
  config::ReleaseSettings(config);
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input = fuzz::WorkFolder() + "/input.cfg";
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  const std::string first = ReadAndWrite(input, "first.cfg", false);
  const std::string second = ReadAndWrite(fuzz::WorkFolder() + "/first.cfg", "second.cfg", true);
  if (first != second) abort();
  return 0;
}
