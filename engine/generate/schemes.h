// The picture schemes: the two built in (tree icons and index letters), the
// ones read at start-up from scheme files, and "index.scm" in the resource
// folder, which replaces the built-in letters. Every loaded picture is
// measured once, at load time.
//
// Scheme file syntax (the tokens and comments of the configuration file):
//   Type = 1                 1 tree pictures, 2 index pictures
//   Pict = "file.gif"        a picture with key 0 ("" gives one without file)
//   IPict = A, "a.gif"       a picture whose key is the word's first character
// A syntax error is reported through the info callback as
// "'<path>' - bad scheme (line <rule>)" and the file is not loaded.
#pragma once

#include "generate/image_scheme.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Loads the scheme files of files (full paths, in order) into the engine's
// table, keeping those that load; points the built-in schemes at the root
// folder's Resource/; and loads Resource/index.scm, when there is one, in
// place of the built-in letters. Replaces whatever an earlier call loaded.
void LoadSchemes(const CountedStringList& files);

// Releases every loaded scheme and returns the built-in schemes to their
// state before LoadSchemes. Safe to call at any time, and more than once.
void ReleaseSchemes();

// The scheme output_type draws with: the first loaded scheme of the type's
// kind (tree pictures for the trees, index pictures for the index page)
// named name (without regard to case), or the type's default when name is
// absent or empty or no scheme suits ("'<name>' - not found\n" through the
// info callback). The defaults: the built-in tree icons for the two trees,
// the index letters for the index page, none for every other type.
const ImageScheme* FindScheme(int output_type, const char* name);

// The built-in tree icons; their folder (the resource folder) also holds the
// tree scripts.
const ImageScheme& BuiltInIcons();

// The width and height of the picture at path: read by ReadPictureHeader,
// or else by ImageMagick, which the first such picture starts while the
// engine runs. False, with both 0, when it is not a plain, readable picture
// file (or ImageMagick would be needed and the engine is not running or its
// module cannot be loaded).
bool ReadImageSize(const char* path, int32_t& width, int32_t& height);

}  // namespace vellum::generate
