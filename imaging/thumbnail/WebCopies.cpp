#include "imaging/thumbnail/WebCopies.h"

#include <algorithm>
#include <memory>

#include "imaging/ErrorSources.h"
#include "imaging/pixels/AreaAverageStretch.h"
#include "imaging/pixels/Arithmetic.h"
#include "imaging/pixels/PictureOrientation.h"
#include "imaging/writing/WebCopyJpeg.h"
#include "platform/RunTimeError.h"

namespace imaging::thumbnail {

namespace {

std::unique_ptr<pixels::DibBitmap> CreateOrRaise(std::int32_t width, std::int32_t height) {
  auto bitmap = pixels::DibBitmap::Create(width, height);
  if (!bitmap) throw platform::RunTimeError::standard(platform::kOutOfMemory, kThumbnailSource);
  return bitmap;
}

// The largest copy, upright: averaged in the picture's stored orientation,
// then turned, as the thumbnails are.
std::unique_ptr<pixels::DibBitmap> LargestCopy(const pixels::StdPicture& picture) {
  const pixels::PixelSize size =
      WebCopies::Fit(picture.Width(), picture.Height(), WebCopies::kLongSides[0]);
  const bool swaps = picture.SwapsSides();
  auto stored = CreateOrRaise(swaps ? size.Height : size.Width, swaps ? size.Width : size.Height);
  pixels::AreaAverageStretch::Stretch(*picture.Bitmap(), picture.Scale(), picture.StoredWidth(),
                                      picture.StoredHeight(), *stored);
  if (picture.Orientation() == 1) return stored;
  auto upright = CreateOrRaise(size.Width, size.Height);
  pixels::PictureOrientation::Draw(*stored, picture.Orientation(), *upright, 0, 0);
  return upright;
}

}  // namespace

namespace WebCopies {

pixels::PixelSize Fit(std::int32_t width, std::int32_t height, std::int32_t longSide) {
  const std::int32_t longest = std::max(width, height);
  if (longest <= longSide) return {width, height};
  auto reduce = [&](std::int32_t side) {
    return std::max(1, pixels::RoundHalfEven(double(side) * double(longSide) / double(longest)));
  };
  return width >= height ? pixels::PixelSize{longSide, reduce(height)}
                         : pixels::PixelSize{reduce(width), longSide};
}

pixels::PixelSize DecodeSize(std::int32_t width, std::int32_t height) {
  return Fit(width, height, kLongSides[0]);
}

std::vector<std::string> Make(const pixels::StdPicture& picture,
                              std::span<const std::uint8_t> colourProfile,
                              std::span<const std::string> comments) {
  const auto comment = [&](std::size_t k) -> std::string {
    return k < comments.size() ? comments[k] : std::string();
  };
  if (!picture.Bitmap()) {
    throw platform::RunTimeError(platform::kInvalidPicture, kThumbnailSource,
                                 "Invalid picture: the picture holds no bitmap");
  }
  std::vector<std::string> copies;
  std::unique_ptr<pixels::DibBitmap> copy = LargestCopy(picture);
  copies.push_back(writing::WebCopyJpeg::Encode(*copy, colourProfile, comment(0)));
  for (std::size_t k = 1; k < kLongSides.size(); ++k) {
    const pixels::PixelSize size = Fit(picture.Width(), picture.Height(), kLongSides[k]);
    auto smaller = CreateOrRaise(size.Width, size.Height);
    pixels::AreaAverageStretch::Stretch(*copy, *smaller);
    copy = std::move(smaller);
    copies.push_back(writing::WebCopyJpeg::Encode(*copy, colourProfile, comment(k)));
  }
  return copies;
}

}  // namespace WebCopies

}  // namespace imaging::thumbnail
