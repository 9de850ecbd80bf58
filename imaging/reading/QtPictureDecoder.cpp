#include "imaging/reading/QtPictureDecoder.h"

#include <QImage>
#include <limits>

#include "imaging/reading/BmpHeader.h"
#include "imaging/reading/FramePainter.h"
#include "imaging/reading/GifHeader.h"
#include "imaging/reading/PictureErrors.h"
#include "imaging/reading/PngHeader.h"

namespace imaging::reading {

namespace {

const char* ReaderFormat(PictureFormat format) {
  switch (format) {
    case PictureFormat::Gif:
      return "gif";
    case PictureFormat::Png:
      return "png";
    default:
      return "bmp";
  }
}

}  // namespace

QtPictureDecoder::QtPictureDecoder(std::uint8_t* data, std::size_t size, PictureFormat format,
                                   const std::string& path, const DecodeLimits& limits)
    : format_(format), path_(path), limits_(limits), fileBytes_(std::int64_t(size)) {
  if (size > std::size_t(std::numeric_limits<int>::max())) {
    throw PictureErrors::InvalidPicture(path_, "the file is too large");
  }
  if (format_ == PictureFormat::Gif) {
    layout_ = GifHeader::Read(data, size, path_, limits_.MaxPixels);
    GifHeader::FitScreenToFirstFrame(data, size);
  } else if (format_ == PictureFormat::Png) {
    layout_ = PngHeader::Read(data, size, path_, limits_.MaxPixels);
  } else {
    layout_ = BmpHeader::Read(data, size, path_, limits_.MaxPixels);
    if (BitFieldPixels::Applies(data, size)) bitFields_.emplace(data, size, path_);
  }
  bytes_ = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  buffer_.setBuffer(&bytes_);
  buffer_.open(QIODevice::ReadOnly);
  reader_.setDevice(&buffer_);
  reader_.setFormat(ReaderFormat(format_));
  reader_.setDecideFormatFromContent(false);
}

pixels::DecodeScale QtPictureDecoder::ScaleFor(std::int32_t minWidth,
                                               std::int32_t minHeight) const {
  return pixels::ChooseScale(layout_.Width, layout_.Height, minWidth, minHeight,
                             pixels::kHalvingScales);
}

std::int64_t QtPictureDecoder::FrameBytes() const {
  return (std::int64_t(layout_.FrameWidth) * layout_.ReaderBytesPerPixel + 3) / 4 * 4 *
         layout_.FrameHeight;
}

std::int64_t QtPictureDecoder::DecodeBytes(pixels::DecodeScale scale) const {
  return FrameBytes() + pixels::DibBitmap::StrideFor(pixels::ScaledSide(layout_.Width, scale)) *
                            std::int64_t{pixels::ScaledSide(layout_.Height, scale)};
}

pixels::StdPicture QtPictureDecoder::Decode(pixels::DecodeScale scale) {
  PictureErrors::ClaimMemory(path_, layout_.FrameWidth, layout_.FrameHeight, fileBytes_,
                             DecodeBytes(scale), layout_.FileHoldsFrame, limits_);
  const std::int64_t frameBytes = FrameBytes();
  // The reader refuses images above its own limit, which is the same for
  // every reader in the process and left as it is: say so in our words.
  const std::int64_t readerLimit = std::int64_t(QImageReader::allocationLimit()) << 20;
  if (readerLimit > 0 && frameBytes > readerLimit) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture is " + std::to_string(layout_.FrameWidth) + " x " +
                   std::to_string(layout_.FrameHeight) + " pixels, more than the " +
                   std::to_string(readerLimit >> 20) + " MB the image reader may hold for it");
  }
  const QImage frame = bitFields_ ? bitFields_->Read() : reader_.read();
  if (frame.isNull() && bitFields_) throw PictureErrors::OutOfMemory(path_);
  if (frame.isNull()) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture cannot be decoded: " + reader_.errorString().toStdString());
  }
  if (frame.width() != layout_.FrameWidth || frame.height() != layout_.FrameHeight) {
    throw PictureErrors::InvalidPicture(path_, "the picture's size differs from its header's");
  }
  auto bitmap = FramePainter::Paint(frame, layout_, scale.Denominator, path_);
  return pixels::StdPicture(std::move(bitmap), layout_.Width, layout_.Height, scale, 1);
}

}  // namespace imaging::reading
