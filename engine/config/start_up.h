// The engine's start-up and shut-down: the installation root, the
// configuration files, the picture schemes, the temporary folder, and the
// image library for the pictures that need it.
#pragma once

#include <string>
#include <string_view>

#include "vellum/vellum.h"

namespace vellum::config {

struct MagickModule;

// What start-up and shut-down do through the subsystems above this one. A
// null member is skipped. Shut-down runs from an atexit handler that the
// first start-up registers: whatever state a hook touches must still be alive
// then (constructed before that start-up, or never destroyed).
struct StartUpHooks {
  // Loads the picture schemes from the scheme files start-up found.
  void (*load_schemes)(const CountedStringList& files) = nullptr;
  void (*release_schemes)() = nullptr;
  // Deletes the page cache's temporary copies and empties the cache.
  void (*purge_page_cache)() = nullptr;
};

void SetStartUpHooks(const StartUpHooks& hooks);

// Runs once per process; every later call returns 1 at once. Finds the root
// folder from program_path (the running program's file) or, when it is null
// or empty, from the environment variable ZAZERIDOV; reads _Vellum.cfg under
// the root's BIN folder, the administrator's Vellum.cfg (InstallationOfProgram)
// and then the user's Vellum.cfg; has the schemes below Resource/Schemes
// loaded; makes the temporary folder. Returns 0 when no root
// folder was found (the other steps are then skipped), 1 otherwise. Reports made before the
// application's callbacks exist are kept for them.
int StartUp(const char* program_path);

// Undoes start-up: purges the page cache, deletes the plain files of the
// temporary folder and the folder itself, releases the schemes and the
// configuration texts, and stops ImageMagick if it was started. Safe at any
// time, also when start-up never ran, and more than once.
void ShutDown();

// Starts ImageMagick, from its module, unless it runs already; only while the
// engine runs (from a start-up that found its root folder to the shut-down),
// which stops it. Its module's table while it runs; null when it does not,
// and also when the module cannot be loaded, which the first call reports
// (through the info callback). Start-up itself does not start it: measuring
// the usual pictures does not need it, and loading and starting it is most
// of the cost of a start-up.
const MagickModule* StartImageLibrary();

// The root folder for a program file: its folder, or that folder's parent
// when the folder is named IDE (any case), always ending in a separator.
std::string RootFromProgramPath(std::string_view program_path);

// Where an installation keeps what start-up reads.
struct Installation {
  std::string root;            // BIN/, Resource/ and help/ below it; ends in a separator
  std::string admin_settings;  // the administrator's Vellum.cfg, read and never written
};

// The installation of a program file. Installed by the file-system hierarchy
// (the program in PREFIX/bin, the root in PREFIX/share/vellumark, the
// administrator's settings in /etc/vellumark, both places relative to the
// program's folder as the build placed them) when that root exists; otherwise
// the root that RootFromProgramPath gives, with the settings in its BIN folder.
Installation InstallationOfProgram(std::string_view program_path);

}  // namespace vellum::config
