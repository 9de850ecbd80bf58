#include "imaging/reading/JpegPictureDecoder.h"

#include <turbojpeg.h>

#include <vector>

#include "imaging/ErrorSources.h"
#include "imaging/reading/CmykPixels.h"
#include "imaging/reading/PictureErrors.h"
#include "platform/RunTimeError.h"

namespace imaging::reading {

namespace {

// TurboJPEG's reducing scales, in eighths.
std::vector<pixels::DecodeScale> OfferedScales() {
  std::vector<pixels::DecodeScale> offered;
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  for (int i = 0; factors && i < count; ++i) offered.push_back({factors[i].num, factors[i].denom});
  return offered;
}

}  // namespace

void JpegPictureDecoder::HandleCloser::operator()(void* handle) const { tjDestroy(handle); }

JpegPictureDecoder::JpegPictureDecoder(const std::uint8_t* data, std::size_t size,
                                       const std::string& path, const DecodeLimits& limits,
                                       JpegHeader header)
    : data_(data),
      size_(size),
      path_(path),
      header_(std::move(header)),
      limits_(limits),
      handle_(tjInitDecompress()) {
  if (!handle_)
    throw platform::RunTimeError::standard(platform::kOutOfMemory, kPictureLoaderSource);
}

JpegPictureDecoder::~JpegPictureDecoder() = default;

pixels::DecodeScale JpegPictureDecoder::ScaleFor(std::int32_t minWidth,
                                                 std::int32_t minHeight) const {
  static const std::vector<pixels::DecodeScale> offered = OfferedScales();
  return pixels::ChooseScale(header_.Width(), header_.Height(), minWidth, minHeight, offered);
}

std::int64_t JpegPictureDecoder::PictureBytes(std::int32_t width, std::int32_t height,
                                              pixels::DecodeScale scale) {
  return pixels::DibBitmap::StrideFor(pixels::ScaledSide(width, scale)) *
         pixels::ScaledSide(height, scale);
}

// A sequential file is decoded a few rows at a time, so beside the file
// only the reduced picture counts (and a CMYK file's copy of it); a
// progressive file, or one whose first scan leaves components out, keeps
// every coefficient until its last scan.
std::int64_t JpegPictureDecoder::DecodeBytes(pixels::DecodeScale scale) const {
  const std::int64_t scaledPixels = std::int64_t{pixels::ScaledSide(header_.Width(), scale)} *
                                    pixels::ScaledSide(header_.Height(), scale);
  return PictureBytes(header_.Width(), header_.Height(), scale) +
         header_.BufferedCoefficientBytes() + (header_.IsCmyk() ? scaledPixels * 4 : 0);
}

std::unique_ptr<pixels::DibBitmap> JpegPictureDecoder::ClaimBitmap(
    pixels::DecodeScale scale) const {
  const std::int32_t width = header_.Width(), height = header_.Height();
  const std::int32_t scaledWidth = pixels::ScaledSide(width, scale);
  const std::int32_t scaledHeight = pixels::ScaledSide(height, scale);
  if (std::int64_t{scaledWidth} * scaledHeight > limits_.MaxPixels) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels; decoded at the size needed, " + std::to_string(scaledWidth) + " x " +
                   std::to_string(scaledHeight) + ", it is more than the " +
                   std::to_string(limits_.MaxPixels / 1'000'000) +
                   " megapixels a picture may have in memory");
  }
  ClaimMemory(DecodeBytes(scale));
  auto bitmap = pixels::DibBitmap::Create(scaledWidth, scaledHeight);
  if (!bitmap) throw PictureErrors::OutOfMemory(path_);
  return bitmap;
}

pixels::StdPicture JpegPictureDecoder::Decode(pixels::DecodeScale scale) {
  auto bitmap = ClaimBitmap(scale);
  if (header_.IsCmyk()) {
    DecodeCmyk(*bitmap);
  } else {
    // Straight into the bitmap: its stride is the decoder's pitch, and the
    // picture's top row goes into the last memory row, as the bitmap keeps it.
    CheckResult(tjDecompress2(handle_.get(), data_, static_cast<unsigned long>(size_),
                              bitmap->Bits(), bitmap->Width(), bitmap->Stride(), bitmap->Height(),
                              TJPF_BGR, TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS));
  }
  return pixels::StdPicture(std::move(bitmap), header_.Width(), header_.Height(), scale,
                            header_.Orientation());
}

// Each block is sent with at least one bit, so a file holds at most 8 of
// them a byte: a header declaring more promises pixels the file cannot hold.
void JpegPictureDecoder::ClaimMemory(std::int64_t decodeBytes) const {
  PictureErrors::ClaimMemory(path_, header_.Width(), header_.Height(), std::int64_t(size_),
                             decodeBytes, header_.BlockCount() <= 8 * std::int64_t(size_), limits_);
}

// TurboJPEG hands CMYK out only as CMYK, so it is decoded to a buffer of
// its own and turned into blue-green-red a row at a time.
void JpegPictureDecoder::DecodeCmyk(pixels::DibBitmap& bitmap) {
  const std::int32_t scaledWidth = bitmap.Width(), scaledHeight = bitmap.Height();
  const std::size_t pitch = std::size_t(scaledWidth) * 4;
  std::vector<std::uint8_t> cmyk(pitch * std::size_t(scaledHeight));
  CheckResult(tjDecompress2(handle_.get(), data_, static_cast<unsigned long>(size_), cmyk.data(),
                            scaledWidth, int(pitch), scaledHeight, TJPF_CMYK, TJFLAG_LIMITSCANS));
  for (std::int32_t y = 0; y < scaledHeight; ++y) {
    CmykPixels::ToBgr(cmyk.data() + std::size_t(y) * pitch, bitmap.RowFromTop(y), scaledWidth,
                      header_.HasAdobeSegment());
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

}  // namespace imaging::reading
