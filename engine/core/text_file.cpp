#include "core/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <utility>

#include "core/signal_cleanup.h"

namespace vellum::core {

TextFile::TextFile(TextFile&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)), text_(other.text_) {}

TextFile& TextFile::operator=(TextFile&& other) noexcept {
  if (this != &other) {
    Close();
    stream_ = std::exchange(other.stream_, nullptr);
    text_ = other.text_;
  }
  return *this;
}

TextFile::~TextFile() { Close(); }

TextFile TextFile::Open(const std::string& path, FileMode mode) {
  // Only regular files: opening a FIFO or a device must never block or read
  // forever, whatever name a project or a page hands us.
  const bool reading = mode == FileMode::kReadText || mode == FileMode::kReadBinary;
  const int flags = reading ? O_RDONLY : O_RDWR | O_CREAT | O_TRUNC;
  int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return {};
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(fd);
    return {};
  }
  std::FILE* stream = fdopen(fd, reading ? "rb" : "w+b");
  if (stream == nullptr) {
    close(fd);
    return {};
  }
  return TextFile(stream, mode == FileMode::kReadText || mode == FileMode::kWriteText);
}

long TextFile::StoredSize() {
  if (std::fseek(stream_, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(stream_);
  if (std::fseek(stream_, 0, SEEK_SET) != 0) return -1;
  return size;
}

std::size_t TextFile::Read(char* buffer, std::size_t size) {
  std::size_t stored = std::fread(buffer, 1, size, stream_);
  if (!text_) return stored;
  // Each CR LF pair loses its CR: the bytes between two such CRs move down
  // in one piece. Bytes in front of the first CR stay where they are.
  const char* const end = buffer + stored;
  char* cr = static_cast<char*>(std::memchr(buffer, '\r', stored));
  if (cr == nullptr) return stored;
  char* out = cr;
  for (;;) {
    const char* run = cr + 1;  // the CR itself, unless a LF follows
    if (run == end) {
      // A CR at the end of the block: look at the next stored byte.
      int next = std::fgetc(stream_);
      if (next == '\n') {
        *out++ = '\n';
        return out - buffer;
      }
      if (next != EOF) std::ungetc(next, stream_);
      *out++ = '\r';
      return out - buffer;
    }
    if (*run != '\n') run = cr;
    cr = static_cast<char*>(std::memchr(cr + 1, '\r', end - (cr + 1)));
    const char* const run_end = cr != nullptr ? cr : end;
    std::memmove(out, run, run_end - run);
    out += run_end - run;
    if (cr == nullptr) return out - buffer;
  }
}

bool TextFile::Write(std::string_view bytes) {
  if (stream_ == nullptr) return false;
  if (!text_) return std::fwrite(bytes.data(), 1, bytes.size(), stream_) == bytes.size();
  while (!bytes.empty()) {
    std::size_t line_end = bytes.find('\n');
    std::string_view run = bytes.substr(0, line_end);
    if (std::fwrite(run.data(), 1, run.size(), stream_) != run.size()) return false;
    if (line_end == std::string_view::npos) break;
    if (std::fwrite("\r\n", 1, 2, stream_) != 2) return false;
    bytes.remove_prefix(line_end + 1);
  }
  return true;
}

bool TextFile::Flush() {
  return stream_ != nullptr && std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
}

bool TextFile::Sync() { return Flush() && fsync(fileno(stream_)) == 0; }

bool TextFile::Close() {
  if (stream_ == nullptr) return true;
  bool flushed = Flush();
  bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  return flushed && closed;
}

namespace {

// The file that a save to path replaces: path itself, or, when path is a
// symbolic link to a regular file, that file, so that the link stays and
// whatever else names the file sees the new version. A link that leads to
// nothing of the kind is replaced as a file would be.
std::string ReplacedPath(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  std::error_code error;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  if (error || !std::filesystem::is_regular_file(target, error)) return path;
  return target.string();
}

}  // namespace

FileReplacement::FileReplacement(const std::string& path, FileMode mode,
                                 FilePermissions permissions)
    : path_(ReplacedPath(path)) {
  // A file of its own beside the old one. Opened with the usual 0666, the
  // kernel applies the process's umask, so nothing here reads or changes it
  // (the umask is process-wide, and other threads may be creating files).
  // Named as mkstemp names them: the path, a dot and six random letters.
  static constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    std::string candidate = path_ + ".";
    for (int i = 0; i < 6; ++i) candidate += kLetters[seed() % kLetters.size()];
    fd = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
              permissions == kOwnerOnly ? 0600 : 0666);
    if (fd >= 0) {
      temporary_path_ = std::move(candidate);
      NoteForCleanup(CleanupSlot::kReplacement, temporary_path_.c_str());
    } else if (errno != EEXIST) {
      return;
    }
  }
  if (fd < 0) return;

  // A replaced file keeps its permissions.
  struct stat old_info;
  if (permissions == kKeepPermissions && stat(path_.c_str(), &old_info) == 0) {
    fchmod(fd, old_info.st_mode & 07777);
  }

  std::FILE* stream = fdopen(fd, "w+b");
  if (stream == nullptr) {
    close(fd);
    return;
  }
  file_ = TextFile(stream, mode != FileMode::kWriteBinary);
}

FileReplacement::~FileReplacement() {
  file_.Close();
  if (!temporary_path_.empty()) unlink(temporary_path_.c_str());
  NoteForCleanup(CleanupSlot::kReplacement, nullptr);
}

bool FileReplacement::Commit() {
  // The new bytes reach the disk before the name points at them, and the
  // rename itself is made durable, so a crash leaves the old file or the
  // new one, never an empty one.
  if (!file_.IsOpen() || !file_.Sync() || !file_.Close()) return false;
  if (std::rename(temporary_path_.c_str(), path_.c_str()) != 0) return false;
  temporary_path_.clear();
  NoteForCleanup(CleanupSlot::kReplacement, nullptr);
  const std::string folder = std::filesystem::path(path_).parent_path().string();
  int folder_fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    fsync(folder_fd);
    close(folder_fd);
  }
  return true;
}

}  // namespace vellum::core
