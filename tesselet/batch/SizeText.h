#pragma once

#include <cstdint>
#include <string>

namespace tesselet {

// A size box's text as a whole number: blanks around it ignored, a fraction
// rounded to the nearest whole number with halves to the even neighbour.
// Raises run-time error 13 ("Type mismatch") for a text that is not a
// number and 6 ("Overflow") for one outside 32 bits.
std::int32_t SizeFromText(const std::string& text);

}  // namespace tesselet
