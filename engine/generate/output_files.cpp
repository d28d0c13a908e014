#include "generate/output_files.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "config/engine_config.h"
#include "core/messages.h"
#include "core/signal_cleanup.h"
#include "core/text_utils.h"
#include "generate/page_writer.h"
#include "generate/tree_walk.h"
#include "project/site_settings.h"
#include "web/url_class.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;

// The output files the user named for this run, absolute and in normal form.
std::set<std::string>& ChosenOutputs() {
  static std::set<std::string> chosen;
  return chosen;
}

std::string NormalAbsolute(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

std::string FolderOf(const std::string& path) {
  const std::string folder = fs::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// The file that a new file at path replaces, following a symbolic link so
// that a page linked into another folder stays linked. None when the name
// cannot be a file of the site: empty, or naming a folder or a device.
std::optional<std::string> TargetOf(const std::string& path) {
  if (*core::FileNamePart(path.c_str()) == '\0') return std::nullopt;
  std::error_code error;
  fs::path file = path;
  fs::file_status status = fs::symlink_status(file, error);
  if (fs::is_symlink(status)) {
    file = fs::weakly_canonical(file, error);
    if (error) return std::nullopt;
    status = fs::status(file, error);
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) return std::nullopt;
  return file.string();
}

// The bytes of from appended to to; false when a write failed.
bool CopyBytes(core::TextFile& from, core::TextFile& to) {
  std::vector<char> buffer(64 * 1024);
  for (std::size_t got; (got = from.Read(buffer.data(), buffer.size())) > 0;) {
    if (!to.Write(std::string_view(buffer.data(), got))) return false;
  }
  return true;
}

// The device and inode of the file at path (links followed), if it exists.
std::optional<std::pair<uint64_t, uint64_t>> IdentityOf(const std::string& path) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::make_pair(static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino));
}

}  // namespace

void ChooseOutput(const char* path) {
  if (path == nullptr) {
    ChosenOutputs().clear();
  } else if (*path != '\0') {
    ChosenOutputs().insert(NormalAbsolute(path));
  }
}

void ReportWriteError(const std::string& path) {
  if (const char* text = core::MessageText(core::ErrorCode::kWriteError)) {
    core::ReportError(core::FormatText("%s '%s'", text, path.c_str()).c_str());
  }
}

std::string ResolvedPath(const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

OutputFiles::OutputFiles(const SiteMapSettings& settings, const MapItemList& items, uint32_t flags)
    : settings_(settings), items_(items), flags_(flags), places_(project::TheProject()) {
  // A preview goes to the engine's own temporary folder.
  if (const char* temporary = config::TheConfig().TempFolder;
      temporary != nullptr && *temporary != '\0') {
    places_.Add(temporary);
  }
  // A page written as it is named for this run: its folder is the user's
  // choice, wherever a link there leads.
  const std::string page = PageFileOf(settings.OutputFile != nullptr ? settings.OutputFile : "");
  if (!page.empty() && ChosenOutputs().contains(NormalAbsolute(page))) {
    places_.Add(FolderOf(NormalAbsolute(page)));
    places_.Add(FolderOf(ResolvedPath(NormalAbsolute(page))));
  }
}

OutputFiles::~OutputFiles() {
  for (Staged& file : files_) {
    if (file.placed || file.staged.empty()) continue;
    file.file.Close();
    unlink(file.staged.c_str());
  }
  if (!staging_.empty()) {
    rmdir(staging_.c_str());
    core::NoteForCleanup(core::CleanupSlot::kStagingFolder, nullptr);
  }
}

bool OutputFiles::IsReadByProject(const std::string& target) {
  const auto identity = IdentityOf(target);
  if (!identity) return false;
  if (!read_files_) {
    read_files_.emplace();
    // A page of the tree is named as a path or a file address, maybe with
    // its "?" and "#" parts or escapes, and a folder scan names it relative
    // to the scan's folder.
    const std::string& scan_base = project::TheSiteSettings().scan_base;
    const std::string scan_folder = scan_base.substr(0, scan_base.find_last_of('/') + 1);
    auto note = [this, &scan_folder](const char* path) {
      if (path == nullptr || web::IsWebAddress(path)) return;
      std::string_view text(path);
      if (web::IsFileAddress(text)) text.remove_prefix(std::string_view("file://").size());
      const std::string local = core::LocalPathOf(text);
      const std::string in_scan = core::IsAbsolutePath(local.c_str()) ? "" : scan_folder + local;
      for (const std::string& file : {std::string(text), local, in_scan}) {
        if (const auto read = IdentityOf(file)) read_files_->insert(*read);
      }
    };
    const Project& project = project::TheProject();
    note(project.FilePath);
    note(project.Source);
    note(settings_.BackgroundImage);
    struct Pages : TreeVisitor {
      decltype(note)& note_page;
      bool Item(const MapItem& item, int /*index*/, int /*level*/) {
        note_page(item.URL);
        return true;
      }
    } pages{{}, note};
    WalkTree(items_, pages);
  }
  return read_files_->contains(*identity);
}

bool OutputFiles::Admit(const std::string& path, const std::string& target) {
  if (IsReadByProject(target)) {
    core::ReportError(
        core::FormatText("'%s' is a file the project reads: not written over", path.c_str())
            .c_str());
    return false;
  }
  const std::string folder = FolderOf(target);
  if (!places_.Hold(target.c_str())) {
    // Named by the file written, which a link at path may lead elsewhere.
    if (!core::Ask(
            core::FormatText("'%s' lies outside the project's folder. Write it?", target.c_str())
                .c_str())) {
      core::ReportError(
          core::FormatText("'%s' lies outside the project's folder: not written", target.c_str())
              .c_str());
      return false;
    }
    places_.Add(folder);  // the rest of the generation writes there unasked
  }
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    return false;
  }
  return true;
}

bool OutputFiles::MakeStagingFolder(const std::string& target) {
  if (!staging_.empty()) return true;
  std::string folder =
      NormalAbsolute(FolderOf(target) + "/." + core::FileNamePart(target.c_str()) + ".XXXXXX");
  // Made and noted with the signals held back, so that no signal comes
  // between the two and leaves the folder behind.
  sigset_t signals, previous;
  sigemptyset(&signals);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal_number);
  pthread_sigmask(SIG_BLOCK, &signals, &previous);
  const bool made = mkdtemp(folder.data()) != nullptr;
  if (made) core::NoteForCleanup(core::CleanupSlot::kStagingFolder, folder.c_str());
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (made) staging_ = std::move(folder);
  return made;
}

core::TextFile* OutputFiles::Create(const std::string& path, core::FileMode mode, Kind kind) {
  if (failed_) return nullptr;
  const std::optional<std::string> target = TargetOf(path);
  if (!target) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    failed_ = true;
    return nullptr;
  }
  if (!Admit(path, *target)) {
    failed_ = true;
    return nullptr;
  }
  std::FILE* stream = nullptr;
  std::string staged;
  if (MakeStagingFolder(*target)) {
    staged = staging_ + "/" + std::to_string(files_.size());
    const int fd = open(staged.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    // A replaced file keeps its permissions; a new one gets those the
    // umask gives.
    struct stat old_info;
    if (fd >= 0 && stat(target->c_str(), &old_info) == 0) fchmod(fd, old_info.st_mode & 07777);
    if (fd >= 0 && (stream = fdopen(fd, "w+b")) == nullptr) close(fd);
  }
  if (stream == nullptr) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    if (!staged.empty()) unlink(staged.c_str());
    failed_ = true;
    return nullptr;
  }
  Staged& file = files_.emplace_back(
      Staged{.path = path,
             .target = *target,
             .staged = std::move(staged),
             .kind = kind,
             .file = core::TextFile(stream, mode != core::FileMode::kWriteBinary)});
  return &file.file;
}

bool OutputFiles::Finish(core::TextFile& file) {
  for (auto staged = files_.rbegin(); staged != files_.rend(); ++staged) {
    if (&staged->file != &file) continue;
    if (failed_) return false;
    if (!file.Sync() || !file.Close()) {
      ReportWriteError(staged->path);
      failed_ = true;
      return false;
    }
    staged->finished = true;
    finished_.push_back(&*staged);
    return true;
  }
  return false;
}

bool OutputFiles::Copy(const std::string& source, const std::string& destination, Kind kind) {
  if (failed_) return false;
  core::TextFile from = core::TextFile::Open(source, core::FileMode::kReadBinary);
  if (!from.IsOpen()) return false;
  std::error_code error;
  if (fs::equivalent(source, destination, error)) {
    Staged& file = files_.emplace_back(Staged{.path = destination,
                                              .target = destination,
                                              .staged = {},
                                              .kind = kind,
                                              .file = {},
                                              .finished = true});
    finished_.push_back(&file);
    return true;
  }
  core::TextFile* to = Create(destination, core::FileMode::kWriteBinary, kind);
  if (to == nullptr) return false;
  if (!CopyBytes(from, *to)) {
    ReportWriteError(destination);
    failed_ = true;
    return false;
  }
  return Finish(*to);
}

bool OutputFiles::MayCopyIntoSite(const std::string& source) {
  if (places_.Hold(source.c_str())) return true;
  const std::string resolved = ResolvedPath(source);
  if (core::Ask(core::FormatText("'%s' lies outside the project's folder. Copy it into the site?",
                                 resolved.c_str())
                    .c_str())) {
    return true;
  }
  core::ReportError(
      core::FormatText("'%s' lies outside the project's folder: not copied", resolved.c_str())
          .c_str());
  return false;
}

bool OutputFiles::Place(Staged& file) {
  if (file.staged.empty() || std::rename(file.staged.c_str(), file.target.c_str()) == 0) {
    return file.placed = true;
  }
  if (errno != EXDEV) return false;
  // A link or a folder on another file system: the file is copied over.
  core::TextFile from = core::TextFile::Open(file.staged, core::FileMode::kReadBinary);
  core::FileReplacement to(file.target, core::FileMode::kWriteBinary);
  if (!from.IsOpen() || !to.file().IsOpen() || !CopyBytes(from, to.file()) || !to.Commit()) {
    return false;
  }
  unlink(file.staged.c_str());
  return file.placed = true;
}

bool OutputFiles::Commit() {
  if (failed_ || finished_.empty()) return false;
  std::set<std::string> folders;
  for (const bool pages : {false, true}) {
    for (Staged* file : finished_) {
      if ((file->kind == Kind::kPage) != pages) continue;
      if (!Place(*file)) {
        ReportWriteError(file->path);
        failed_ = true;
        break;
      }
      folders.insert(FolderOf(file->target));
    }
    if (failed_) break;
  }
  // The renames themselves reach the disk.
  for (const std::string& folder : folders) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
  }
  Project& project = project::TheProject();
  const bool register_pages = (flags_ & VELLUM_GEN_NO_OUTPUT_LIST) == 0;
  for (const Staged* file : finished_) {
    if (!file->placed) continue;
    project::NoteWrittenFile(file->path.c_str());
    if (file->kind == Kind::kRegistered || (file->kind == Kind::kPage && register_pages)) {
      project::AddFile(project, file->path.c_str());
    }
    if (file->kind == Kind::kPage) {
      core::ReportInfo(core::FormatText("   Generate '%s' page\n", file->path.c_str()).c_str());
    }
  }
  return !failed_;
}

}  // namespace vellum::generate
