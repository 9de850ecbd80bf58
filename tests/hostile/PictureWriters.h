#pragma once

// Writers of picture files as they are laid out byte by byte, so that every
// field can be made to lie: BMP headers and rows, GIF blocks and LZW codes,
// JPEG segments cut out of or put into a good file.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

inline void Put16(std::string& out, std::uint32_t value) {
  out += char(value & 0xFF);
  out += char((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// ---- BMP ----

// A BMP file with a 40-byte information header (12 for the old core header).
// Fields left at -1 are filled in with their true values.
struct Bmp {
  std::int32_t width = 4;
  std::int32_t height = 3;  // negative: rows stored top row first
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  std::uint32_t headerSize = 40;
  std::uint32_t paletteEntries = 0;  // written, 4 bytes each, grey levels
  std::string pixels;                // the rows or RLE data as stored
  std::int64_t fileSizeField = -1;
  std::int64_t offsetField = -1;
  // Bit fields: the red, green, blue masks, after a 40-byte header, and the
  // alpha mask too within a longer one.
  std::uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0};
};

inline std::string BmpFile(const Bmp& bmp) {
  std::string palette;
  for (std::uint32_t i = 0; i < bmp.paletteEntries; ++i) {
    const char level = char(i * 255 / std::max<std::uint32_t>(bmp.paletteEntries - 1, 1));
    palette += {level, level, level, '\0'};
  }
  std::string masks;
  for (std::uint32_t mask : bmp.masks) Put32(masks, mask);
  if (bmp.compression == 3 && bmp.headerSize == 40) {
    palette = masks.substr(0, 12);  // the three colour masks stand where a palette would
  }
  const std::uint32_t offset = 14 + bmp.headerSize + std::uint32_t(palette.size());
  std::string out = "BM";
  Put32(out,
        std::uint32_t(bmp.fileSizeField >= 0 ? bmp.fileSizeField : offset + bmp.pixels.size()));
  Put32(out, 0);
  Put32(out, std::uint32_t(bmp.offsetField >= 0 ? bmp.offsetField : offset));
  Put32(out, bmp.headerSize);
  if (bmp.headerSize == 12) {
    Put16(out, std::uint32_t(bmp.width));
    Put16(out, std::uint32_t(bmp.height));
    Put16(out, 1);
    Put16(out, bmp.bitCount);
  } else {
    Put32(out, std::uint32_t(bmp.width));
    Put32(out, std::uint32_t(bmp.height));
    Put16(out, 1);
    Put16(out, bmp.bitCount);
    Put32(out, bmp.compression);
    Put32(out, std::uint32_t(bmp.pixels.size()));
    Put32(out, 2835), Put32(out, 2835);
    Put32(out, bmp.paletteEntries), Put32(out, 0);
    out.resize(14 + bmp.headerSize, '\0');  // later header versions: their fields zero
    if (bmp.compression == 3 && bmp.headerSize > 40) {
      out.replace(14 + 40, std::min<std::size_t>(16, bmp.headerSize - 40),
                  masks.substr(0, std::min<std::size_t>(16, bmp.headerSize - 40)));
    }
  }
  return out + palette + bmp.pixels;
}

// Uncompressed rows as stored, each padded to 4 bytes; row r (in storage
// order) is filled with the byte value(r).
template <typename Value>
std::string BmpRows(std::int32_t width, std::int32_t rows, int bitCount, Value value) {
  const std::size_t stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
  std::string out;
  for (std::int32_t r = 0; r < rows; ++r) out += std::string(stride, char(value(r)));
  return out;
}

// ---- GIF ----

struct GifFrame {
  int left = 0, top = 0, width = 1, height = 1;
  int minCodeSize = 2;
  std::string lzw;  // the image data, cut into sub-blocks when written
};

struct Gif {
  int screenWidth = 1, screenHeight = 1;
  bool globalTable = true;  // 4 colours: black, white, red, blue
  std::vector<GifFrame> frames;
};

// Codes of a fixed width, packed from the lowest bit as GIF packs them.
inline std::string PackCodes(const std::vector<int>& codes, int bits) {
  std::string out;
  std::uint32_t accumulator = 0;
  int held = 0;
  for (int code : codes) {
    accumulator |= std::uint32_t(code) << held;
    held += bits;
    while (held >= 8) {
      out += char(accumulator & 0xFF);
      accumulator >>= 8;
      held -= 8;
    }
  }
  if (held > 0) out += char(accumulator & 0xFF);
  return out;
}

// Colour indices with a minimum code size of 2, sent as literals with a
// clear code before every two, so every code stays 3 bits wide.
inline std::string LzwLiterals(const std::vector<int>& indices) {
  std::vector<int> codes;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 2 == 0) codes.push_back(4);
    codes.push_back(indices[i]);
  }
  codes.push_back(5);
  return PackCodes(codes, 3);
}

inline std::string GifFile(const Gif& gif) {
  std::string out = "GIF89a";
  Put16(out, std::uint32_t(gif.screenWidth));
  Put16(out, std::uint32_t(gif.screenHeight));
  out += char(gif.globalTable ? 0x81 : 0x00);
  out += '\0', out += '\0';
  if (gif.globalTable) out += std::string("\0\0\0\xFF\xFF\xFF\xFF\0\0\0\0\xFF", 12);
  for (const GifFrame& frame : gif.frames) {
    out += ',';
    Put16(out, std::uint32_t(frame.left)), Put16(out, std::uint32_t(frame.top));
    Put16(out, std::uint32_t(frame.width)), Put16(out, std::uint32_t(frame.height));
    out += '\0';
    out += char(frame.minCodeSize);
    for (std::size_t at = 0; at < frame.lzw.size(); at += 255) {
      const std::string block = frame.lzw.substr(at, 255);
      out += char(block.size());
      out += block;
    }
    out += '\0';
  }
  return out + ";";
}

// ---- JPEG ----

// Where each marker of a JPEG file starts, up to and including its first
// start of scan.
inline std::vector<std::size_t> JpegMarkerOffsets(const std::string& jpeg) {
  std::vector<std::size_t> offsets{0};
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && std::uint8_t(jpeg[at]) == 0xFF) {
    offsets.push_back(at);
    if (std::uint8_t(jpeg[at + 1]) == 0xDA) break;
    at += 2 + (std::size_t(std::uint8_t(jpeg[at + 2])) << 8 | std::uint8_t(jpeg[at + 3]));
  }
  return offsets;
}

// The file with its frame header claiming another size.
inline std::string WithJpegSize(std::string jpeg, int width, int height) {
  for (std::size_t at : JpegMarkerOffsets(jpeg)) {
    const std::uint8_t marker = std::uint8_t(jpeg[at + 1]);
    if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2) continue;
    jpeg[at + 5] = char(height >> 8), jpeg[at + 6] = char(height & 0xFF);
    jpeg[at + 7] = char(width >> 8), jpeg[at + 8] = char(width & 0xFF);
  }
  return jpeg;
}

// Comment segments of `bytes` in all put right after the start marker: a
// file as large as a true one of its declared size, with no more pixels.
inline std::string WithComments(const std::string& jpeg, std::size_t bytes) {
  std::string comments;
  while (comments.size() < bytes) {
    const std::size_t length = std::min<std::size_t>(bytes - comments.size(), 65000);
    comments += "\xFF\xFE";
    comments += char((length + 2) >> 8);
    comments += char((length + 2) & 0xFF);
    comments += std::string(length, 'c');
  }
  return jpeg.substr(0, 2) + comments + jpeg.substr(2);
}

// A little-endian TIFF block whose first directory is said to lie at
// `directory` (and does, when that is within 4 KB), holding `entries`
// orientation entries (at most 4 written), then the next one's offset.
inline std::string TiffBlock(std::uint32_t directory, std::uint16_t entries,
                             std::uint32_t nextDirectory) {
  std::string tiff = "II*";
  tiff += '\0';
  Put32(tiff, directory);
  if (directory < 4096) tiff.resize(std::max<std::size_t>(tiff.size(), directory), '\0');
  Put16(tiff, entries);
  for (int i = 0; i < std::min<int>(entries, 4); ++i) {
    Put16(tiff, 0x0112), Put16(tiff, 3), Put32(tiff, 1), Put16(tiff, 6), Put16(tiff, 0);
  }
  Put32(tiff, nextDirectory);
  return tiff;
}

}  // namespace hostile
