// A picture scheme: a named set of pictures in a folder, from which the tree
// and index outputs draw their pictures. The engine's configuration holds the
// table of loaded schemes (EngineConfig::Schemes); this completes the record
// that the public header only names.
#pragma once

#include <cstdint>

#include "vellum/vellum.h"

// One picture of a scheme.
struct SchemePicture {
  int32_t Key;       // 0 for tree pictures, a character for index letters, -1 for "other"
  const char* File;  // relative to the scheme's picture subfolder; may be absent
  int32_t Height;    // pixels; 0 when the picture could not be read
  int32_t Width;
};

struct ImageScheme {
  const char* Name;    // the scheme file's name up to its first "."
  const char* Folder;  // the scheme file's folder, ending in a separator
  int32_t Type;        // 1 tree pictures, 2 index pictures, -1 not given
  int32_t Count;
  SchemePicture* Pictures;
};

namespace vellum::generate {

// Scheme types, as a scheme file's "Type" entry gives them.
inline constexpr int32_t kTreeScheme = 1;
inline constexpr int32_t kIndexScheme = 2;

// The key of the index picture that heads the names no letter picture takes.
inline constexpr int32_t kOtherKey = -1;

// The subfolders of a scheme's folder, each with its final separator: the
// pictures of tree schemes, those of index schemes, and (in the built-in
// schemes' folder only) the tree scripts.
inline constexpr const char* kTreePictureFolder = "img/";
inline constexpr const char* kIndexPictureFolder = "Index/";
inline constexpr const char* kScriptFolder = "Script/";

// Picture index of scheme, or null when the scheme holds fewer pictures:
// a short scheme draws without the pictures it lacks.
inline const SchemePicture* PictureAt(const ImageScheme* scheme, int index) {
  if (scheme == nullptr || index < 0 || index >= scheme->Count) return nullptr;
  return &scheme->Pictures[index];
}

}  // namespace vellum::generate
