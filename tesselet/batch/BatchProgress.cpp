#include "tesselet/batch/BatchProgress.h"

#include "imaging/pixels/Arithmetic.h"

namespace tesselet {

std::string ProgressCaption(std::int32_t done, std::int32_t total) {
  return "Creating thumbnails... (" + std::to_string(done) + " of " + std::to_string(total) + ")";
}

std::int32_t ProgressBarRight(std::int32_t done, std::int32_t total, std::int32_t width) {
  if (total <= 0) return 0;
  return imaging::pixels::RoundHalfEven(double(done) / double(total) * double(width));
}

}  // namespace tesselet
