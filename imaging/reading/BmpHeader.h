#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/reading/FrameLayout.h"

namespace imaging::reading {

// Reads a BMP file's headers: the picture's size (a negative height says
// that the rows are stored from the top, and the size is the same), its
// bit count and compression, and whether the bytes after the headers can
// hold its pixels. Raises error 481 naming the file for a header cut short
// or of an unknown size, a bit count or compression a BMP cannot have, or
// a picture without pixels or with more than maxPixels.
namespace BmpHeader {

FrameLayout Read(const std::uint8_t* data, std::size_t size, const std::string& path,
                 std::int64_t maxPixels);

}  // namespace BmpHeader

}  // namespace imaging::reading
