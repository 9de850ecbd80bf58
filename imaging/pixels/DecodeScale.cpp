#include "imaging/pixels/DecodeScale.h"

namespace imaging::pixels {

std::int32_t ScaledSide(std::int32_t side, DecodeScale scale) {
  return std::int32_t((std::int64_t(side) * scale.Numerator + scale.Denominator - 1) /
                      scale.Denominator);
}

DecodeScale ChooseScale(std::int32_t width, std::int32_t height, std::int32_t minWidth,
                        std::int32_t minHeight, std::span<const DecodeScale> offered) {
  DecodeScale best;
  for (const DecodeScale scale : offered) {
    if (scale.Numerator >= scale.Denominator) continue;  // never enlarge while decoding
    if (ScaledSide(width, scale) < minWidth || ScaledSide(height, scale) < minHeight) continue;
    if (std::int64_t(scale.Numerator) * best.Denominator <
        std::int64_t(best.Numerator) * scale.Denominator) {
      best = scale;
    }
  }
  return best;
}

}  // namespace imaging::pixels
