// Files in the two modes the engine has always used: text mode, where every
// "\n" written is stored as CR LF and every stored CR LF is read as "\n", and
// binary mode, where bytes pass unchanged. Every text file of the engine
// (projects, configuration, schemes, pages) goes through this one layer, so
// the stored bytes are the same on every platform.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace vellum::core {

enum class FileMode {
  kReadText,     // "r"
  kReadBinary,   // "rb"
  kWriteText,    // "w+": created or truncated
  kWriteBinary,  // "w+b": created or truncated
};

class TextFile {
 public:
  TextFile() = default;
  TextFile(std::FILE* stream, bool text) : stream_(stream), text_(text) {}
  TextFile(TextFile&& other) noexcept;
  TextFile& operator=(TextFile&& other) noexcept;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile();

  // Check IsOpen() for the outcome.
  static TextFile Open(const std::string& path, FileMode mode);

  bool IsOpen() const { return stream_ != nullptr; }

  // Stored size in bytes; the position is left at the start. -1 on failure.
  long StoredSize();

  // Reads up to size characters. In text mode a stored CR LF counts as one
  // "\n", so fewer characters than stored bytes may come back.
  std::size_t Read(char* buffer, std::size_t size);

  // True once a read or write met an error (reaching the end is none).
  bool Failed() const { return stream_ != nullptr && std::ferror(stream_) != 0; }

  // True when every byte was written (in text mode after the translation).
  bool Write(std::string_view bytes);

  // Hands buffered data to the system. False when it could not be written.
  bool Flush();

  // Flushes and waits until the system has stored the data on its device.
  bool Sync();

  // False when data still buffered could not be written.
  bool Close();

 private:
  std::FILE* stream_ = nullptr;
  bool text_ = false;
};

// Writes a new version of a file beside the old one and puts it in place only
// when it is complete and on the disk, so neither a failed write nor a crash
// leaves a truncated file. The new file keeps the old one's permissions; a
// file that did not exist gets those the umask gives. Without Commit the partial file
// is removed and the old one stays untouched. A symbolic link to a file is written
// through: the new version goes beside the file it names and replaces that file, and
// the link stays a link.
enum FilePermissions {
  kKeepPermissions,  // those of the old file, or those the umask gives a new one
  kOwnerOnly,        // read and write for the owner alone (0600)
};

class FileReplacement {
 public:
  // Check file().IsOpen() for the outcome.
  FileReplacement(const std::string& path, FileMode mode,
                  FilePermissions permissions = kKeepPermissions);
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement();

  TextFile& file() { return file_; }

  // Stores the new file, renames it over the old one and stores the rename.
  // False when writing or renaming fails; the old file is then untouched.
  bool Commit();

 private:
  std::string path_;
  std::string temporary_path_;
  TextFile file_;
};

}  // namespace vellum::core
