#pragma once

#include <cstdint>

namespace imaging {

// How finely a picture was decoded: Numerator / Denominator of its full size
// along each side, so each decoded pixel stands for Denominator / Numerator
// full-size pixels (a JPEG decoded at 1/8 makes one pixel of each 8 x 8).
// Kept as a fraction so that areas measured with it are exact.
struct DecodeScale {
  std::int32_t Numerator = 1;
  std::int32_t Denominator = 1;
};

}  // namespace imaging
