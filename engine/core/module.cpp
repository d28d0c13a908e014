#include "core/module.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>

namespace vellum::core {
namespace {

namespace fs = std::filesystem;

// Empty when the engine's own file cannot be found; relative when the
// library was found by a relative path.
fs::path ModuleFolder() {
  Dl_info info{};
  link_map* object = nullptr;
  if (dladdr1(reinterpret_cast<void*>(&ModuleFolder), &info, reinterpret_cast<void**>(&object),
              RTLD_DL_LINKMAP) != 0 &&
      object != nullptr && object->l_name[0] != '\0') {
    return fs::path(object->l_name).parent_path() / "vellum";
  }
  // The program itself, whose link map entry has no name. A build tree keeps
  // the modules beside its programs whatever the layout it installs.
  std::error_code ignored;
  const fs::path programs = fs::read_symlink("/proc/self/exe", ignored).parent_path();
  if (programs.empty()) return {};
  fs::path installed = (programs / VELLUM_MODULES_FROM_PROGRAMS).lexically_normal();
  return fs::is_directory(installed, ignored) ? installed : programs / "vellum";
}

}  // namespace

LoadedModule LoadModule(std::string_view name, ModuleHeader expected) {
  const fs::path folder = ModuleFolder();
  // Never a path relative to the current folder, which may be anybody's.
  if (!folder.is_absolute()) return {nullptr, "the folder of the engine's modules is not known"};
  const std::string path = (folder / name).string() + ".so";
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return {nullptr, dlerror()};
  using Entry = const ModuleHeader* (*)();
  const auto entry = reinterpret_cast<Entry>(dlsym(handle, "VellumModuleTable"));
  if (entry == nullptr) return {nullptr, path + ": not a module of this engine"};
  const ModuleHeader* header = entry();
  if (header == nullptr || header->version != expected.version || header->size != expected.size) {
    return {nullptr, path + ": a module of another version of this engine"};
  }
  return {header, ""};
}

}  // namespace vellum::core
