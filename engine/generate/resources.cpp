#include "generate/resources.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/text_utils.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;

std::string_view TextOrEmpty(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

// folder + "/" + name; the name alone for an empty folder (the current one).
std::string Join(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != '/' && joined.back() != '\\') joined += '/';
  joined += name;
  return joined;
}

// The folder the page's pictures go to: empty for the current folder.
std::string ImageFolderOf(const SiteMapSettings& settings) {
  std::string folder;
  if (core::IsAbsolutePath(settings.OutputFile)) {
    std::string_view page(settings.OutputFile);
    // The root folder keeps its separator: "/map.htm" lies in "/", not in "".
    folder = page.substr(0, std::max<std::size_t>(page.find_last_of("\\/"), 1));
  }
  if (settings.ImageFolder != nullptr && *settings.ImageFolder != '\0') {
    folder = Join(folder, settings.ImageFolder);
  }
  return folder;
}

bool CopyFile(const std::string& source, const std::string& destination) {
  std::error_code error;
  // copy_file refuses to copy a file onto itself, so a picture that already
  // lies in the image folder is left whole.
  return fs::copy_file(source, destination, fs::copy_options::overwrite_existing, error);
}

}  // namespace

const ImageScheme* FindScheme(int /*output_type*/, const char* /*name*/) {
  // No picture schemes are loaded yet: every output type is drawn without
  // one.
  return nullptr;
}

bool CopyResource(const ImageScheme& scheme, const char* dest_folder, const char* file,
                  const char* subfolder, const char* dest_name) {
  std::string source(TextOrEmpty(scheme.Folder));
  source += TextOrEmpty(subfolder);
  source += TextOrEmpty(file);
  return CopyFile(
      source, Join(TextOrEmpty(dest_folder), dest_name != nullptr ? dest_name : TextOrEmpty(file)));
}

void CopyResources(const SiteMapSettings& settings, const ImageScheme* /*scheme*/,
                   const std::vector<const SchemePicture*>& /*letters*/, bool /*register_files*/) {
  const std::string folder = ImageFolderOf(settings);
  std::error_code ignored;
  if (const char* background = settings.BackgroundImage;
      background != nullptr && *background != '\0') {
    if (!folder.empty()) fs::create_directories(folder, ignored);
    CopyFile(background, Join(folder, core::FileNamePart(background)));
  }
  // The pictures and scripts of a scheme: no scheme is loaded yet, so no
  // page refers to any.
}

}  // namespace vellum::generate
