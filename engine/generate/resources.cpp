#include "generate/resources.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/messages.h"
#include "core/text_utils.h"
#include "generate/schemes.h"

namespace vellum::generate {
namespace {

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

// Copies file of scheme's subfolder into dest_folder (the current folder
// when empty) among files.
void CopyResource(OutputFiles& files, const ImageScheme& scheme, const std::string& dest_folder,
                  const char* file, const char* subfolder, OutputFiles::Kind kind) {
  std::string source(TextOrEmpty(scheme.Folder));
  source += TextOrEmpty(subfolder);
  source += TextOrEmpty(file);
  files.Copy(source, Join(dest_folder, TextOrEmpty(file)), kind);
}

// The two scripts of the script tree, beside the page. Registered under the
// copy's path, in the form the page itself is registered in, so that an
// upload finds them where they were copied to.
void CopyScripts(const SiteMapSettings& settings, bool register_files, OutputFiles& files) {
  const std::string folder = PageFolderOf(settings);
  for (const char* script : {"tree0.js", "tree4.js"}) {
    CopyResource(files, BuiltInIcons(), folder, script, kScriptFolder,
                 register_files ? OutputFiles::Kind::kRegistered : OutputFiles::Kind::kResource);
  }
}

// The background picture, into the image folder. Its path comes from a
// project file, which may be someone else's: any file but a picture (a key,
// a document), or a file elsewhere on the disk, would be put into the site,
// even when the name is a link to it.
void CopyBackground(const char* background, const std::string& folder, OutputFiles& files) {
  if (!IsPictureFile(background) || !IsPictureFile(ResolvedPath(background).c_str())) {
    core::ReportInfo(
        core::FormatText("'%s' - not a picture file, not copied\n", background).c_str());
  } else if (files.MayCopyIntoSite(background)) {
    files.Copy(background, Join(folder, core::FileNamePart(background)),
               OutputFiles::Kind::kResource);
  }
}

}  // namespace

void CopyResources(const SiteMapSettings& settings, const ImageScheme* scheme,
                   const std::vector<const SchemePicture*>& letters, bool register_files,
                   bool html5, OutputFiles& files) {
  const std::string folder = ImageFolderOf(settings);
  if (const char* background = settings.BackgroundImage;
      background != nullptr && *background != '\0') {
    CopyBackground(background, folder, files);
  }
  if (scheme == nullptr) return;
  switch (settings.OutputType) {
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE: {
      const int pictures = settings.OutputType == VELLUM_OUTPUT_ICON_TREE ? 2 : 5;
      for (int i = 0; i < pictures; ++i) {
        const SchemePicture* picture = PictureAt(scheme, i);
        if (picture == nullptr || picture->File == nullptr) continue;
        if (html5 && settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE && i != 0 && i != 2) continue;
        // The open folder and the open toggle appear only when the scripts
        // swap them in: no reference in the page leads an upload to them,
        // so they are registered like the scripts.
        const bool registered = register_files &&
                                settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE &&
                                (i == 1 || i == 4);
        CopyResource(files, *scheme, folder, picture->File, kTreePictureFolder,
                     registered ? OutputFiles::Kind::kRegistered : OutputFiles::Kind::kResource);
      }
      if (settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE && !html5) {
        CopyScripts(settings, register_files, files);
      }
      break;
    }
    case VELLUM_OUTPUT_INDEX_PAGE:
      for (const SchemePicture* letter : letters) {
        if (letter->File != nullptr) {
          CopyResource(files, *scheme, folder, letter->File, kIndexPictureFolder,
                       OutputFiles::Kind::kResource);
        }
      }
      break;
    default:  // the other types show no scheme pictures
      break;
  }
}

}  // namespace vellum::generate
