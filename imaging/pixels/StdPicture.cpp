#include "imaging/pixels/StdPicture.h"

#include <utility>

namespace imaging::pixels {

StdPicture::StdPicture(std::unique_ptr<DibBitmap> bitmap)
    : bitmap_(std::move(bitmap)),
      storedWidth_(bitmap_ ? bitmap_->Width() : 0),
      storedHeight_(bitmap_ ? bitmap_->Height() : 0) {}

StdPicture::StdPicture(std::unique_ptr<DibBitmap> bitmap, std::int32_t storedWidth,
                       std::int32_t storedHeight, DecodeScale scale, int orientation)
    : bitmap_(std::move(bitmap)),
      storedWidth_(storedWidth),
      storedHeight_(storedHeight),
      scale_(scale),
      orientation_(orientation >= 1 && orientation <= 8 ? orientation : 1) {}

std::int32_t StdPicture::Width() const { return SwapsSides() ? storedHeight_ : storedWidth_; }

std::int32_t StdPicture::Height() const { return SwapsSides() ? storedWidth_ : storedHeight_; }

}  // namespace imaging::pixels
