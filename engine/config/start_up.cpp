#include "config/start_up.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "config/config_file.h"
#include "config/engine_config.h"
#include "config/magick_module.h"
#include "core/counted_string_list.h"
#include "core/directory_search.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/owned.h"
#include "core/signal_cleanup.h"
#include "core/text_utils.h"

namespace vellum::config {
namespace {

StartUpHooks hooks;
// ImageMagick runs from the first picture that needs it to the shut-down;
// a module that cannot be loaded is reported by that picture only.
// Constant-initialized and trivially destroyed: the shut-down runs from an
// atexit handler.
std::mutex magick_mutex;
const MagickModule* magick = nullptr;  // while it runs
bool magick_failed = false;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string WithSeparator(std::string path) {
  if (path.empty() || !IsSeparator(path.back())) path += '/';
  return path;
}

// A non-empty value of the environment variable name, or null.
const char* Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// Replaces an owned text of the record; false (reported) when the copy could
// not be made, the member is then none.
bool SetOwnedText(const char*& member, const std::string& text) {
  core::ReleaseText(member);
  member = core::CopyText(text);
  if (member != nullptr) return true;
  core::ReportMemoryOverflow();
  return false;
}

Installation TreeInstallation(std::string root) {
  std::string admin_settings = root + "BIN/Vellum.cfg";
  return {std::move(root), std::move(admin_settings)};
}

// The installation, or none (reported) without a program path or ZAZERIDOV.
std::optional<Installation> FindInstallation(const char* program_path) {
  if (program_path != nullptr && *program_path != '\0') return InstallationOfProgram(program_path);
  if (const char* value = Environment("ZAZERIDOV")) return TreeInstallation(WithSeparator(value));
  core::ReportError("envelopment variable 'ZAZERIDOV' not found");
  return std::nullopt;
}

void ReadConfigFiles(EngineConfig& config, const std::string& admin_settings) {
  // The shipped defaults, an administrator's settings for every user of the
  // installation, then the user's own. A Vellum.cfg in the current folder is
  // not read: that folder may be a site someone else made.
  ReadConfigFile(std::string(config.RootFolder) + "BIN/_Vellum.cfg", config);
  ReadConfigFile(admin_settings, config);
  if (const std::string user = UserConfigPath(); !user.empty()) ReadConfigFile(user, config);
}

void LoadSchemes(const EngineConfig& config) {
  // The root folder may hold "#" or "?": the paths are kept whole.
  constexpr unsigned kSchemeListing = 0x1 | core::kKeepBookmarks | core::kKeepArguments;
  const std::string folder = std::string(config.RootFolder) + "Resource/Schemes/";
  core::Owned<CountedStringList> files;
  core::ListFolder(folder.c_str(), "*.scm", *files, kSchemeListing);
  if (hooks.load_schemes != nullptr) hooks.load_schemes(*files);
}

// Deletes the plain files of folder (which ends in a separator) and the
// folder itself, if it is then empty.
void RemoveFlatFolder(const std::string& folder) {
  for (const core::DirectoryEntry& entry : core::SearchDirectory(folder + "*.*")) {
    // A link is removed itself; its target is never followed.
    if (!entry.is_directory || entry.is_link) unlink((folder + entry.name).c_str());
  }
  rmdir(folder.c_str());
}

// Removes the temporary folders that processes of this user which no longer
// exist left in base (killed before they could remove them): only folders
// named as this engine names them, "VMTemp-PID-XXXXXX", owned by this user.
void RemoveAbandonedFolders(const std::string& base) {
  for (const core::DirectoryEntry& entry : core::SearchDirectory(base + "VMTemp-*")) {
    if (!entry.is_directory || entry.is_link) continue;
    const std::string& name = entry.name;
    const std::size_t dash = name.find('-', 7);
    if (dash == std::string::npos || name.size() != dash + 7) continue;
    pid_t owner = 0;
    const auto [end, failure] = std::from_chars(name.data() + 7, name.data() + dash, owner);
    if (failure != std::errc() || end != name.data() + dash || owner <= 0) continue;
    const std::string folder = base + name;
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || info.st_uid != getuid()) continue;
    if (kill(owner, 0) == 0 || errno != ESRCH) continue;
    RemoveFlatFolder(folder + "/");
  }
}

// The engine's own folder below TEMP (or TMPDIR, or /tmp), unique to this
// process: the clean-up at its end deletes every plain file in it, which must
// never touch the files of another process or another user.
void MakeTemporaryFolder(EngineConfig& config) {
  const char* base = Environment("TEMP");
  if (base == nullptr) base = Environment("TMPDIR");
  if (base == nullptr) base = "/tmp";
  RemoveAbandonedFolders(WithSeparator(base));
  // The process's number in the name tells a later start-up whose it is.
  std::string folder = WithSeparator(base) + "VMTemp-" + std::to_string(getpid()) + "-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    core::ReportError(core::FormatText("can't create the temporary folder in '%s'", base).c_str());
    folder.clear();
  } else {
    folder += '/';
    core::NoteForCleanup(core::CleanupSlot::kTemporaryFolder, folder.c_str());
  }
  SetOwnedText(config.TempFolder, folder);
}

void RemoveTemporaryFolder(EngineConfig& config) {
  const std::string folder = config.TempFolder != nullptr ? config.TempFolder : "";
  ReleaseMember(config.TempFolder);
  core::NoteForCleanup(core::CleanupSlot::kTemporaryFolder, nullptr);
  if (!folder.empty()) RemoveFlatFolder(folder);
}

}  // namespace

void SetStartUpHooks(const StartUpHooks& new_hooks) { hooks = new_hooks; }

std::string RootFromProgramPath(std::string_view program_path) {
  std::string_view root = program_path.substr(0, program_path.find_last_of("\\/") + 1);
  if (root.empty()) root = program_path;  // no separator: the path is the folder
  // Only a folder named IDE that has a parent, not one whose name merely ends
  // in those letters.
  constexpr std::size_t kTail = sizeof("/IDE/") - 1;
  if (root.size() >= kTail) {
    std::string_view tail = root.substr(root.size() - kTail);
    if (IsSeparator(tail[0]) && core::EqualsNoCase(tail.substr(1, 3), "IDE") &&
        IsSeparator(tail[4])) {
      root.remove_suffix(kTail - 1);
    }
  }
  return WithSeparator(std::string(root));
}

Installation InstallationOfProgram(std::string_view program_path) {
  const std::string_view folder = program_path.substr(0, program_path.find_last_of('/') + 1);
  if (!folder.empty()) {
    namespace fs = std::filesystem;
    const fs::path programs(folder);
    std::error_code ignored;
    if (fs::path root = (programs / VELLUM_SYSTEM_ROOT).lexically_normal();
        fs::is_directory(root, ignored)) {
      const fs::path settings = programs / VELLUM_SYSTEM_SETTINGS / "Vellum.cfg";
      return {WithSeparator(root.string()), settings.lexically_normal().string()};
    }
  }
  return TreeInstallation(RootFromProgramPath(program_path));
}

int StartUp(const char* program_path) {
  EngineConfig& config = TheConfig();
  if (config.Started != 0) return 1;
  config.Started = 1;
  std::atexit(ShutDown);
  core::ReportHold hold;

  const std::optional<Installation> installation = FindInstallation(program_path);
  if (!installation || !SetOwnedText(config.RootFolder, installation->root)) return 0;
  ReadConfigFiles(config, installation->admin_settings);
  LoadSchemes(config);
  MakeTemporaryFolder(config);
  return 1;
}

void ShutDown() {
  EngineConfig& config = TheConfig();
  if (hooks.purge_page_cache != nullptr) hooks.purge_page_cache();
  RemoveTemporaryFolder(config);
  if (hooks.release_schemes != nullptr) hooks.release_schemes();
  ReleaseSettings(config);
  ReleaseMember(config.RootFolder);
  const std::lock_guard lock(magick_mutex);
  if (magick != nullptr) {
    magick->terminus();
    magick = nullptr;
  }
}

const MagickModule* StartImageLibrary() {
  using Magick = core::Module<MagickModule>;
  const std::lock_guard lock(magick_mutex);
  if (magick != nullptr || magick_failed || TheConfig().RootFolder == nullptr) return magick;
  if (!Magick::Load()) {
    magick_failed = true;
    core::ReportInfo(
        core::FormatText(
            "ImageMagick cannot be loaded, so pictures whose size only it reads get none: %s\n",
            Magick::Error().c_str())
            .c_str());
    return nullptr;
  }
  magick = &Magick::Get();
  magick->genesis();
  return magick;
}

}  // namespace vellum::config
