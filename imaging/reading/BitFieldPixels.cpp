#include "imaging/reading/BitFieldPixels.h"

#include <bit>
#include <cstdio>

#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

constexpr std::size_t kOffsetField = 10;
constexpr std::size_t kHeaderStart = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
// The red, green and blue masks follow the 40-byte header, whether after it
// (that header) or within it (the later ones); the alpha mask follows them
// in the headers of 56 bytes and more.
constexpr std::size_t kMasks = kHeaderStart + kInfoHeaderSize;
constexpr std::uint32_t kHeaderWithAlphaMask = 56;
constexpr std::uint32_t kBitFields = 3;

std::uint32_t U16(const std::uint8_t* p) { return std::uint32_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

}  // namespace

bool BitFieldPixels::Applies(const std::uint8_t* data, std::size_t size) {
  return size >= kMasks && U32(data + kHeaderStart) >= kInfoHeaderSize &&
         U32(data + kHeaderStart + 16) == kBitFields;
}

int BitFieldPixels::Field::Level(std::uint32_t pixel) const {
  const std::uint64_t value = (pixel & mask) >> shift;
  return int((value * 255 + largest / 2) / largest);
}

BitFieldPixels::Field BitFieldPixels::MaskField(std::uint32_t mask, int bits, const char* colour,
                                                const std::string& path) {
  Field field;
  field.mask = mask;
  field.shift = mask ? std::countr_zero(mask) : 0;
  const std::uint32_t run = mask >> field.shift;
  if (mask == 0 || (run & (run + 1)) != 0 || (bits < 32 && mask >> bits != 0)) {
    throw PictureErrors::InvalidPicture(path, std::string("the ") + colour + " mask, " + Hex(mask) +
                                                  ", is not one run of bits within " +
                                                  std::to_string(bits) + " bits a pixel");
  }
  field.largest = run;
  return field;
}

BitFieldPixels::BitFieldPixels(const std::uint8_t* data, std::size_t size,
                               const std::string& path) {
  const std::uint32_t headerSize = U32(data + kHeaderStart);
  const bool hasAlpha = headerSize >= kHeaderWithAlphaMask;
  if (size < kMasks + (hasAlpha ? 16 : 12)) {
    throw PictureErrors::InvalidPicture(path, "the colour masks are cut short");
  }
  width_ = std::int32_t(U32(data + kHeaderStart + 4));
  const std::int64_t height = std::int32_t(U32(data + kHeaderStart + 8));
  topDown_ = height < 0;
  height_ = std::int32_t(topDown_ ? -height : height);
  bits_ = int(U16(data + kHeaderStart + 14));
  red_ = MaskField(U32(data + kMasks), bits_, "red", path);
  green_ = MaskField(U32(data + kMasks + 4), bits_, "green", path);
  blue_ = MaskField(U32(data + kMasks + 8), bits_, "blue", path);
  if (hasAlpha && U32(data + kMasks + 12) != 0) {
    alpha_ = MaskField(U32(data + kMasks + 12), bits_, "alpha", path);
  }
  // The header's size was checked, so these hold without overflow.
  stride_ = (std::size_t(width_) * std::size_t(bits_) + 31) / 32 * 4;
  const std::size_t offset = U32(data + kOffsetField);
  if (offset > size || stride_ * std::size_t(height_) > size - offset) {
    throw PictureErrors::InvalidPicture(
        path, "the pixels, " + std::to_string(stride_ * std::size_t(height_)) +
                  " bytes from byte " + std::to_string(offset) + ", run past the file's " +
                  std::to_string(size) + " bytes");
  }
  pixels_ = data + offset;
}

QImage BitFieldPixels::Read() const {
  QImage image(width_, height_, alpha_.mask ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) return image;
  for (std::int32_t y = 0; y < height_; ++y) {
    const std::uint8_t* in = pixels_ + std::size_t(topDown_ ? y : height_ - 1 - y) * stride_;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::int32_t x = 0; x < width_; ++x) {
      const std::uint32_t pixel =
          bits_ == 16 ? U16(in + 2 * std::size_t(x)) : U32(in + 4 * std::size_t(x));
      out[x] = qRgba(red_.Level(pixel), green_.Level(pixel), blue_.Level(pixel),
                     alpha_.mask ? alpha_.Level(pixel) : 255);
    }
  }
  return image;
}

}  // namespace imaging::reading
