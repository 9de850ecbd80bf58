#include "imaging/pixels/DrawingSurface.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "imaging/pixels/AreaAverageStretch.h"
#include "imaging/pixels/DibBitmap.h"

namespace imaging::pixels {

namespace {

// A rectangle in one bitmap's top-down pixel coordinates, wide enough that
// clipping arithmetic on any 32-bit input cannot overflow.
struct Span {
  std::int64_t start;
  std::int64_t length;
};

// Address of pixel (x, y), y counted from the top; both inside the bitmap.
std::uint8_t* PixelAt(DibBitmap& bitmap, std::int64_t x, std::int64_t y) {
  return bitmap.RowFromTop(std::int32_t(y)) + 3 * x;
}

bool UsesSource(RasterOperation rop) {
  return rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
}

bool IsKnown(RasterOperation rop) {
  switch (rop) {
    case SRCCOPY:
    case SRCPAINT:
    case SRCAND:
    case SRCINVERT:
    case NOTSRCCOPY:
    case DSTINVERT:
    case BLACKNESS:
    case WHITENESS:
      return true;
  }
  return false;
}

std::uint8_t Combine(RasterOperation rop, std::uint8_t target, std::uint8_t source) {
  switch (rop) {
    case SRCCOPY:
      return source;
    case SRCPAINT:
      return target | source;
    case SRCAND:
      return target & source;
    case SRCINVERT:
      return target ^ source;
    case NOTSRCCOPY:
      return std::uint8_t(~source);
    case DSTINVERT:
      return std::uint8_t(~target);
    case BLACKNESS:
      return 0;
    case WHITENESS:
      return 255;
  }
  return target;
}

// Shrinks a run so that both its target and its source part lie inside
// [0, limit) on their own sides; the two starts move together.
void ClipPair(std::int64_t& target, std::int64_t& source, std::int64_t& length,
              std::int64_t targetLimit, std::int64_t sourceLimit) {
  const std::int64_t skip = std::max({std::int64_t{0}, -target, -source});
  target += skip;
  source += skip;
  length -= skip;
  length = std::min({length, targetLimit - target, sourceLimit - source});
}

}  // namespace

DibBitmap* DrawingSurface::SelectObject(DibBitmap* bitmap) {
  return std::exchange(bitmap_, bitmap);
}

std::int32_t DrawingSurface::Width() const { return bitmap_ ? bitmap_->Width() : 0; }

std::int32_t DrawingSurface::Height() const { return bitmap_ ? bitmap_->Height() : 0; }

bool DrawingSurface::BitBlt(std::int32_t destLeft, std::int32_t destTop, std::int32_t width,
                            std::int32_t height, const DrawingSurface* source, std::int32_t srcLeft,
                            std::int32_t srcTop, RasterOperation rop) {
  if (!bitmap_ || !IsKnown(rop) || width < 0 || height < 0) return false;
  const bool withSource = UsesSource(rop);
  if (withSource && (!source || !source->bitmap_)) return false;
  std::int64_t x = destLeft, y = destTop, sx = srcLeft, sy = srcTop, w = width, h = height;
  if (withSource) {
    ClipPair(x, sx, w, Width(), source->Width());
    ClipPair(y, sy, h, Height(), source->Height());
  } else {
    ClipPair(x, sx, w, Width(), std::int64_t{1} << 40);
    ClipPair(y, sy, h, Height(), std::int64_t{1} << 40);
  }
  if (w <= 0 || h <= 0) return true;

  // Source rows are taken one at a time into a row buffer, so copying within
  // one bitmap gives the same result as copying from another.
  std::vector<std::uint8_t> sourceRow(std::size_t(w * 3));
  const bool sameBitmap = withSource && source->bitmap_ == bitmap_;
  for (std::int64_t row = 0; row < h; ++row) {
    // Overlapping copies downwards walk from the bottom, so each source row
    // is read before it is overwritten.
    const std::int64_t r = (sameBitmap && y > sy) ? h - 1 - row : row;
    if (withSource) {
      const std::uint8_t* from = PixelAt(*source->bitmap_, sx, sy + r);
      std::copy(from, from + w * 3, sourceRow.begin());
    }
    std::uint8_t* to = PixelAt(*bitmap_, x, y + r);
    for (std::int64_t i = 0; i < w * 3; ++i) to[i] = Combine(rop, to[i], sourceRow[std::size_t(i)]);
  }
  return true;
}

bool DrawingSurface::StretchBltHalftone(std::int32_t destLeft, std::int32_t destTop,
                                        std::int32_t destWidth, std::int32_t destHeight,
                                        const DrawingSurface* source, std::int32_t srcLeft,
                                        std::int32_t srcTop, std::int32_t srcWidth,
                                        std::int32_t srcHeight) {
  if (!bitmap_ || !source || !source->bitmap_ || source->bitmap_ == bitmap_) return false;
  return AreaAverageStretch::Stretch(*source->bitmap_, {srcLeft, srcTop, srcWidth, srcHeight},
                                     *bitmap_, {destLeft, destTop, destWidth, destHeight});
}

void DrawingSurface::FillRect(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom, std::uint32_t colour) {
  if (!bitmap_) return;
  const std::int64_t x0 = std::max<std::int64_t>(left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(right, Width());
  const std::int64_t y0 = std::max<std::int64_t>(top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(bottom, Height());
  for (std::int64_t y = y0; y < y1; ++y) {
    for (std::int64_t x = x0; x < x1; ++x) SetPixel(std::int32_t(x), std::int32_t(y), colour);
  }
}

std::uint32_t DrawingSurface::GetPixel(std::int32_t x, std::int32_t y) const {
  if (!bitmap_ || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0xFFFFFFFFu;
  const std::uint8_t* pixel = PixelAt(*bitmap_, x, y);
  return std::uint32_t(pixel[2]) | std::uint32_t(pixel[1]) << 8 | std::uint32_t(pixel[0]) << 16;
}

void DrawingSurface::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t colour) {
  if (!bitmap_ || x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  std::uint8_t* pixel = PixelAt(*bitmap_, x, y);
  pixel[0] = std::uint8_t(colour >> 16);  // blue
  pixel[1] = std::uint8_t(colour >> 8);   // green
  pixel[2] = std::uint8_t(colour);        // red
}

}  // namespace imaging::pixels
