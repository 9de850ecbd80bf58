#include "imaging/reading/WebPPictureDecoder.h"

#include <QImage>
#include <bit>

#include "imaging/reading/FramePainter.h"
#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// libwebp's lossy bitstream format, in its features.
constexpr int kLossy = 1;
// What a lossy decode holds a column: the rows of macroblocks it filters
// and the rows it scales, generously.
constexpr std::int64_t kLossyBytesPerColumn = 256;

// QImage's ARGB32 lies in memory as libwebp's BGRA on this byte order.
static_assert(std::endian::native == std::endian::little);

std::string StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_STATUS_INVALID_PARAM:
      return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR:
      return "the data is damaged";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return "it uses a feature not supported";
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return "the data ends early";
    default:
      return "error " + std::to_string(int(status));
  }
}

std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

}  // namespace

WebPPictureDecoder::WebPPictureDecoder(const std::uint8_t* data, std::size_t size,
                                       const std::string& path, const DecodeLimits& limits)
    : data_(data), size_(size), path_(path), limits_(limits) {
  const VP8StatusCode status = WebPGetFeatures(data_, size_, &features_);
  if (status != VP8_STATUS_OK) {
    throw PictureErrors::InvalidPicture(path_,
                                        "the WebP header cannot be read: " + StatusText(status));
  }
  if (features_.has_animation) {
    throw PictureErrors::InvalidPicture(path_, "the WebP picture is animated");
  }
  PictureErrors::CheckSize(path_, features_.width, features_.height, limits_.MaxPixels);
  // The loader has seen "RIFF" and the size after it.
  whole_ = std::int64_t{LittleEndian32(data_ + 4)} + 8 <= std::int64_t(size_);
}

pixels::DecodeScale WebPPictureDecoder::ScaleFor(std::int32_t minWidth,
                                                 std::int32_t minHeight) const {
  return pixels::ChooseScale(features_.width, features_.height, minWidth, minHeight,
                             pixels::kHalvingScales);
}

std::int64_t WebPPictureDecoder::DecodeBytes(pixels::DecodeScale scale) const {
  const std::int64_t width = features_.width, height = features_.height;
  const std::int64_t scaledWidth = pixels::ScaledSide(features_.width, scale);
  const std::int64_t scaledHeight = pixels::ScaledSide(features_.height, scale);
  // An extended file may hold either kind; it counts as the larger.
  const std::int64_t working =
      features_.format == kLossy
          ? (features_.has_alpha ? width * height : 0) + kLossyBytesPerColumn * width
          : 4 * width * height + kLossyBytesPerColumn * width;
  return working + 4 * scaledWidth * scaledHeight +
         pixels::DibBitmap::StrideFor(std::int32_t(scaledWidth)) * scaledHeight;
}

pixels::StdPicture WebPPictureDecoder::Decode(pixels::DecodeScale scale) {
  PictureErrors::ClaimMemory(path_, features_.width, features_.height, std::int64_t(size_),
                             DecodeBytes(scale), whole_, limits_);
  const std::int32_t width = pixels::ScaledSide(features_.width, scale);
  const std::int32_t height = pixels::ScaledSide(features_.height, scale);
  QImage frame(width, height, QImage::Format_ARGB32);
  if (frame.isNull()) throw PictureErrors::OutOfMemory(path_);
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) {
    throw PictureErrors::InvalidPicture(path_, "the WebP library is not the one built against");
  }
  if (width != features_.width || height != features_.height) {
    config.options.use_scaling = 1;
    config.options.scaled_width = width;
    config.options.scaled_height = height;
  }
  config.output.colorspace = MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = frame.bits();
  config.output.u.RGBA.stride = int(frame.bytesPerLine());
  config.output.u.RGBA.size = std::size_t(frame.sizeInBytes());
  const VP8StatusCode status = WebPDecode(data_, size_, &config);
  WebPFreeDecBuffer(&config.output);
  if (status == VP8_STATUS_OUT_OF_MEMORY) throw PictureErrors::OutOfMemory(path_);
  if (status != VP8_STATUS_OK) {
    throw PictureErrors::InvalidPicture(path_,
                                        "the picture cannot be decoded: " + StatusText(status));
  }
  FrameLayout layout;
  layout.Width = layout.FrameWidth = width;
  layout.Height = layout.FrameHeight = height;
  auto bitmap = FramePainter::Paint(frame, layout, 1, path_);
  return pixels::StdPicture(std::move(bitmap), features_.width, features_.height, scale, 1);
}

}  // namespace imaging::reading
