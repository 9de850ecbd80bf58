#pragma once

#include <cstdint>
#include <memory>

#include "imaging/pixels/DecodeScale.h"
#include "imaging/pixels/DibBitmap.h"
#include "imaging/pixels/PictureOrientation.h"

namespace imaging::pixels {

// A loaded picture: the bitmap that holds its pixels and the facts needed to
// draw it at its true size. The pixels are kept as they were stored in the
// file (possibly decoded at a reduced scale); Width and Height are the
// picture's full size the way it is meant to be seen, after orientation.
// The picture owns its bitmap and releases it when it ends.
class StdPicture {
 public:
  StdPicture() = default;
  // A picture of the bitmap at its own size, upright.
  explicit StdPicture(std::unique_ptr<DibBitmap> bitmap);
  // A picture whose bitmap is a storedWidth x storedHeight picture decoded
  // at the scale, to be shown turned by the EXIF orientation (1 to 8).
  StdPicture(std::unique_ptr<DibBitmap> bitmap, std::int32_t storedWidth, std::int32_t storedHeight,
             DecodeScale scale, int orientation);

  StdPicture(StdPicture&&) noexcept = default;
  StdPicture& operator=(StdPicture&&) noexcept = default;

  // Full size as shown: storedWidth and storedHeight swapped when the
  // orientation turns the picture by a quarter.
  std::int32_t Width() const;
  std::int32_t Height() const;

  std::int32_t StoredWidth() const { return storedWidth_; }
  std::int32_t StoredHeight() const { return storedHeight_; }
  DecodeScale Scale() const { return scale_; }
  int Orientation() const { return orientation_; }
  bool SwapsSides() const { return PictureOrientation::SwapsSides(orientation_); }

  // The pixels as stored; nullptr for an empty picture.
  const DibBitmap* Bitmap() const { return bitmap_.get(); }
  DibBitmap* Bitmap() { return bitmap_.get(); }

 private:
  std::unique_ptr<DibBitmap> bitmap_;
  std::int32_t storedWidth_ = 0;
  std::int32_t storedHeight_ = 0;
  DecodeScale scale_;
  int orientation_ = 1;
};

}  // namespace imaging::pixels
