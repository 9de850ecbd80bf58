#pragma once

#include <cstdint>

namespace imaging::pixels {

class DibBitmap;

// Turns a picture stored in one of the eight EXIF orientations upright.
// Orientation 1 is as stored; 2 mirrored left to right; 3 turned half way;
// 4 mirrored top to bottom; 5 mirrored along the main diagonal; 6 stored a
// quarter turn anticlockwise (shown turned clockwise); 7 mirrored along the
// other diagonal; 8 stored a quarter turn clockwise. 5 to 8 swap the sides.
namespace PictureOrientation {

struct Pixel {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Whether the picture shows with its width and height swapped (5 to 8).
inline bool SwapsSides(int orientation) { return orientation >= 5; }

// The stored pixel, counted from the stored picture's top-left, that
// shows at (x, y) of the upright picture; an unknown orientation is 1.
Pixel StoredPixel(int orientation, std::int32_t storedWidth, std::int32_t storedHeight,
                  std::int32_t x, std::int32_t y);

// Draws `stored`, shown upright, into `target` with its top-left corner at
// (left, top) counted from the target's top-left; what falls outside the
// target is left out.
void Draw(const DibBitmap& stored, int orientation, DibBitmap& target, std::int32_t left,
          std::int32_t top);

}  // namespace PictureOrientation

}  // namespace imaging::pixels
