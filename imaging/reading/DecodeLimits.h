#pragma once

#include <cstdint>
#include <functional>

namespace imaging::reading {

// What one picture load may hold, checked before each allocation made from
// a file's header.
struct DecodeLimits {
  // Decoded pixels held at once.
  std::int64_t MaxPixels = 0;
  // Bytes a decode holds at its peak beside the file's own.
  std::int64_t MaxBytes = 0;
  // A decode this small goes ahead even when its file is too short for the
  // pixels its header declares (it is decoded as far as the data goes);
  // above it, such a header is refused, so a file of a few bytes never
  // costs more than this.
  std::int64_t SmallBytes = 0;
  // Called with the bytes a decode will hold once they pass the checks,
  // before they are allocated; may wait while other loads hold memory.
  std::function<void(std::int64_t)> Reserve;
};

}  // namespace imaging::reading
