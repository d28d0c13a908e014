#include "web/temporary_files.h"

#include <stdlib.h>

#include <filesystem>

#include "config/engine_config.h"

namespace vellum::web {
namespace {

std::string TemporaryFolder() {
  const char* folder = config::TheConfig().TempFolder;
  std::string path;
  if (folder != nullptr && *folder != '\0') {
    path = folder;
  } else {
    std::error_code ignored;
    path = std::filesystem::temp_directory_path(ignored).string();
    if (path.empty()) path = "/tmp";
  }
  if (path.back() != '/' && path.back() != '\\') path += '/';
  return path;
}

}  // namespace

int CreateTemporaryFile(std::string& path) {
  path = TemporaryFolder() + "swpXXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) path.clear();
  return fd;
}

}  // namespace vellum::web
