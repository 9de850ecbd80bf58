#pragma once

#include <cstdint>

namespace imaging::thumbnail {

// What a thumbnail is made with, apart from where it is written: the box it
// fits in, whether it fills the box exactly, and the colour around the
// picture when it does. Two renders with equal options give equal pixels.
struct RenderOptions {
  std::int32_t MaxWidth = 50;
  std::int32_t MaxHeight = 50;
  // 0x00BBGGRR, or 0x80000000 plus a system colour's index.
  std::uint32_t BackColor = 0xFFFFFF;
  bool ForcedDimensions = false;

  bool operator==(const RenderOptions&) const = default;
};

}  // namespace imaging::thumbnail
