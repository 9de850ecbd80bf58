#include "imaging/reading/GifHeader.h"

#include <algorithm>

#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

constexpr std::size_t kScreenDescriptor = 6;  // after "GIF89a"
constexpr std::size_t kFirstBlock = 13;
constexpr std::size_t kImageDescriptorSize = 10;  // ',' and nine bytes
constexpr std::int64_t kLongestLzwString = 4096;

std::uint32_t U16(const std::uint8_t* p) { return std::uint32_t(p[0] | p[1] << 8); }

void Put16(std::uint8_t* p, std::uint32_t value) {
  p[0] = std::uint8_t(value & 0xFF);
  p[1] = std::uint8_t(value >> 8);
}

// Bytes of a colour table announced by a flags byte; 0 when there is none.
std::size_t ColourTableBytes(std::uint8_t flags) {
  return (flags & 0x80) ? std::size_t(3) << ((flags & 7) + 1) : 0;
}

// Past the sub-blocks that start at `at` (each a length byte and that many
// bytes, a zero length ending them); adds their bytes to `total`.
std::size_t SkipSubBlocks(const std::uint8_t* data, std::size_t size, std::size_t at,
                          std::int64_t& total) {
  while (at < size && data[at] != 0) {
    total += data[at];
    at += 1 + std::size_t(data[at]);
  }
  return at + 1;
}

// The most pixels `bytes` of LZW data can give: every code takes at least
// minimum + 1 bits, and the j-th code after a clear gives at most j pixels
// (each table entry is one longer than an earlier one), never more than the
// longest string the 4096-entry table holds.
std::int64_t MostLzwPixels(std::int64_t bytes, int minimumCodeSize) {
  const std::int64_t codes = bytes * 8 / (std::max(minimumCodeSize, 1) + 1);
  const std::int64_t growing = std::min(codes, kLongestLzwString);
  return growing * (growing + 1) / 2 + (codes - growing) * kLongestLzwString;
}

// Where the first image descriptor (its ',') is; 0 when there is none.
std::size_t FirstFrame(const std::uint8_t* data, std::size_t size) {
  if (size < kFirstBlock) return 0;
  std::size_t at = kFirstBlock + ColourTableBytes(data[kScreenDescriptor + 4]);
  std::int64_t ignored = 0;
  while (at < size) {
    if (data[at] == ',') return at + kImageDescriptorSize <= size ? at : 0;
    if (data[at] != '!' || at + 2 > size) return 0;  // the trailer, or not a block
    at = SkipSubBlocks(data, size, at + 2, ignored);
  }
  return 0;
}

}  // namespace

FrameLayout GifHeader::Read(const std::uint8_t* data, std::size_t size, const std::string& path,
                            std::int64_t maxPixels) {
  const std::size_t frame = FirstFrame(data, size);
  if (frame == 0) throw PictureErrors::InvalidPicture(path, "the GIF holds no picture");
  FrameLayout layout;
  layout.FrameLeft = std::int32_t(U16(data + frame + 1));
  layout.FrameTop = std::int32_t(U16(data + frame + 3));
  layout.FrameWidth = std::int32_t(U16(data + frame + 5));
  layout.FrameHeight = std::int32_t(U16(data + frame + 7));
  if (layout.FrameWidth == 0 || layout.FrameHeight == 0) {
    throw PictureErrors::InvalidPicture(path, "the GIF's first frame has no pixels");
  }
  std::int64_t width = U16(data + kScreenDescriptor), height = U16(data + kScreenDescriptor + 2);
  if (width == 0) width = std::int64_t(layout.FrameLeft) + layout.FrameWidth;
  if (height == 0) height = std::int64_t(layout.FrameTop) + layout.FrameHeight;
  PictureErrors::CheckSize(path, width, height, maxPixels);
  layout.Width = std::int32_t(width);
  layout.Height = std::int32_t(height);

  std::size_t at = frame + kImageDescriptorSize + ColourTableBytes(data[frame + 9]);
  const int minimumCodeSize = at < size ? data[at] : 0;
  std::int64_t lzwBytes = 0;
  if (at < size) SkipSubBlocks(data, size, at + 1, lzwBytes);
  lzwBytes = std::min<std::int64_t>(lzwBytes, std::int64_t(size));
  layout.FileHoldsFrame = std::int64_t(layout.FrameWidth) * layout.FrameHeight <=
                          MostLzwPixels(lzwBytes, minimumCodeSize);
  layout.ReaderBytesPerPixel = 4;
  return layout;
}

void GifHeader::FitScreenToFirstFrame(std::uint8_t* data, std::size_t size) {
  const std::size_t frame = FirstFrame(data, size);
  if (frame == 0) return;
  std::copy(data + frame + 5, data + frame + 9, data + kScreenDescriptor);
  Put16(data + frame + 1, 0);
  Put16(data + frame + 3, 0);
}

}  // namespace imaging::reading
