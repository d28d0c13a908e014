#include "generate/resources.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/messages.h"
#include "core/text_utils.h"
#include "generate/schemes.h"
#include "project/project.h"

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

// The folder of an absolute page, where its scripts go; empty (the current
// folder) for a relative one, which is written in the current folder.
std::string PageFolderOf(const SiteMapSettings& settings) {
  if (!core::IsAbsolutePath(settings.OutputFile)) return {};
  std::string_view page(settings.OutputFile);
  // The root folder keeps its separator: "/map.htm" lies in "/", not in "".
  return std::string(page.substr(0, std::max<std::size_t>(page.find_last_of("\\/"), 1)));
}

// The folder the page's pictures go to: empty for the current folder.
std::string ImageFolderOf(const SiteMapSettings& settings) {
  std::string folder = PageFolderOf(settings);
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

// True when the name of the file at path ends in the extension of a picture
// format that browsers show as a background.
bool IsPictureFile(const char* path) {
  static constexpr std::string_view kExtensions[] = {".gif",  ".jpg", ".jpeg", ".png",
                                                     ".webp", ".bmp", ".ico",  ".avif"};
  const std::string_view name = core::FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  return std::any_of(std::begin(kExtensions), std::end(kExtensions), [&](std::string_view known) {
    return core::EqualsNoCase(name.substr(dot), known);
  });
}

// The two scripts of the script tree, beside the page.
void CopyScripts(const SiteMapSettings& settings, bool register_files) {
  const std::string folder = PageFolderOf(settings);
  for (const char* script : {"tree0.js", "tree4.js"}) {
    // Registered under the copy's path, in the form the page itself is
    // registered in, so that an upload finds it where it was copied to.
    if (register_files) project::AddFile(project::TheProject(), Join(folder, script).c_str());
    CopyResource(BuiltInIcons(), folder.c_str(), script, kScriptFolder, nullptr);
  }
}

}  // namespace

bool CopyResource(const ImageScheme& scheme, const char* dest_folder, const char* file,
                  const char* subfolder, const char* dest_name) {
  std::string source(TextOrEmpty(scheme.Folder));
  source += TextOrEmpty(subfolder);
  source += TextOrEmpty(file);
  return CopyFile(
      source, Join(TextOrEmpty(dest_folder), dest_name != nullptr ? dest_name : TextOrEmpty(file)));
}

void CopyResources(const SiteMapSettings& settings, const ImageScheme* scheme,
                   const std::vector<const SchemePicture*>& letters, bool register_files) {
  const std::string folder = ImageFolderOf(settings);
  std::error_code ignored;
  auto make_folder = [&] {
    if (!folder.empty()) fs::create_directories(folder, ignored);
  };
  if (const char* background = settings.BackgroundImage;
      background != nullptr && *background != '\0') {
    // The path comes from a project file, which may be someone else's: any
    // file but a picture (a key, a document) would be put into the site.
    if (IsPictureFile(background)) {
      make_folder();
      CopyFile(background, Join(folder, core::FileNamePart(background)));
    } else {
      core::ReportInfo(
          core::FormatText("'%s' - not a picture file, not copied\n", background).c_str());
    }
  }
  if (scheme == nullptr) return;
  switch (settings.OutputType) {
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE: {
      make_folder();
      const int pictures = settings.OutputType == VELLUM_OUTPUT_ICON_TREE ? 2 : 5;
      for (int i = 0; i < pictures; ++i) {
        const SchemePicture* picture = PictureAt(scheme, i);
        if (picture == nullptr || picture->File == nullptr) continue;
        CopyResource(*scheme, folder.c_str(), picture->File, kTreePictureFolder, nullptr);
        // The open folder and the open toggle appear only when the scripts
        // swap them in: no reference in the page leads an upload to them,
        // so they are registered like the scripts.
        if (register_files && settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE &&
            (i == 1 || i == 4)) {
          project::AddFile(project::TheProject(), Join(folder, picture->File).c_str());
        }
      }
      if (settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE) CopyScripts(settings, register_files);
      break;
    }
    case VELLUM_OUTPUT_INDEX_PAGE:
      make_folder();
      for (const SchemePicture* letter : letters) {
        if (letter->File != nullptr) {
          CopyResource(*scheme, folder.c_str(), letter->File, kIndexPictureFolder, nullptr);
        }
      }
      break;
    default:  // the other types show no scheme pictures
      break;
  }
}

}  // namespace vellum::generate
