#include "imaging/thumbnail/ThumbnailLayout.h"

#include <algorithm>

#include "imaging/pixels/Arithmetic.h"

namespace imaging::thumbnail {

ThumbnailLayout ThumbnailLayout::Compute(std::int32_t pictureWidth, std::int32_t pictureHeight,
                                         std::int32_t maxWidth, std::int32_t maxHeight,
                                         bool forced) {
  ThumbnailLayout layout;
  std::int32_t w = pictureWidth;
  std::int32_t h = pictureHeight;
  if (maxWidth < w) {
    h = std::max(1, pixels::RoundHalfEven(double(maxWidth) / double(w) * double(h)));
    w = maxWidth;
  }
  // From the w and h the first step left, already rounded.
  if (maxHeight < h) {
    w = std::max(1, pixels::RoundHalfEven(double(maxHeight) / double(h) * double(w)));
    h = maxHeight;
  }
  layout.Width = w;
  layout.Height = h;
  if (forced) {
    layout.Left = pixels::RoundHalfEven((double(maxWidth) - w) / 2);
    layout.Top = pixels::RoundHalfEven((double(maxHeight) - h) / 2);
    layout.CanvasWidth = maxWidth;
    layout.CanvasHeight = maxHeight;
  } else {
    layout.CanvasWidth = w;
    layout.CanvasHeight = h;
  }
  return layout;
}

}  // namespace imaging::thumbnail
