#pragma once

#include <cstdint>

namespace imaging::pixels {

// A picture's width and height in pixels.
struct PixelSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;

  bool operator==(const PixelSize&) const = default;
};

}  // namespace imaging::pixels
