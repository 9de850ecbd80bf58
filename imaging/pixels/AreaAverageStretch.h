#pragma once

#include <cstdint>

#include "imaging/pixels/DecodeScale.h"

namespace imaging::pixels {

class DibBitmap;

// The halftone stretch: scales a bitmap onto another so that each target
// pixel is the mean colour of the source area it covers, every source pixel
// counted by the share of its area inside the target pixel (fractions at the
// borders included). Enlarging gives each target pixel the source area under
// it, so a pixel never mixes with more than its neighbours. The same size
// copies the pixels exactly. Both bitmaps are bottom-up blue-green-red;
// coordinates count from the top-left.
//
// Rounding: areas are measured in whole units (a fraction of a full-size
// pixel common to both sides), so the sums are exact and a mean that is
// exactly halfway between two levels goes to the even one, as everywhere in
// the imaging code. That holds while a target pixel's whole area, in those
// units, times 255 stays below 2^53: for any picture the loader accepts.
//
// The source may stand for a larger picture decoded at a reduced scale:
// each source pixel then covers Denominator / Numerator pixels of a
// fullWidth x fullHeight picture along each side, and the last one only
// what is left of it (a decoder at scale 1/8 turns a 1001-pixel side into
// 126 pixels, the last of which covers 1). Averaging in full-size
// coordinates keeps the result true to the full picture.
namespace AreaAverageStretch {

struct Rectangle {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// The whole source onto the whole target.
void Stretch(const DibBitmap& source, DibBitmap& target);

// The same for a source that is a fullWidth x fullHeight picture decoded
// at the scale (its terms 1 to kMaxScaleTerm; any other draws nothing).
void Stretch(const DibBitmap& source, DecodeScale scale, std::int32_t fullWidth,
             std::int32_t fullHeight, DibBitmap& target);

// A rectangle of the source onto a rectangle of the target, the way a
// drawing surface stretches. Target pixels outside the target bitmap are
// left out. Source pixels outside the source bitmap have no colour: a
// target pixel takes the mean of the part of its area that exists, and
// one with none under it keeps its colour. False, drawing nothing, for an
// empty rectangle or one wholly outside the target bitmap.
bool Stretch(const DibBitmap& source, const Rectangle& from, DibBitmap& target,
             const Rectangle& to);

inline constexpr std::int32_t kMaxScaleTerm = 1024;

}  // namespace AreaAverageStretch

}  // namespace imaging::pixels
