#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace imaging::pixels {

// The 40-byte bitmap information header that describes a 24-bit picture.
// A positive height means the rows are stored bottom row first.
struct BitmapInfoHeader {
  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 0;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "the header is laid out as in a BMP file");

// A bitmap that owns its pixel memory: 24 bits per pixel in the order blue,
// green, red, each row padded to a multiple of 4 bytes, memory row 0 the
// bottom row of the picture. The memory is zero (black) when made and never
// moves while the bitmap lives, so a pointer to it stays valid.
class DibBitmap {
 public:
  // The largest pixel block we agree to allocate. A picture of this size is
  // already far beyond anything a thumbnail maker needs.
  static constexpr std::int64_t kMaxBytes = std::int64_t{1} << 30;

  // Row stride in bytes for a width: width x 3 rounded up to a multiple of 4,
  // formed in 64 bits so that no 32-bit width can overflow it.
  static std::int64_t StrideFor(std::int32_t width);

  // A zero-filled bitmap, or nullptr whenever it cannot be made: a width or
  // height below 1, a block over kMaxBytes (a size beyond 32 bits included),
  // or memory refused. Never raises: callers decide what a refusal means.
  static std::unique_ptr<DibBitmap> Create(std::int32_t width, std::int32_t height);

  // Only Create makes bitmaps; the tag keeps the constructor to it.
  class CreateTag {
    friend class DibBitmap;
    CreateTag() = default;
  };
  DibBitmap(CreateTag, std::int32_t width, std::int32_t height, std::int32_t stride,
            std::unique_ptr<std::uint8_t[]> bits);

  DibBitmap(const DibBitmap&) = delete;
  DibBitmap& operator=(const DibBitmap&) = delete;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t Stride() const { return stride_; }
  std::size_t SizeInBytes() const { return std::size_t(stride_) * std::size_t(height_); }
  std::uint8_t* Bits() { return bits_.get(); }
  const std::uint8_t* Bits() const { return bits_.get(); }

  // The first byte of picture row y, counted from the top: the top row is
  // the last one in memory.
  std::uint8_t* RowFromTop(std::int32_t y) { return bits_.get() + MemoryOffsetOfRow(y); }
  const std::uint8_t* RowFromTop(std::int32_t y) const {
    return bits_.get() + MemoryOffsetOfRow(y);
  }

 private:
  std::size_t MemoryOffsetOfRow(std::int32_t y) const {
    assert(y >= 0 && y < height_);
    return std::size_t(height_ - 1 - y) * std::size_t(stride_);
  }

  std::int32_t width_;
  std::int32_t height_;
  std::int32_t stride_;
  std::unique_ptr<std::uint8_t[]> bits_;
};

}  // namespace imaging::pixels
