// The size of a GIF, PNG or JPEG picture read from the file's own structure,
// so that measuring the scheme pictures needs no image library. A file gets a
// size only when everything read on the way (for a GIF, the whole file) is as
// the format wants it; a truncated, unusual or unknown file gets none, and
// the caller asks ImageMagick instead. Where a size is given it is the one
// ImageMagick reads for the file: for a GIF that of the first frame, not of
// the logical screen; for a JPEG that of the frame header before the first
// scan.
#pragma once

#include <cstdint>
#include <optional>

namespace vellum::generate {

struct PictureSize {
  int32_t width;
  int32_t height;
};

// The size of the plain file at path when its name ends in .gif, .png, .jpg
// or .jpeg (any case) and its contents are one of those formats; none
// otherwise. Reads the file with bounded reads and never waits on a pipe.
std::optional<PictureSize> ReadPictureHeader(const char* path);

}  // namespace vellum::generate
