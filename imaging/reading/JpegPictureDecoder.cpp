#include "imaging/reading/JpegPictureDecoder.h"

#include <turbojpeg.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "imaging/ErrorSources.h"
#include "imaging/reading/CmykPixels.h"
#include "imaging/reading/JpegDecompressor.h"
#include "imaging/reading/JpegMarkers.h"
#include "imaging/reading/PictureErrors.h"
#include "imaging/reading/ProgressiveDcDecoder.h"
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

// The header as libjpeg reads it, for the files TurboJPEG's header read
// refuses though TurboJPEG decodes them: sampling factors it cannot name
// (3 x 1, 1 x 4, 4 x 2, or mixed ones such as 2 x 2, 1 x 1, 2 x 2). Gives
// the size and the TurboJPEG colourspace, or false when libjpeg cannot
// read the header either. Nothing here owns anything: the jump back from a
// failure skips no destructor.
bool ReadHeaderThroughLibjpeg(JpegDecompressor& decompressor, const std::uint8_t* data,
                              std::size_t size, std::int32_t& width, std::int32_t& height,
                              int& colourspace) {
  jpeg_decompress_struct& info = decompressor.info;
  if (setjmp(decompressor.errors.jump)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.image_width > JPEG_MAX_DIMENSION || info.image_height > JPEG_MAX_DIMENSION) return false;
  width = std::int32_t(info.image_width);
  height = std::int32_t(info.image_height);
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
      colourspace = TJCS_GRAY;
      break;
    case JCS_RGB:
      colourspace = TJCS_RGB;
      break;
    case JCS_CMYK:
      colourspace = TJCS_CMYK;
      break;
    case JCS_YCCK:
      colourspace = TJCS_YCCK;
      break;
    default:
      colourspace = TJCS_YCbCr;
      break;
  }
  return true;
}

}  // namespace

void JpegPictureDecoder::HandleCloser::operator()(void* handle) const { tjDestroy(handle); }

JpegPictureDecoder::JpegPictureDecoder(const std::uint8_t* data, std::size_t size,
                                       const std::string& path, const DecodeLimits& limits)
    : data_(data), size_(size), path_(path), limits_(limits), handle_(tjInitDecompress()) {
  if (!handle_)
    throw platform::RunTimeError::standard(platform::kOutOfMemory, kPictureLoaderSource);
  if (size > std::numeric_limits<unsigned long>::max()) {
    throw PictureErrors::InvalidPicture(path_, "the file is too large");
  }
  int subsampling = 0;
  if (tjDecompressHeader3(handle_.get(), data_, static_cast<unsigned long>(size_), &width_,
                          &height_, &subsampling, &colourspace_) != 0) {
    const std::string why = tjGetErrorStr2(handle_.get());
    JpegDecompressor decompressor;
    if (!ReadHeaderThroughLibjpeg(decompressor, data_, size_, width_, height_, colourspace_)) {
      throw PictureErrors::InvalidPicture(path_, "the JPEG data cannot be read: " + why);
    }
  }
  // A file cut short in its header reads as tables only, with no picture.
  if (width_ < 1 || height_ < 1) {
    throw PictureErrors::InvalidPicture(path_, "the JPEG data ends before the picture starts");
  }
  // What the decode holds is checked in Decode, once the scale is known
  // and before anything is allocated.
  const JpegMarkers markers(data_, size_);
  // (At least the blocks of one full-size component, should the markers
  // not be readable where libjpeg reads on past damage.)
  blocks_ = std::max(markers.BlockCount(),
                     std::int64_t(width_ + 7) / 8 * (std::int64_t(height_ + 7) / 8));
  bufferedCoefficientBytes_ = markers.BufferedCoefficientBytes();
  orientation_ = markers.Orientation();
  // Photoshop stores CMYK inverted and says so with its Adobe segment; files
  // without one hold plain ink amounts.
  invertedCmyk_ = markers.HasAdobeSegment();
  progressive_ = markers.IsProgressive();
  colourProfile_ = markers.ColourProfile();
}

JpegPictureDecoder::~JpegPictureDecoder() = default;

pixels::StdPicture JpegPictureDecoder::Decode(std::int32_t minWidth, std::int32_t minHeight) {
  static const std::vector<pixels::DecodeScale> offered = OfferedScales();
  const pixels::DecodeScale scale =
      pixels::ChooseScale(width_, height_, minWidth, minHeight, offered);
  const std::int32_t scaledWidth = pixels::ScaledSide(width_, scale);
  const std::int32_t scaledHeight = pixels::ScaledSide(height_, scale);
  if (std::int64_t{scaledWidth} * scaledHeight > limits_.MaxPixels) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture is " + std::to_string(width_) + " x " + std::to_string(height_) +
                   " pixels; decoded at the size needed, " + std::to_string(scaledWidth) + " x " +
                   std::to_string(scaledHeight) + ", it is more than the " +
                   std::to_string(limits_.MaxPixels / 1'000'000) +
                   " megapixels a picture may have in memory");
  }
  // A sequential file is decoded a few rows at a time, so beside the file
  // only the reduced picture counts (and a CMYK file's copy of it); a
  // progressive one decoded at 1/8 from its DC scans holds a level (two
  // bytes) a block; any other progressive file (or one whose first scan leaves
  // components out) keeps every coefficient until its last scan.
  const std::int64_t pictureBytes = pixels::DibBitmap::StrideFor(scaledWidth) * scaledHeight;
  const bool cmyk = colourspace_ == TJCS_CMYK || colourspace_ == TJCS_YCCK;
  const bool fromDcScans = progressive_ && scale.Numerator == 1 && scale.Denominator == 8;
  if (fromDcScans) {
    ClaimMemory(pictureBytes + 2 * blocks_);
  } else {
    ClaimMemory(pictureBytes + bufferedCoefficientBytes_ +
                (cmyk ? std::int64_t{scaledWidth} * scaledHeight * 4 : 0));
  }
  auto bitmap = pixels::DibBitmap::Create(scaledWidth, scaledHeight);
  if (!bitmap) throw PictureErrors::OutOfMemory(path_);

  if (fromDcScans) {
    // Where the DC scans alone do not do, libjpeg keeps every coefficient.
    ProgressiveDcDecoder::Decode(data_, size_, path_, invertedCmyk_, *bitmap, [&] {
      ClaimMemory(pictureBytes + blocks_ * JpegMarkers::kCoefficientBytesPerBlock);
    });
  } else if (cmyk) {
    DecodeCmyk(*bitmap, scaledWidth, scaledHeight);
  } else {
    // Straight into the bitmap: its stride is the decoder's pitch, and the
    // picture's top row goes into the last memory row, as the bitmap keeps it.
    CheckResult(tjDecompress2(handle_.get(), data_, static_cast<unsigned long>(size_),
                              bitmap->Bits(), scaledWidth, bitmap->Stride(), scaledHeight, TJPF_BGR,
                              TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS));
  }
  return pixels::StdPicture(std::move(bitmap), width_, height_, scale, orientation_);
}

// Each block is sent with at least one bit, so a file holds at most 8 of
// them a byte: a header declaring more promises pixels the file cannot hold.
void JpegPictureDecoder::ClaimMemory(std::int64_t decodeBytes) const {
  PictureErrors::ClaimMemory(path_, width_, height_, std::int64_t(size_), decodeBytes,
                             blocks_ <= 8 * std::int64_t(size_), limits_);
}

// TurboJPEG hands CMYK out only as CMYK, so it is decoded to a buffer of
// its own and turned into blue-green-red a row at a time.
void JpegPictureDecoder::DecodeCmyk(pixels::DibBitmap& bitmap, std::int32_t scaledWidth,
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

}  // namespace imaging::reading
