#include "tesselet/batch/SizeText.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "imaging/pixels/Arithmetic.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ProgramName.h"

namespace tesselet {

std::int32_t SizeFromText(const std::string& text) {
  std::string number = TrimBlanks(text);
  if (!number.empty() && number.front() == '+') number.erase(0, 1);
  double value = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
  if (number.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    throw platform::RunTimeError(platform::kTypeMismatch, kFrontEndSource,
                                 "Type mismatch: \"" + text + "\" is not a number of pixels");
  }
  // The bounds are the values that still round into 32 bits.
  if (!(value >= -2147483648.5 && value < 2147483647.5))
    throw platform::RunTimeError::standard(platform::kOverflow, kFrontEndSource);
  return imaging::pixels::RoundHalfEven(value);
}

}  // namespace tesselet
