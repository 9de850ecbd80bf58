#include "imaging/reading/BmpHeader.h"

#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old header: 16-bit sizes, no compression
constexpr std::uint32_t kInfoHeaderSize = 40;  // and every later one that extends it
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
// The longest run an RLE pair of 2 bytes can give.
constexpr std::int64_t kMostPixelsPerRleByte = 255 / 2 + 1;

std::uint32_t U16(const std::uint8_t* p) { return std::uint32_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

bool ValidCompression(std::uint32_t compression, std::uint32_t bits) {
  return compression == kRgb || (compression == kRle8 && bits == 8) ||
         (compression == kRle4 && bits == 4) ||
         (compression == kBitFields && (bits == 16 || bits == 32));
}

}  // namespace

FrameLayout BmpHeader::Read(const std::uint8_t* data, std::size_t size, const std::string& path,
                            std::int64_t maxPixels) {
  if (size < kFileHeaderSize + 4)
    throw PictureErrors::InvalidPicture(path, "the header is cut short");
  const std::uint32_t headerSize = U32(data + kFileHeaderSize);
  if (headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) {
    throw PictureErrors::InvalidPicture(
        path, "the header's size, " + std::to_string(headerSize) + " bytes, is not a BMP header's");
  }
  const std::size_t fields = headerSize == kCoreHeaderSize ? kCoreHeaderSize : kInfoHeaderSize;
  if (size < kFileHeaderSize + fields)
    throw PictureErrors::InvalidPicture(path, "the header is cut short");
  const std::uint8_t* header = data + kFileHeaderSize;
  std::int64_t width, height;
  std::uint32_t bits, compression = kRgb;
  if (headerSize == kCoreHeaderSize) {
    width = U16(header + 4), height = U16(header + 6), bits = U16(header + 10);
  } else {
    width = std::int32_t(U32(header + 4)), height = std::int32_t(U32(header + 8));
    bits = U16(header + 14), compression = U32(header + 16);
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    throw PictureErrors::InvalidPicture(
        path, "a BMP has 1, 4, 8, 16, 24 or 32 bits a pixel, not " + std::to_string(bits));
  }
  if (!ValidCompression(compression, bits)) {
    throw PictureErrors::InvalidPicture(path, "a BMP of " + std::to_string(bits) +
                                                  " bits a pixel has no compression " +
                                                  std::to_string(compression));
  }
  if (height < 0) height = -height;  // stored top row first
  PictureErrors::CheckSize(path, width, height, maxPixels);

  FrameLayout layout;
  layout.Width = layout.FrameWidth = std::int32_t(width);
  layout.Height = layout.FrameHeight = std::int32_t(height);
  layout.ReaderBytesPerPixel = bits <= 8 ? 1 : 4;
  // Whatever follows the headers, the palette included, counts as pixel
  // data: an upper bound, so no true file is taken for a short one.
  const std::int64_t dataBytes = std::int64_t(size) - std::int64_t(kFileHeaderSize + headerSize);
  if (compression == kRle8 || compression == kRle4) {
    layout.FileHoldsFrame = width * height <= kMostPixelsPerRleByte * dataBytes;
  } else {
    const std::int64_t stride = (width * bits + 31) / 32 * 4;
    layout.FileHoldsFrame = stride * height <= dataBytes;
  }
  return layout;
}

}  // namespace imaging::reading
