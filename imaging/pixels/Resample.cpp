// Bilinear resampling of a cDIBSection, worked directly on the pixel memory
// of both buffers through checked byte views.
//
// Contract: destination pixel (x, y) samples the source at (x * sx, y * sy)
// with sx = (Ws - 1) / Wd and sy = (Hs - 1) / Hd. The numerators are one less
// than the source size so that the second sample of every pair stays inside
// the picture; the mapping is anchored at the bottom-left pixel, not centred.
// Scale factors, coordinates and weights are single precision; each blend is
// formed in double and rounded to the nearest integer with ties to even,
// first per byte across the two rows, then per channel across the two
// columns. Destination row padding is never written.
#include <algorithm>
#include <cmath>

#include "imaging/pixels/Arithmetic.h"
#include "imaging/pixels/DibByteView.h"
#include "imaging/pixels/cDIBSection.h"

namespace imaging::pixels {

std::unique_ptr<cDIBSection> cDIBSection::Resample(std::int32_t lNewHeight,
                                                   std::int32_t lNewWidth) const {
  auto resampled = std::make_unique<cDIBSection>();
  if (!resampled->Create(lNewWidth, lNewHeight)) return nullptr;
  if (lNewWidth == Width() && lNewHeight == Height()) {
    resampled->LoadPictureBlt(hdc_.get(), 0, 0, -1, -1, SRCCOPY);
  } else {
    ResampleInto(*resampled);
  }
  return resampled;
}

void cDIBSection::ResampleInto(cDIBSection& destination) const {
  const std::int32_t sourceWidth = Width();
  const std::int32_t sourceHeight = Height();
  const std::int32_t newWidth = destination.Width();
  const std::int32_t newHeight = destination.Height();
  const DibByteView source(bits_, BytesPerScanLine(), sourceHeight);
  const DibByteView target(destination.bits_, destination.BytesPerScanLine(), newHeight);

  const float sx = float(double(sourceWidth - 1) / double(newWidth));
  const float sy = float(double(sourceHeight - 1) / double(newHeight));
  for (std::int32_t y = 0; y < newHeight; ++y) {
    const float fy = float(double(sy) * y);
    const std::int32_t iy = std::int32_t(std::floor(fy));
    const float wy = float(double(fy) - iy);
    for (std::int32_t x = 0; x < newWidth; ++x) {
      const float fx = float(double(sx) * x);
      const std::int32_t ix = std::int32_t(std::floor(fx));
      const float wx = float(double(fx) - ix);

      // Blue, green, red of source pixels ix and ix + 1, blended across rows.
      std::int32_t column[6];
      for (std::int32_t k = 0; k < 6; ++k) {
        const std::int32_t byte = 3 * ix + k;
        column[k] = RoundHalfEven((1.0 - double(wy)) * source(byte, iy) +
                                  double(wy) * source(byte, iy + 1));
      }
      for (std::int32_t c = 0; c < 3; ++c) {
        const std::int32_t value =
            RoundHalfEven((1.0 - double(wx)) * column[c] + double(wx) * column[c + 3]);
        target(3 * x + c, y) = std::uint8_t(std::clamp(value, 0, 255));
      }
    }
  }
}

}  // namespace imaging::pixels
