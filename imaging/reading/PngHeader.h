#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/reading/FrameLayout.h"

namespace imaging::reading {

// Reads a PNG file's first chunk, its image header: the picture's size,
// what a pixel of the image reader's picture takes (8 bytes at 16 bits a
// channel, at most 4 else) and whether the compressed data after it could
// hold the pixels at all (deflate makes at most 1032 bytes of each). Raises
// error 481 naming the file for a header cut short or damaged, or a picture
// without pixels or with more than maxPixels.
namespace PngHeader {

FrameLayout Read(const std::uint8_t* data, std::size_t size, const std::string& path,
                 std::int64_t maxPixels);

}  // namespace PngHeader

}  // namespace imaging::reading
