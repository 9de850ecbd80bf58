#include "imaging/thumbnail/cThumbnail.h"

#include <algorithm>
#include <cctype>

#include "imaging/ErrorSources.h"
#include "imaging/pixels/AreaAverageStretch.h"
#include "imaging/pixels/DrawingSurface.h"
#include "imaging/pixels/PictureOrientation.h"
#include "imaging/pixels/SystemColour.h"
#include "imaging/pixels/cDIBSection.h"
#include "imaging/reading/PictureLoader.h"
#include "imaging/thumbnail/ThumbnailLayout.h"
#include "imaging/writing/PictureSaver.h"
#include "imaging/writing/mIntelJPEGLibrary.h"
#include "platform/RunTimeError.h"

namespace imaging::thumbnail {

namespace {

// A JPEG is decoded at the smallest scale that keeps this many decoded
// pixels for every thumbnail pixel along each side. At 2 the result drifts
// visibly from a true area average on noisy photographs; at 8 it stays
// within a level or two, and the decoder still works at its fastest scale
// for camera pictures.
constexpr std::int32_t kDecodedPixelsPerThumbnailPixel = 8;

std::string LastThreeLetters(const std::string& path) {
  std::string tail = path.size() >= 3 ? path.substr(path.size() - 3) : std::string();
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return tail;
}

std::int32_t Times(std::int32_t side, std::int32_t factor) {
  return std::int32_t(std::min<std::int64_t>(std::int64_t(side) * factor, INT32_MAX));
}

}  // namespace

void cThumbnail::CheckBox() const {
  if (options_.MaxWidth < 1 || options_.MaxHeight < 1) {
    throw platform::RunTimeError(platform::kInvalidProcedureCall, kThumbnailSource,
                                 "The thumbnail box must be at least 1 x 1 pixels, not " +
                                     std::to_string(options_.MaxWidth) + " x " +
                                     std::to_string(options_.MaxHeight));
  }
}

std::unique_ptr<pixels::DibBitmap> cThumbnail::RenderCanvas(
    const pixels::StdPicture& aStdPicture) const {
  CheckBox();
  const pixels::DibBitmap* decoded = aStdPicture.Bitmap();
  if (!decoded) {
    throw platform::RunTimeError(platform::kInvalidPicture, kThumbnailSource,
                                 "Invalid picture: the picture holds no bitmap");
  }
  const ThumbnailLayout layout =
      ThumbnailLayout::Compute(aStdPicture.Width(), aStdPicture.Height(), options_.MaxWidth,
                               options_.MaxHeight, options_.ForcedDimensions);

  auto canvas = pixels::DibBitmap::Create(layout.CanvasWidth, layout.CanvasHeight);
  if (!canvas) throw platform::RunTimeError::standard(platform::kOutOfMemory, kThumbnailSource);
  if (options_.ForcedDimensions) {
    pixels::DrawingSurface canvasDc;
    canvasDc.SelectObject(canvas.get());
    canvasDc.FillRect(0, 0, options_.MaxWidth, options_.MaxHeight,
                      pixels::SystemColour::OleTranslateColor(options_.BackColor));
    canvasDc.SelectObject(nullptr);
  }
  // Averaged in the picture's stored orientation, then turned upright: both
  // steps commute, and turning the small result costs next to nothing.
  const bool swaps = aStdPicture.SwapsSides();
  auto stored = pixels::DibBitmap::Create(swaps ? layout.Height : layout.Width,
                                          swaps ? layout.Width : layout.Height);
  if (!stored) throw platform::RunTimeError::standard(platform::kOutOfMemory, kThumbnailSource);
  pixels::AreaAverageStretch::Stretch(*decoded, aStdPicture.Scale(), aStdPicture.StoredWidth(),
                                      aStdPicture.StoredHeight(), *stored);
  pixels::PictureOrientation::Draw(*stored, aStdPicture.Orientation(), *canvas, layout.Left,
                                   layout.Top);
  return canvas;
}

void cThumbnail::CreateFromStdPicture(const pixels::StdPicture& aStdPicture) const {
  WriteCanvas(RenderCanvas(aStdPicture));
}

void cThumbnail::CreateFromFile(const std::string& aFilePath) const {
  WriteCanvas(RenderFile(aFilePath));
}

std::unique_ptr<pixels::DibBitmap> cThumbnail::RenderFile(const std::string& aFilePath,
                                                          bool readVideos) const {
  CheckBox();
  reading::PictureLoader loader(aFilePath, readVideos);
  const pixels::PixelSize decode = DecodeSize(loader.Width(), loader.Height());
  const pixels::StdPicture picture = loader.Load(decode.Width, decode.Height);
  return RenderCanvas(picture);
}

pixels::PixelSize cThumbnail::DecodeSize(std::int32_t width, std::int32_t height) const {
  const ThumbnailLayout layout =
      ThumbnailLayout::Compute(width, height, options_.MaxWidth, options_.MaxHeight, false);
  return {Times(layout.Width, kDecodedPixelsPerThumbnailPixel),
          Times(layout.Height, kDecodedPixelsPerThumbnailPixel)};
}

void cThumbnail::WriteCanvas(std::unique_ptr<pixels::DibBitmap> canvas) const {
  const std::string kind = LastThreeLetters(destFilePath_);
  if (kind == "jpg") {
    pixels::DrawingSurface canvasDc;
    canvasDc.SelectObject(canvas.get());
    pixels::cDIBSection dib;
    // A buffer that cannot be made still goes to the writer, which reports
    // it as a failed write.
    if (dib.Create(canvas->Width(), canvas->Height())) dib.LoadPictureBlt(&canvasDc);
    canvasDc.SelectObject(nullptr);
    writing::mIntelJPEGLibrary::SaveDibAsJpeg(dib, destFilePath_, kJpegQuality, comment_);
  } else if (kind == "bmp") {
    const pixels::StdPicture picture = PictureFromBitmap(std::move(canvas), 0);
    writing::PictureSaver::SavePicture(picture, destFilePath_);
  }
}

pixels::StdPicture cThumbnail::PictureFromBitmap(std::unique_ptr<pixels::DibBitmap> bitmap,
                                                 std::uintptr_t) {
  return pixels::StdPicture(std::move(bitmap));
}

}  // namespace imaging::thumbnail
