#include "imaging/pixels/Arithmetic.h"

#include <cmath>
#include <limits>

#include "platform/RunTimeError.h"

namespace imaging::pixels {

std::int32_t RoundHalfEven(double value) { return std::int32_t(std::nearbyint(value)); }

std::int32_t CheckedInt32(std::int64_t value, const char* source) {
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    throw platform::RunTimeError::standard(platform::kOverflow, source);
  }
  return std::int32_t(value);
}

}  // namespace imaging::pixels
