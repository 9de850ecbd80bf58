#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/reading/FrameLayout.h"

namespace imaging::reading {

// Reads a GIF file's screen and its first frame: where the frame lies, and
// whether its image data can hold its pixels. The picture is the screen
// with the first frame at its place on it, as browsers show a GIF (a screen
// of 0 along a side takes the frame's far edge). Raises error 481 naming
// the file for a file cut short before its first frame, one with no frame,
// a frame or screen without pixels, or a screen of more than maxPixels.
namespace GifHeader {

FrameLayout Read(const std::uint8_t* data, std::size_t size, const std::string& path,
                 std::int64_t maxPixels);

// Rewrites the file in place so that its screen is exactly its first
// frame, at the top-left: an image reader then allocates the frame's
// pixels only, whatever screen the file declares.
void FitScreenToFirstFrame(std::uint8_t* data, std::size_t size);

}  // namespace GifHeader

}  // namespace imaging::reading
