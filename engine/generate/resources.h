// The files a page needs beside it: after a page is written, its background
// picture (and the scheme's pictures and scripts) are copied into the page's
// image folder.
#pragma once

#include <vector>

#include "generate/image_scheme.h"
#include "generate/output_files.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Copies what the page written for settings needs beside it, among files.
// Into its image folder (the folder of an absolute OutputFile, else the
// current folder, joined with ImageFolder): the background picture, when it
// is a picture file (links resolved) that files may copy into the site; for
// the icon tree pictures 0 and 1 of scheme, for the script tree pictures 0
// to 4; for the index page the pictures of letters (those the page shows).
// Into the page's own folder (that of an absolute OutputFile, else the
// current one): the script tree's two scripts, which register_files has
// registered under the paths of the copies. Pictures are not registered: an
// upload finds them through the pages. A file of the scheme that cannot be
// read is passed over: the page refers to it all the same. A page in HTML5
// markup (html5) draws its script tree with pictures 0 and 2 alone and
// carries its script inside it.
void CopyResources(const SiteMapSettings& settings, const ImageScheme* scheme,
                   const std::vector<const SchemePicture*>& letters, bool register_files,
                   bool html5, OutputFiles& files);

}  // namespace vellum::generate
