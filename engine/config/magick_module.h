// The image module: ImageMagick, for the pictures whose size the engine
// cannot read from the file itself, so that MagickCore and the libraries
// below it (GLib among them) are loaded only by a process that meets one.
#pragma once

#include <cstddef>

#include "core/module.h"

namespace vellum::config {

struct MagickModule {
  core::ModuleHeader header;
  static constexpr const char* kName = "magick";
  static constexpr uint32_t kVersion = 1;
  void (*genesis)();   // starts ImageMagick
  void (*terminus)();  // stops it
  // The columns and rows of the picture at path as ImageMagick pings it
  // (without decoding its pixels); both 0 when it cannot.
  void (*ping)(const char* path, std::size_t* columns, std::size_t* rows);
};

}  // namespace vellum::config
