// The picture scheme of a page and the files it needs beside it: after a page
// is written, its background picture (and the scheme's pictures and scripts)
// are copied into the page's image folder. Copies overwrite and are silent:
// the page refers to the files whether or not they could be copied.
#pragma once

#include <vector>

#include "generate/image_scheme.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// The scheme the output type draws its pictures from, chosen by name; none
// for the output types that show no pictures.
const ImageScheme* FindScheme(int output_type, const char* name);

// Copies scheme folder + subfolder + file (joined as given) to dest_folder +
// "/" + (dest_name, or file when dest_name is absent), or to that name alone
// in the current folder when dest_folder is absent or empty. Overwrites; a
// file is never copied onto itself. False when the copy failed (unreported).
bool CopyResource(const ImageScheme& scheme, const char* dest_folder, const char* file,
                  const char* subfolder, const char* dest_name);

// Copies what the page written for settings needs into its image folder:
// the folder of an absolute OutputFile (else the current folder) joined with
// ImageFolder. letters are the index pictures that the page shows;
// register_files says whether copies that are published on their own go
// into the project's OutputList.
void CopyResources(const SiteMapSettings& settings, const ImageScheme* scheme,
                   const std::vector<const SchemePicture*>& letters, bool register_files);

}  // namespace vellum::generate
