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
