// The picture scheme of a page and the files it needs beside it: after a page
// is written, its background picture (and the scheme's pictures and scripts)
// are copied into the page's image folder. Copies overwrite and are silent:
// the page refers to the files whether or not they could be copied.
#pragma once

#include <vector>

#include "generate/image_scheme.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Copies scheme folder + subfolder + file (joined as given) to dest_folder +
// "/" + (dest_name, or file when dest_name is absent), or to that name alone
// in the current folder when dest_folder is absent or empty. Overwrites; a
// file is never copied onto itself. False when the copy failed (unreported).
bool CopyResource(const ImageScheme& scheme, const char* dest_folder, const char* file,
                  const char* subfolder, const char* dest_name);

// Copies what the page written for settings needs beside it. Into its image
// folder (the folder of an absolute OutputFile, else the current folder,
// joined with ImageFolder): the background picture; for the icon tree
// pictures 0 and 1 of scheme, for the script tree pictures 0 to 4; for the
// index page the pictures of letters (those the page shows). Into the page's
// own folder (that of an absolute OutputFile, else the current one): the
// script tree's two scripts, which register_files adds to the project's
// OutputList, under the paths of the copies. Pictures are not registered: an
// upload finds them through the pages.
void CopyResources(const SiteMapSettings& settings, const ImageScheme* scheme,
                   const std::vector<const SchemePicture*>& letters, bool register_files);

}  // namespace vellum::generate
