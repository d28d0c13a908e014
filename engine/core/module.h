// The engine's private modules: shared libraries of its own, loaded on first
// use, that keep a heavy dependency (libssh, libsecret) out of every process
// that never needs it. A module exports one C function, VellumModuleTable
// (declare it with VELLUM_MODULE_ENTRY), which returns its table: a
// standard-layout struct of function pointers whose first member is a
// ModuleHeader. The engine declares the table once, in a header that both
// sides include, with its name (the file NAME.so in the modules' folder) and
// version as static members:
//
//   struct ThingModule {
//     core::ModuleHeader header;
//     static constexpr const char* kName = "thing";
//     static constexpr uint32_t kVersion = 1;  // raised when the table changes
//     int (*frob)(const char* text);
//   };
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vellum::core {

struct ModuleHeader {
  uint32_t version;
  uint32_t size;  // of the whole table
};

template <typename Table>
constexpr ModuleHeader HeaderOf() {
  return {Table::kVersion, static_cast<uint32_t>(sizeof(Table))};
}

#define VELLUM_MODULE_ENTRY                                                           \
  extern "C" __attribute__((visibility("default"))) const vellum::core::ModuleHeader* \
  VellumModuleTable()

struct LoadedModule {
  const ModuleHeader* header = nullptr;  // null: not loaded, and error says why
  std::string error;
};

// Loads the module NAME.so from the modules' folder: "vellum" beside the
// shared library that holds the engine, or, in a program that has the engine
// linked in, where an installation keeps them relative to its programs, else
// (a build tree) "vellum" beside the program. It must give a table with the
// header expected. Never unloaded.
LoadedModule LoadModule(std::string_view name, ModuleHeader expected);

// The table of one module, loaded by the first call (once for all threads,
// the others waiting for it) and kept for the process.
template <typename Table>
class Module {
 public:
  // False, with Error() saying why, when the module cannot be loaded.
  static bool Load() { return Loaded().header != nullptr; }
  static const std::string& Error() { return Loaded().error; }
  // Only after Load() said true.
  static const Table& Get() { return *reinterpret_cast<const Table*>(Loaded().header); }

 private:
  static const LoadedModule& Loaded() {
    static const LoadedModule loaded = LoadModule(Table::kName, HeaderOf<Table>());
    return loaded;
  }
};

}  // namespace vellum::core
