#include "config/magick_module.h"

#include <magick/MagickCore.h>

#include <cstring>

namespace {

void Genesis() { MagickCoreGenesis("", MagickFalse); }

void Ping(const char* path, std::size_t* columns, std::size_t* rows) {
  *columns = *rows = 0;
  // A longer path would be cut, and name another file.
  if (std::strlen(path) >= MaxTextExtent) return;
  ExceptionInfo* exception = AcquireExceptionInfo();
  ImageInfo* info = AcquireImageInfo();
  CopyMagickString(info->filename, path, MaxTextExtent);
  if (Image* image = PingImage(info, exception); image != nullptr) {
    *columns = image->columns;
    *rows = image->rows;
    DestroyImageList(image);
  }
  DestroyImageInfo(info);
  DestroyExceptionInfo(exception);
}

}  // namespace

VELLUM_MODULE_ENTRY {
  static const vellum::config::MagickModule table = {
      vellum::core::HeaderOf<vellum::config::MagickModule>(), &Genesis, &MagickCoreTerminus, &Ping};
  return &table.header;
}
