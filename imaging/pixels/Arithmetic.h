#pragma once

#include <cstdint>

namespace imaging::pixels {

// Nearest integer, exact halves to the even neighbour (2.5 -> 2, 3.5 -> 4),
// as the default floating-point rounding mode does.
std::int32_t RoundHalfEven(double value);

// The value as a signed 32-bit integer; raises run-time error 6 ("Overflow")
// with the given source when it does not fit.
std::int32_t CheckedInt32(std::int64_t value, const char* source);

}  // namespace imaging::pixels
