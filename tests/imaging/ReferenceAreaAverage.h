#pragma once

// An area average written the plainest way, to check the imaging code's own
// against (tests) and to measure thumbnails by (benchmark).

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "imaging/pixels/DibBitmap.h"

namespace test_pictures {

// The whole source reduced or enlarged to width x height: each target pixel
// adds up the source pixels it overlaps, each by the area of the overlap,
// and divides by its own area. Along a side of n source and m target pixels,
// lengths are counted in m-ths of a source pixel, so every edge and area is
// a whole number and the mean is exact; halves go to the even level.
inline std::unique_ptr<imaging::pixels::DibBitmap> ReferenceAreaAverage(
    const imaging::pixels::DibBitmap& source, int width, int height) {
  auto target = imaging::pixels::DibBitmap::Create(width, height);
  if (!target) throw std::runtime_error("the reference could not make its bitmap");
  const std::int64_t sourceWidth = source.Width(), sourceHeight = source.Height();
  // Target pixel j covers [j n, (j + 1) n), source pixel i covers [i m, (i + 1) m).
  auto overlap = [](std::int64_t i, std::int64_t j, std::int64_t n, std::int64_t m) {
    return std::min((i + 1) * m, (j + 1) * n) - std::max(i * m, j * n);
  };
  const std::int64_t area = sourceWidth * sourceHeight;  // of each target pixel
  for (int y = 0; y < height; ++y) {
    const std::int64_t top = y * sourceHeight / height;
    const std::int64_t bottom = ((y + 1) * sourceHeight + height - 1) / height;
    for (int x = 0; x < width; ++x) {
      const std::int64_t left = x * sourceWidth / width;
      const std::int64_t right = ((x + 1) * sourceWidth + width - 1) / width;
      std::int64_t sums[3] = {0, 0, 0};
      for (std::int64_t sy = top; sy < bottom; ++sy) {
        const std::int64_t down = overlap(sy, y, sourceHeight, height);
        const std::uint8_t* row = source.RowFromTop(int(sy));
        for (std::int64_t sx = left; sx < right; ++sx) {
          const std::int64_t weight = down * overlap(sx, x, sourceWidth, width);
          for (int c = 0; c < 3; ++c) sums[c] += weight * row[3 * sx + c];
        }
      }
      std::uint8_t* out = target->RowFromTop(y) + 3 * x;
      for (int c = 0; c < 3; ++c) {
        std::int64_t level = sums[c] / area;
        const std::int64_t twiceLeft = 2 * (sums[c] % area);
        if (twiceLeft > area || (twiceLeft == area && level % 2 == 1)) ++level;
        out[c] = std::uint8_t(level);
      }
    }
  }
  return target;
}

}  // namespace test_pictures
