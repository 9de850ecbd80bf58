#pragma once

#include <cstdint>

namespace imaging::thumbnail {

// Where a picture goes on a thumbnail: the fitted size and, for a thumbnail
// of exactly the box's size, the offset that centres the picture on it.
struct ThumbnailLayout {
  std::int32_t Width = 0;  // the fitted picture
  std::int32_t Height = 0;
  std::int32_t Left = 0;  // its top-left corner on the canvas
  std::int32_t Top = 0;
  std::int32_t CanvasWidth = 0;
  std::int32_t CanvasHeight = 0;

  // Fits a pictureWidth x pictureHeight picture into the box in two steps:
  // first to the box's width, then, from the already rounded result, to its
  // height; a picture that fits keeps its size. With forced the canvas is
  // the box and the picture is centred; otherwise the canvas is the picture.
  // Rounding is to the nearest integer, ties to even; a side that would
  // round to 0 is 1 pixel, so a thin picture still gives a thumbnail.
  static ThumbnailLayout Compute(std::int32_t pictureWidth, std::int32_t pictureHeight,
                                 std::int32_t maxWidth, std::int32_t maxHeight, bool forced);
};

}  // namespace imaging::thumbnail
