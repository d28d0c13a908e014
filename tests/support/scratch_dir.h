// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vellum::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The full path of name inside the folder.
  std::string operator/(std::string_view name) const;

  // Writes bytes exactly as given (binary) and returns the full path.
  std::string Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// Makes folder the current one for the object's lifetime.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

// Makes a fresh scratch folder the current one for the object's lifetime.
class InScratchDir {
 public:
  InScratchDir() : current_(dir_.path()) {}
  const ScratchDir& dir() const { return dir_; }

 private:
  ScratchDir dir_;
  CurrentFolder current_;
};

// The bytes of a file, exactly as stored; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

}  // namespace vellum::test
