#include "tesselet/imaging/PictureOrientation.h"

#include <cstddef>

#include "tesselet/imaging/DibBitmap.h"

namespace imaging {

void PictureOrientation::Draw(const DibBitmap& stored, int orientation, DibBitmap& target,
                              std::int32_t left, std::int32_t top) {
  if (orientation < 1 || orientation > 8) orientation = 1;
  const std::int32_t storedWidth = stored.Width();
  const std::int32_t storedHeight = stored.Height();
  const bool swaps = orientation >= 5;
  const std::int32_t shownWidth = swaps ? storedHeight : storedWidth;
  const std::int32_t shownHeight = swaps ? storedWidth : storedHeight;
  for (std::int32_t y = 0; y < shownHeight; ++y) {
    const std::int64_t targetY = std::int64_t(top) + y;
    if (targetY < 0 || targetY >= target.Height()) continue;
    std::uint8_t* out = target.RowFromTop(std::int32_t(targetY));
    for (std::int32_t x = 0; x < shownWidth; ++x) {
      const std::int64_t targetX = std::int64_t(left) + x;
      if (targetX < 0 || targetX >= target.Width()) continue;
      // The stored pixel (sx, sy), both counted from the stored top-left,
      // that shows at (x, y).
      std::int32_t sx = x, sy = y;
      switch (orientation) {
        case 2:
          sx = storedWidth - 1 - x;
          break;
        case 3:
          sx = storedWidth - 1 - x;
          sy = storedHeight - 1 - y;
          break;
        case 4:
          sy = storedHeight - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = storedHeight - 1 - x;
          break;
        case 7:
          sx = storedWidth - 1 - y;
          sy = storedHeight - 1 - x;
          break;
        case 8:
          sx = storedWidth - 1 - y;
          sy = x;
          break;
        default:
          break;
      }
      const std::uint8_t* in = stored.RowFromTop(sy) + 3 * std::size_t(sx);
      std::uint8_t* pixel = out + 3 * std::size_t(targetX);
      pixel[0] = in[0];
      pixel[1] = in[1];
      pixel[2] = in[2];
    }
  }
}

}  // namespace imaging
