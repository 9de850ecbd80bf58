#pragma once

#include <cstdint>

namespace imaging {

class DibBitmap;

// The halftone stretch: scales a bitmap onto another so that each target
// pixel is the mean colour of the source area it covers, every source pixel
// counted by the share of its area inside the target pixel (fractions at the
// borders included). Enlarging gives each target pixel the source area under
// it, so a pixel never mixes with more than its neighbours. The same size
// copies the pixels exactly. Means round to the nearest level, ties to even.
//
// The source may stand for a larger picture decoded at a reduced scale:
// each source pixel then covers `unit` pixels of a fullWidth x fullHeight
// picture along each side, and the last one only what is left of it (a
// decoder at scale 1/8 turns a 1001-pixel side into 126 pixels, the last of
// which covers 1). Averaging in full-size coordinates keeps the result true
// to the full picture.
class AreaAverageStretch {
 public:
  // The whole source onto the whole target (both bottom-up, blue-green-red).
  static void Stretch(const DibBitmap& source, DibBitmap& target);

  // The same for a source standing for a fullWidth x fullHeight picture.
  static void Stretch(const DibBitmap& source, double unit, std::int32_t fullWidth,
                      std::int32_t fullHeight, DibBitmap& target);
};

}  // namespace imaging
