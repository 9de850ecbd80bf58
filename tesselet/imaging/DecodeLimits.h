#pragma once

#include <cstdint>

namespace imaging {

// What one picture load may hold, checked before each allocation made from
// a file's header.
struct DecodeLimits {
  // Decoded pixels held at once.
  std::int64_t MaxPixels = 0;
  // Bytes held at the load's peak, the file's own bytes included.
  std::int64_t MaxBytes = 0;
  // A load this small goes ahead even when its file is too short for the
  // pixels its header declares (it is decoded as far as the data goes);
  // above it, such a header is refused, so a file of a few bytes never
  // costs more than this.
  std::int64_t SmallBytes = 0;
};

}  // namespace imaging
