#pragma once

#include <cstdint>

namespace imaging::reading {

// Where the one frame an image reader decodes lies on the picture, read
// from a BMP or GIF header before the reader allocates anything: a BMP's
// frame is the whole picture, a GIF's first frame may be smaller than its
// screen and lie anywhere on it (even off it).
struct FrameLayout {
  std::int32_t Width = 0;  // the picture
  std::int32_t Height = 0;
  std::int32_t FrameLeft = 0;
  std::int32_t FrameTop = 0;
  std::int32_t FrameWidth = 0;
  std::int32_t FrameHeight = 0;
  // Bytes a pixel of the reader's image takes: 1 for paletted BMPs, 4 else.
  int ReaderBytesPerPixel = 4;
  // Whether the file's data can hold the frame's pixels at all.
  bool FileHoldsFrame = true;
};

}  // namespace imaging::reading
