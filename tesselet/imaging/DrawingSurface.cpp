#include "tesselet/imaging/DrawingSurface.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tesselet/imaging/DibBitmap.h"

namespace imaging {

namespace {

// A rectangle in one bitmap's top-down pixel coordinates, wide enough that
// clipping arithmetic on any 32-bit input cannot overflow.
struct Span {
  std::int64_t start;
  std::int64_t length;
};

// Address of pixel (x, y), y counted from the top: the top row of the
// picture is the last row in memory.
std::uint8_t* PixelAt(DibBitmap& bitmap, std::int64_t x, std::int64_t y) {
  return bitmap.Bits() + (bitmap.Height() - 1 - y) * std::int64_t{bitmap.Stride()} + 3 * x;
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

// How one target pixel covers the source: the source pixels it overlaps,
// from `first` on, and by how much of a source pixel each.
struct Cover {
  std::int64_t first = 0;
  std::vector<double> weights;
};

// Coverage of target pixels [targetFrom, targetTo) of a run of targetLength
// pixels laid over sourceLength source pixels from sourceStart. Only source
// pixels inside [0, sourceLimit) are listed: those outside carry no colour,
// so the mean is taken over the part of the area that exists.
std::vector<Cover> CoverageOf(std::int64_t sourceStart, std::int64_t sourceLength,
                              std::int64_t targetLength, std::int64_t targetFrom,
                              std::int64_t targetTo, std::int64_t sourceLimit) {
  std::vector<Cover> covers(std::size_t(targetTo - targetFrom));
  const double scale = double(sourceLength) / double(targetLength);
  for (std::int64_t i = targetFrom; i < targetTo; ++i) {
    const double from = double(sourceStart) + double(i) * scale;
    const double to = double(sourceStart) + double(i + 1) * scale;
    Cover& cover = covers[std::size_t(i - targetFrom)];
    cover.first = std::max<std::int64_t>(0, std::int64_t(std::floor(from)));
    const std::int64_t end = std::min<std::int64_t>(sourceLimit, std::int64_t(std::ceil(to)));
    for (std::int64_t j = cover.first; j < end; ++j) {
      cover.weights.push_back(std::min(to, double(j + 1)) - std::max(from, double(j)));
    }
  }
  return covers;
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
  if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return false;
  const std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t{destLeft});
  const std::int64_t x1 = std::min<std::int64_t>(destWidth, std::int64_t{Width()} - destLeft);
  const std::int64_t y0 = std::max<std::int64_t>(0, -std::int64_t{destTop});
  const std::int64_t y1 = std::min<std::int64_t>(destHeight, std::int64_t{Height()} - destTop);
  if (x0 >= x1 || y0 >= y1) return false;

  DibBitmap& from = *source->bitmap_;
  const std::vector<Cover> columns = CoverageOf(srcLeft, srcWidth, destWidth, x0, x1, from.Width());
  const std::vector<Cover> rows = CoverageOf(srcTop, srcHeight, destHeight, y0, y1, from.Height());
  for (std::int64_t ty = y0; ty < y1; ++ty) {
    const Cover& rowCover = rows[std::size_t(ty - y0)];
    for (std::int64_t tx = x0; tx < x1; ++tx) {
      const Cover& columnCover = columns[std::size_t(tx - x0)];
      double sum[3] = {0, 0, 0};
      double total = 0;
      for (std::size_t j = 0; j < rowCover.weights.size(); ++j) {
        for (std::size_t i = 0; i < columnCover.weights.size(); ++i) {
          const double weight = rowCover.weights[j] * columnCover.weights[i];
          const std::uint8_t* pixel =
              PixelAt(from, columnCover.first + std::int64_t(i), rowCover.first + std::int64_t(j));
          for (int c = 0; c < 3; ++c) sum[c] += weight * pixel[c];
          total += weight;
        }
      }
      if (total <= 0) continue;
      std::uint8_t* to = PixelAt(*bitmap_, destLeft + tx, destTop + ty);
      for (int c = 0; c < 3; ++c) {
        to[c] = std::uint8_t(std::clamp(std::nearbyint(sum[c] / total), 0.0, 255.0));
      }
    }
  }
  return true;
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

}  // namespace imaging
