#pragma once

#include <cstdint>
#include <span>

namespace imaging::pixels {

// How finely a picture was decoded: Numerator / Denominator of its full size
// along each side, so each decoded pixel stands for Denominator / Numerator
// full-size pixels (a JPEG decoded at 1/8 makes one pixel of each 8 x 8).
// Kept as a fraction so that areas measured with it are exact.
struct DecodeScale {
  std::int32_t Numerator = 1;
  std::int32_t Denominator = 1;
};

// A side of `side` pixels decoded at `scale`, a part pixel counting whole
// (as TurboJPEG counts it).
std::int32_t ScaledSide(std::int32_t side, DecodeScale scale);

// The reductions of a decoder that reduces by halving (or by painting every
// other pixel): 1/2, 1/4 and 1/8.
inline constexpr DecodeScale kHalvingScales[] = {{1, 2}, {1, 4}, {1, 8}};

// The smallest of the reducing scales offered (enlarging ones are passed
// over) whose result still covers minWidth x minHeight; 1/1 when none does.
DecodeScale ChooseScale(std::int32_t width, std::int32_t height, std::int32_t minWidth,
                        std::int32_t minHeight, std::span<const DecodeScale> offered);

}  // namespace imaging::pixels
