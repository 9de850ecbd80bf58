#include "imaging/pixels/PictureOrientation.h"

#include <cstddef>

#include "imaging/pixels/DibBitmap.h"

namespace imaging::pixels {

PictureOrientation::Pixel PictureOrientation::StoredPixel(int orientation, std::int32_t storedWidth,
                                                          std::int32_t storedHeight, std::int32_t x,
                                                          std::int32_t y) {
  switch (orientation) {
    case 2:
      return {storedWidth - 1 - x, y};
    case 3:
      return {storedWidth - 1 - x, storedHeight - 1 - y};
    case 4:
      return {x, storedHeight - 1 - y};
    case 5:
      return {y, x};
    case 6:
      return {y, storedHeight - 1 - x};
    case 7:
      return {storedWidth - 1 - y, storedHeight - 1 - x};
    case 8:
      return {storedWidth - 1 - y, x};
    default:
      return {x, y};
  }
}

void PictureOrientation::Draw(const DibBitmap& stored, int orientation, DibBitmap& target,
                              std::int32_t left, std::int32_t top) {
  if (orientation < 1 || orientation > 8) orientation = 1;
  const std::int32_t storedWidth = stored.Width();
  const std::int32_t storedHeight = stored.Height();
  const bool swaps = SwapsSides(orientation);
  const std::int32_t shownWidth = swaps ? storedHeight : storedWidth;
  const std::int32_t shownHeight = swaps ? storedWidth : storedHeight;
  for (std::int32_t y = 0; y < shownHeight; ++y) {
    const std::int64_t targetY = std::int64_t(top) + y;
    if (targetY < 0 || targetY >= target.Height()) continue;
    std::uint8_t* out = target.RowFromTop(std::int32_t(targetY));
    for (std::int32_t x = 0; x < shownWidth; ++x) {
      const std::int64_t targetX = std::int64_t(left) + x;
      if (targetX < 0 || targetX >= target.Width()) continue;
      const Pixel from = StoredPixel(orientation, storedWidth, storedHeight, x, y);
      const std::uint8_t* in = stored.RowFromTop(from.y) + 3 * std::size_t(from.x);
      std::uint8_t* pixel = out + 3 * std::size_t(targetX);
      pixel[0] = in[0];
      pixel[1] = in[1];
      pixel[2] = in[2];
    }
  }
}

}  // namespace imaging::pixels
