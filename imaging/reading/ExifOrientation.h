#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::reading {

// Reads the orientation tag (0x0112) from the first image directory of an
// EXIF block, the payload of a JPEG APP1 segment that starts "Exif\0\0".
// Both byte orders are read; every offset is checked against the block.
namespace ExifOrientation {

// 1 to 8 as found, or 1 when the block holds no valid orientation.
int Read(const std::uint8_t* payload, std::size_t size);

}  // namespace ExifOrientation

}  // namespace imaging::reading
