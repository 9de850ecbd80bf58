#pragma once

#include <cstdint>

namespace imaging::reading {

// CMYK pixels as a JPEG decoder gives them, turned into the bitmap's
// blue-green-red with the usual naive formula: each colour is what its ink
// and the black ink leave of white. Photoshop stores the inks inverted (255
// for none), which its Adobe segment tells.
namespace CmykPixels {

// width pixels of 4 bytes from cmyk to width pixels of 3 bytes in bgr.
void ToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::int32_t width, bool inverted);

}  // namespace CmykPixels

}  // namespace imaging::reading
