#include "tesselet/imaging/JpegPictureDecoder.h"

#include <turbojpeg.h>

#include <limits>
#include <vector>

#include "platform/RunTimeError.h"
#include "tesselet/imaging/CmykPixels.h"
#include "tesselet/imaging/ErrorSources.h"
#include "tesselet/imaging/JpegMarkers.h"
#include "tesselet/imaging/PictureErrors.h"
#include "tesselet/imaging/ProgressiveDcDecoder.h"

namespace imaging {

namespace {

// The smallest TurboJPEG scaling factor below 1 (they go in eighths) whose
// result still covers minWidth x minHeight; 1/1 when none does.
tjscalingfactor ChooseScale(std::int32_t width, std::int32_t height, std::int32_t minWidth,
                            std::int32_t minHeight) {
  tjscalingfactor best{1, 1};
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  for (int i = 0; factors && i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num >= f.denom) continue;  // never enlarge while decoding
    if (TJSCALED(width, f) < minWidth || TJSCALED(height, f) < minHeight) continue;
    if (std::int64_t(f.num) * best.denom < std::int64_t(best.num) * f.denom) best = f;
  }
  return best;
}

}  // namespace

void JpegPictureDecoder::HandleCloser::operator()(void* handle) const { tjDestroy(handle); }

JpegPictureDecoder::JpegPictureDecoder(const std::uint8_t* data, std::size_t size,
                                       const std::string& path, std::int64_t maxPixels,
                                       std::int64_t maxCoefficientBytes)
    : data_(data), size_(size), path_(path), maxPixels_(maxPixels), handle_(tjInitDecompress()) {
  if (!handle_)
    throw platform::RunTimeError::standard(platform::kOutOfMemory, kPictureLoaderSource);
  if (size > std::numeric_limits<unsigned long>::max()) {
    throw PictureErrors::InvalidPicture(path_, "the file is too large");
  }
  int subsampling = 0;
  if (tjDecompressHeader3(handle_.get(), data_, static_cast<unsigned long>(size_), &width_,
                          &height_, &subsampling, &colourspace_) != 0) {
    throw PictureErrors::InvalidPicture(
        path_, std::string("the JPEG data cannot be read: ") + tjGetErrorStr2(handle_.get()));
  }
  // A file cut short in its header reads as tables only, with no picture.
  if (width_ < 1 || height_ < 1) {
    throw PictureErrors::InvalidPicture(path_, "the JPEG data ends before the picture starts");
  }
  // A sequential file is decoded a few rows at a time, so only the reduced
  // picture counts against the pixel limit (checked in Decode, once the
  // scale is known). A progressive file keeps every coefficient of the whole
  // picture until its last scan: that is checked here, before the decoder
  // allocates anything.
  const JpegMarkers markers(data_, size_);
  if (markers.BufferedCoefficientBytes() > maxCoefficientBytes) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture is " + std::to_string(width_) + " x " + std::to_string(height_) +
                   " pixels stored progressively, more than the " +
                   std::to_string(maxCoefficientBytes >> 20) + " MB the decoder may hold for it");
  }
  orientation_ = markers.Orientation();
  // Photoshop stores CMYK inverted and says so with its Adobe segment; files
  // without one hold plain ink amounts.
  invertedCmyk_ = markers.HasAdobeSegment();
  progressive_ = markers.IsProgressive();
}

JpegPictureDecoder::~JpegPictureDecoder() = default;

StdPicture JpegPictureDecoder::Decode(std::int32_t minWidth, std::int32_t minHeight) {
  const tjscalingfactor scale = ChooseScale(width_, height_, minWidth, minHeight);
  const std::int32_t scaledWidth = TJSCALED(width_, scale);
  const std::int32_t scaledHeight = TJSCALED(height_, scale);
  if (std::int64_t{scaledWidth} * scaledHeight > maxPixels_) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture is " + std::to_string(width_) + " x " + std::to_string(height_) +
                   " pixels; decoded at the size needed, " + std::to_string(scaledWidth) + " x " +
                   std::to_string(scaledHeight) + ", it is more than the " +
                   std::to_string(maxPixels_ / 1'000'000) +
                   " megapixels a picture may have in memory");
  }
  auto bitmap = DibBitmap::Create(scaledWidth, scaledHeight);
  if (!bitmap) throw PictureErrors::OutOfMemory(path_);

  if (progressive_ && scale.num == 1 && scale.denom == 8) {
    ProgressiveDcDecoder::Decode(data_, size_, path_, invertedCmyk_, *bitmap);
  } else if (colourspace_ == TJCS_CMYK || colourspace_ == TJCS_YCCK) {
    DecodeCmyk(*bitmap, scaledWidth, scaledHeight);
  } else {
    // Straight into the bitmap: its stride is the decoder's pitch, and the
    // picture's top row goes into the last memory row, as the bitmap keeps it.
    CheckResult(tjDecompress2(handle_.get(), data_, static_cast<unsigned long>(size_),
                              bitmap->Bits(), scaledWidth, bitmap->Stride(), scaledHeight, TJPF_BGR,
                              TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS));
  }
  return StdPicture(std::move(bitmap), width_, height_, DecodeScale{scale.num, scale.denom},
                    orientation_);
}

// TurboJPEG hands CMYK out only as CMYK, so it is decoded to a buffer of
// its own and turned into blue-green-red a row at a time.
void JpegPictureDecoder::DecodeCmyk(DibBitmap& bitmap, std::int32_t scaledWidth,
                                    std::int32_t scaledHeight) {
  const std::size_t pitch = std::size_t(scaledWidth) * 4;
  std::vector<std::uint8_t> cmyk(pitch * std::size_t(scaledHeight));
  CheckResult(tjDecompress2(handle_.get(), data_, static_cast<unsigned long>(size_), cmyk.data(),
                            scaledWidth, int(pitch), scaledHeight, TJPF_CMYK, TJFLAG_LIMITSCANS));
  for (std::int32_t y = 0; y < scaledHeight; ++y) {
    CmykPixels::ToBgr(cmyk.data() + std::size_t(y) * pitch, bitmap.RowFromTop(y), scaledWidth,
                      invertedCmyk_);
  }
}

// A warning (data cut short or damaged after the start) leaves the picture
// as far as it could be decoded, the way browsers show such files; only a
// failure to decode at all raises.
void JpegPictureDecoder::CheckResult(int result) {
  if (result == 0 || tjGetErrorCode(handle_.get()) == TJERR_WARNING) return;
  throw PictureErrors::InvalidPicture(
      path_, std::string("the JPEG data cannot be decoded: ") + tjGetErrorStr2(handle_.get()));
}

}  // namespace imaging
