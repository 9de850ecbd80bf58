#include "imaging/reading/CmykPixels.h"

namespace imaging::reading {

void CmykPixels::ToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::int32_t width,
                       bool inverted) {
  const int flip = inverted ? 0 : 255;
  for (std::int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const int white = flip ^ cmyk[3];  // what the black ink leaves, 0 to 255
    // (a * b + 127) / 255 rounds the product of two fractions of 255.
    bgr[0] = std::uint8_t(((flip ^ cmyk[2]) * white + 127) / 255);
    bgr[1] = std::uint8_t(((flip ^ cmyk[1]) * white + 127) / 255);
    bgr[2] = std::uint8_t(((flip ^ cmyk[0]) * white + 127) / 255);
  }
}

}  // namespace imaging::reading
