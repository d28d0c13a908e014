#include "generate/picture_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "core/text_utils.h"

namespace vellum::generate {
namespace {

// Larger sides are left to ImageMagick, whose resource limits decide them.
constexpr uint32_t kLargestSide = 8192;

using Bytes = const unsigned char*;

uint32_t LittleEndian16(Bytes p) { return p[0] | p[1] << 8; }
uint32_t BigEndian16(Bytes p) { return p[0] << 8 | p[1]; }
uint32_t BigEndian32(Bytes p) { return BigEndian16(p) << 16 | BigEndian16(p + 2); }

std::optional<PictureSize> Measured(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) {
    return std::nullopt;
  }
  return PictureSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

// An open file read front to back, never beyond the size it had when opened:
// a length field can ask for at most what is left.
class Input {
 public:
  Input(int file, uint64_t size) : file_(file), left_(size) {}

  uint64_t Left() const { return left_; }

  // Exactly count bytes; false when the file ends first.
  bool Read(unsigned char* to, std::size_t count) {
    if (count > left_) return false;
    left_ -= count;
    while (count > 0) {
      if (at_ == end_ && !Fill()) return false;
      const std::size_t part = std::min(count, end_ - at_);
      std::memcpy(to, buffer_.data() + at_, part);
      at_ += part;
      to += part;
      count -= part;
    }
    return true;
  }

  // The next byte, or -1 at the end.
  int Byte() {
    unsigned char byte;
    return Read(&byte, 1) ? byte : -1;
  }

  bool Skip(uint64_t count) {
    if (count > left_) return false;
    left_ -= count;
    const std::size_t buffered = end_ - at_;
    if (count <= buffered) {
      at_ += count;
      return true;
    }
    at_ = end_ = 0;
    return lseek(file_, static_cast<off_t>(count - buffered), SEEK_CUR) != -1;
  }

 private:
  bool Fill() {
    ssize_t got;
    do {
      got = read(file_, buffer_.data(), buffer_.size());
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;  // the file shrank
    at_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
  }

  int file_;
  uint64_t left_;
  std::array<unsigned char, 4096> buffer_;
  std::size_t at_ = 0;
  std::size_t end_ = 0;
};

// ---------------------------------------------------------------------------
// GIF: the header, the logical screen, then blocks up to the trailer. Every
// block is walked, because ImageMagick also reads each later frame and fails
// the whole file for one it cannot take.

constexpr int kGifExtension = '!';
constexpr int kGifImage = ',';
constexpr int kGifTrailer = ';';

uint64_t ColorTableBytes(unsigned char flags) {
  return (flags & 0x80) != 0 ? 3u << ((flags & 0x07) + 1) : 0;
}

// Skips data sub-blocks up to the empty one: 1 when there was data before
// it, 0 when not, -1 when the file ends first.
int SkipSubBlocks(Input& in) {
  for (int some = 0;; some = 1) {
    const int length = in.Byte();
    if (length < 0 || !in.Skip(static_cast<uint64_t>(length))) return -1;
    if (length == 0) return some;
  }
}

bool SkipExtension(Input& in) {
  const int label = in.Byte();
  // Plain text, graphic control, comment, application. ImageMagick takes
  // another label that happens to be ',' for an image, and reads an
  // application extension without data on into what follows.
  if (label != 0x01 && label != 0xF9 && label != 0xFE && label != 0xFF) return false;
  const int blocks = SkipSubBlocks(in);
  return blocks > 0 || (blocks == 0 && label != 0xFF);
}

std::optional<PictureSize> ReadGif(Input& in) {
  std::array<unsigned char, 6> signature;
  std::array<unsigned char, 7> screen;
  if (!in.Read(signature.data(), signature.size()) ||
      (std::memcmp(signature.data(), "GIF87a", 6) != 0 &&
       std::memcmp(signature.data(), "GIF89a", 6) != 0) ||
      !in.Read(screen.data(), screen.size()) || !in.Skip(ColorTableBytes(screen[4]))) {
    return std::nullopt;
  }
  std::optional<PictureSize> first;
  for (;;) {
    const int introducer = in.Byte();
    if (introducer == kGifTrailer) return first;
    if (introducer == kGifExtension) {
      if (!SkipExtension(in)) return std::nullopt;
      continue;
    }
    std::array<unsigned char, 9> descriptor;
    if (introducer != kGifImage || !in.Read(descriptor.data(), descriptor.size())) {
      return std::nullopt;
    }
    const auto size = Measured(LittleEndian16(&descriptor[4]), LittleEndian16(&descriptor[6]));
    if (!size || !in.Skip(ColorTableBytes(descriptor[8]))) return std::nullopt;
    const int code_size = in.Byte();
    if (code_size < 2 || code_size > 8 || SkipSubBlocks(in) < 0) return std::nullopt;
    if (!first) first = size;
  }
}

// ---------------------------------------------------------------------------
// PNG: the signature, the header chunk, then chunks up to the first image
// data, each with its checksum. Before the image data only the palette may be
// a critical chunk.

constexpr std::array<unsigned char, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kLargestChunk = 0x7FFFFFFF;
constexpr int kPaletteColor = 3;
// ImageMagick refuses shorter files.
constexpr uint64_t kShortestPng = 61;

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsChunkType(Bytes type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// Reads the rest of a chunk whose length and type are in head, and checks
// its checksum.
bool ReadCheckedChunk(Input& in, Bytes head) {
  uLong crc = crc32(0, head + 4, 4);
  std::array<unsigned char, 1024> part;
  for (uint32_t left = BigEndian32(head); left > 0;) {
    const auto count = static_cast<uInt>(std::min<uint32_t>(left, part.size()));
    if (!in.Read(part.data(), count)) return false;
    crc = crc32(crc, part.data(), count);
    left -= count;
  }
  std::array<unsigned char, 4> stored;
  return in.Read(stored.data(), stored.size()) && BigEndian32(stored.data()) == crc;
}

bool IsValidDepth(int color, int depth) {
  switch (color) {
    case 0:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPaletteColor:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

bool IsValidPalette(int color, int depth, uint32_t length) {
  if ((color & 2) == 0 || length == 0 || length % 3 != 0) return false;  // gray has none
  const uint32_t entries = color == kPaletteColor ? 1u << depth : 256;
  return length / 3 <= entries;
}

std::optional<PictureSize> ReadPng(Input& in) {
  std::array<unsigned char, 8> signature;
  std::array<unsigned char, 8 + 13> header;
  if (in.Left() < kShortestPng || !in.Read(signature.data(), signature.size()) ||
      signature != kPngSignature || !in.Read(header.data(), 8) ||
      BigEndian32(header.data()) != 13 || !IsChunkType(&header[4], "IHDR")) {
    return std::nullopt;
  }
  std::array<unsigned char, 4> stored;
  if (!in.Read(&header[8], 13) || !in.Read(stored.data(), stored.size()) ||
      BigEndian32(stored.data()) != crc32(0, &header[4], 4 + 13)) {
    return std::nullopt;
  }
  const auto size = Measured(BigEndian32(&header[8]), BigEndian32(&header[12]));
  const int depth = header[16], color = header[17];
  if (!size || !IsValidDepth(color, depth) || header[18] != 0 || header[19] != 0 ||
      header[20] > 1) {
    return std::nullopt;
  }
  bool has_palette = false;
  for (;;) {
    std::array<unsigned char, 8> head;
    if (!in.Read(head.data(), head.size()) || BigEndian32(head.data()) > kLargestChunk ||
        !std::all_of(&head[4], &head[8], IsLetter)) {
      return std::nullopt;
    }
    const Bytes type = &head[4];
    const uint32_t length = BigEndian32(head.data());
    if (IsChunkType(type, "IDAT")) {
      if (color == kPaletteColor && !has_palette) return std::nullopt;
      return in.Skip(uint64_t{length} + 4) ? size : std::nullopt;
    }
    const bool critical = (type[0] & 0x20) == 0;
    if (critical) {
      if (!IsChunkType(type, "PLTE") || has_palette || !IsValidPalette(color, depth, length)) {
        return std::nullopt;
      }
      has_palette = true;
    }
    if (!ReadCheckedChunk(in, head.data())) return std::nullopt;
  }
}

// ---------------------------------------------------------------------------
// JPEG: markers from the start of the image to the first scan, the tables
// among them checked as the JPEG library checks them before it gives a size.

// The marker codes read here (each behind 0xFF).
enum JpegMarker : int {
  kSof0 = 0xC0,  // the first of the frame headers, whose codes run to 0xCF
  kDht = 0xC4,
  kJpg = 0xC8,
  kDac = 0xCC,
  kSos = 0xDA,
  kDqt = 0xDB,
  kDri = 0xDD,
  kApp0 = 0xE0,
  kApp13 = 0xED,
  kApp15 = 0xEF,
  kCom = 0xFE,
};

// ImageMagick refuses shorter files.
constexpr uint64_t kShortestJpeg = 107;

struct JpegFrame {
  PictureSize size;
  int component_count;
  std::array<int, 4> component_ids;
};

bool IsFrameMarker(int code) {
  return code >= kSof0 && code <= kSof0 + 15 && code != kDht && code != kJpg && code != kDac;
}

// Baseline, extended and progressive, Huffman or arithmetic coded; the JPEG
// library refuses the other processes.
bool IsDecodedProcess(int code) {
  const int process = code - kSof0;
  return process == 0 || process == 1 || process == 2 || process == 9 || process == 10;
}

// The frame header: 8-bit samples, 1, 3 or 4 components with distinct
// identifiers and sampling factors from 1 to 4.
std::optional<JpegFrame> ReadFrame(Input& in, uint32_t length) {
  std::array<unsigned char, 6 + 3 * 4> body;
  if (length < 6 || length > body.size() || !in.Read(body.data(), length) || body[0] != 8) {
    return std::nullopt;
  }
  JpegFrame frame{{}, body[5], {}};
  const int count = frame.component_count;
  if ((count != 1 && count != 3 && count != 4) || length != 6u + 3u * count) return std::nullopt;
  for (int i = 0; i < count; ++i) {
    const Bytes component = &body[6 + 3 * i];
    const int across = component[1] >> 4, down = component[1] & 0x0F;
    if (across < 1 || across > 4 || down < 1 || down > 4 || component[2] > 3) return std::nullopt;
    const auto ids_end = frame.component_ids.begin() + i;
    if (std::find(frame.component_ids.begin(), ids_end, component[0]) != ids_end) {
      return std::nullopt;
    }
    frame.component_ids[i] = component[0];
  }
  const auto size = Measured(BigEndian16(&body[3]), BigEndian16(&body[1]));
  if (!size) return std::nullopt;
  frame.size = *size;
  return frame;
}

// The start of the first scan: 1 to 4 distinct components of the frame.
bool ReadScanHeader(Input& in, uint32_t length, const JpegFrame& frame) {
  std::array<unsigned char, 1 + 2 * 4 + 3> body;
  if (length < 1 || length > body.size() || !in.Read(body.data(), length)) return false;
  const int count = body[0];
  if (count < 1 || count > frame.component_count || length != 4u + 2u * count) return false;
  std::array<bool, 4> taken{};
  for (int i = 0; i < count; ++i) {
    const auto ids_end = frame.component_ids.begin() + frame.component_count;
    const auto found = std::find(frame.component_ids.begin(), ids_end, body[1 + 2 * i]);
    if (found == ids_end || taken[found - frame.component_ids.begin()]) return false;
    taken[found - frame.component_ids.begin()] = true;
  }
  return true;
}

// Huffman tables: each a class and number, 16 counts, then as many values.
bool ReadHuffmanTables(Input& in, uint32_t length) {
  while (length > 0) {
    std::array<unsigned char, 17> head;
    if (length < head.size() || !in.Read(head.data(), head.size())) return false;
    length -= head.size();
    uint32_t values = 0;
    for (std::size_t i = 1; i < head.size(); ++i) values += head[i];
    if ((head[0] >> 4) > 1 || (head[0] & 0x0F) > 3 || values > 256 || values > length ||
        !in.Skip(values)) {
      return false;
    }
    length -= values;
  }
  return true;
}

// Quantization tables: each a precision and number, then 64 entries of 8 or
// 16 bits.
bool ReadQuantizationTables(Input& in, uint32_t length) {
  while (length > 0) {
    const int head = in.Byte();
    if (head < 0 || (head >> 4) > 1 || (head & 0x0F) > 3) return false;
    const uint32_t table = 1 + 64 * ((head >> 4) + 1);
    if (table > length || !in.Skip(table - 1)) return false;
    length -= table;
  }
  return true;
}

// A segment the JPEG library or ImageMagick reads without a check that could
// fail. ImageMagick's reader of Photoshop segments stops short inside some
// small lengths, leaving the rest to be read as markers.
bool SkipPlainSegment(Input& in, int code, uint32_t length) {
  const bool application = code >= kApp0 && code <= kApp15;
  if (!application && code != kCom) return false;
  if (code == kApp13 && length > 14 && length < 22) return false;
  return in.Skip(length);
}

std::optional<PictureSize> ReadJpeg(Input& in) {
  if (in.Left() < kShortestJpeg || in.Byte() != 0xFF || in.Byte() != 0xD8) return std::nullopt;
  std::optional<JpegFrame> frame;
  for (;;) {
    // A marker: 0xFF, maybe more 0xFF to fill, then the code.
    if (in.Byte() != 0xFF) return std::nullopt;
    int code;
    do {
      code = in.Byte();
    } while (code == 0xFF);
    std::array<unsigned char, 2> length_field;
    if (code < 0 || !in.Read(length_field.data(), length_field.size())) return std::nullopt;
    const uint32_t declared = BigEndian16(length_field.data());
    if (declared < 2) return std::nullopt;
    const uint32_t length = declared - 2;
    if (code == kSos) {
      if (!frame || !ReadScanHeader(in, length, *frame)) return std::nullopt;
      return frame->size;
    }
    bool read;
    if (IsFrameMarker(code)) {
      if (frame || !IsDecodedProcess(code)) return std::nullopt;
      frame = ReadFrame(in, length);
      read = frame.has_value();
    } else if (code == kDht) {
      read = ReadHuffmanTables(in, length);
    } else if (code == kDqt) {
      read = ReadQuantizationTables(in, length);
    } else if (code == kDri) {
      read = length == 2 && in.Skip(length);
    } else {
      read = SkipPlainSegment(in, code, length);
    }
    if (!read) return std::nullopt;
  }
}

// ---------------------------------------------------------------------------

enum class Format { kNone, kGif, kPng, kJpeg };

// Whether path's name ends in one of the three formats' endings. With these
// ImageMagick goes by the contents, as this reader does; some other endings
// it trusts over the contents.
bool HasPictureEnding(std::string_view path) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string_view::npos || path[dot] != '.') return false;
  const std::string_view ending = path.substr(dot + 1);
  return core::EqualsNoCase(ending, "gif") || core::EqualsNoCase(ending, "png") ||
         core::EqualsNoCase(ending, "jpg") || core::EqualsNoCase(ending, "jpeg");
}

Format FormatOf(Bytes start, std::size_t count) {
  const auto starts = [&](std::string_view magic) {
    return count >= magic.size() && std::memcmp(start, magic.data(), magic.size()) == 0;
  };
  if (starts("GIF8")) return Format::kGif;
  if (starts("\x89PNG")) return Format::kPng;
  if (starts("\xFF\xD8\xFF")) return Format::kJpeg;
  return Format::kNone;
}

}  // namespace

std::optional<PictureSize> ReadPictureHeader(const char* path) {
  if (!HasPictureEnding(path)) return std::nullopt;
  // Not blocking: a pipe put where the picture was must not stop the reader.
  const int file = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (file < 0) return std::nullopt;
  struct stat info;
  std::optional<PictureSize> size;
  std::array<unsigned char, 4> start;
  if (fstat(file, &info) == 0 && S_ISREG(info.st_mode) &&
      pread(file, start.data(), start.size(), 0) == static_cast<ssize_t>(start.size())) {
    Input in(file, static_cast<uint64_t>(info.st_size));
    switch (FormatOf(start.data(), start.size())) {
      case Format::kGif:
        size = ReadGif(in);
        break;
      case Format::kPng:
        size = ReadPng(in);
        break;
      case Format::kJpeg:
        size = ReadJpeg(in);
        break;
      case Format::kNone:
        break;
    }
  }
  close(file);
  return size;
}

}  // namespace vellum::generate
