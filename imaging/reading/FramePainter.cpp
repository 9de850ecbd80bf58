#include "imaging/reading/FramePainter.h"

#include <algorithm>
#include <vector>

#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// Row y of the frame as 0xAARRGGBB pixels. The two formats the readers
// give truecolour pictures in are read in place; any other (paletted, a
// palette shorter than its indices included) is converted one row at a
// time.
const QRgb* FrameRow(const QImage& frame, std::int32_t y, QImage& converted,
                     const std::string& path) {
  if (frame.format() == QImage::Format_ARGB32 || frame.format() == QImage::Format_RGB32) {
    return reinterpret_cast<const QRgb*>(frame.constScanLine(y));
  }
  converted = frame.copy(0, y, frame.width(), 1).convertToFormat(QImage::Format_ARGB32);
  if (converted.isNull()) throw PictureErrors::OutOfMemory(path);
  return reinterpret_cast<const QRgb*>(converted.constScanLine(0));
}

// The colour shown for a pixel: over white by its alpha, rounded.
int OverWhite(int channel, int alpha) {
  return (channel * alpha + 255 * (255 - alpha) + 127) / 255;
}

std::uint8_t MeanHalfEven(std::int64_t sum, std::int64_t count) {
  std::int64_t mean = sum / count;
  const std::int64_t twice = 2 * (sum % count);
  if (twice > count || (twice == count && mean % 2 == 1)) ++mean;
  return std::uint8_t(mean);
}

}  // namespace

std::unique_ptr<pixels::DibBitmap> FramePainter::Paint(const QImage& frame,
                                                       const FrameLayout& layout,
                                                       std::int32_t factor,
                                                       const std::string& path) {
  const std::int32_t width = (layout.Width + factor - 1) / factor;
  const std::int32_t height = (layout.Height + factor - 1) / factor;
  auto bitmap = pixels::DibBitmap::Create(width, height);
  if (!bitmap) throw PictureErrors::OutOfMemory(path);
  const bool opaque = frame.format() == QImage::Format_RGB32;
  // The part of the frame on the picture, in picture coordinates.
  const std::int64_t left = std::max<std::int64_t>(layout.FrameLeft, 0);
  const std::int64_t right =
      std::min<std::int64_t>(std::int64_t(layout.FrameLeft) + frame.width(), layout.Width);
  // Each output row sums what its source rows add to white, channel by channel.
  std::vector<std::int64_t> sums(std::size_t(width) * 3);
  QImage converted;
  for (std::int32_t row = 0; row < height; ++row) {
    std::fill(sums.begin(), sums.end(), 0);
    const std::int32_t top = row * factor, bottom = std::min(top + factor, layout.Height);
    for (std::int32_t y = top; y < bottom; ++y) {
      const std::int64_t frameY = std::int64_t(y) - layout.FrameTop;
      if (frameY < 0 || frameY >= frame.height() || left >= right) continue;
      const QRgb* pixels = FrameRow(frame, std::int32_t(frameY), converted, path);
      for (std::int64_t x = left; x < right; ++x) {
        const QRgb pixel = pixels[x - layout.FrameLeft];
        const int alpha = opaque ? 255 : qAlpha(pixel);
        std::int64_t* sum = &sums[std::size_t(x / factor) * 3];
        sum[0] += OverWhite(qBlue(pixel), alpha) - 255;
        sum[1] += OverWhite(qGreen(pixel), alpha) - 255;
        sum[2] += OverWhite(qRed(pixel), alpha) - 255;
      }
    }
    std::uint8_t* out = bitmap->RowFromTop(row);
    for (std::int32_t column = 0; column < width; ++column) {
      const std::int64_t across = std::min(factor, layout.Width - column * factor);
      const std::int64_t count = across * (bottom - top);
      for (int c = 0; c < 3; ++c) {
        out[3 * column + c] = MeanHalfEven(sums[std::size_t(column) * 3 + c] + 255 * count, count);
      }
    }
  }
  return bitmap;
}

}  // namespace imaging::reading
