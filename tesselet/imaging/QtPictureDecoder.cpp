#include "tesselet/imaging/QtPictureDecoder.h"

#include <QImage>
#include <cstring>
#include <limits>

#include "tesselet/imaging/BmpHeader.h"
#include "tesselet/imaging/FramePainter.h"
#include "tesselet/imaging/GifHeader.h"
#include "tesselet/imaging/PictureErrors.h"

namespace imaging {

namespace {

constexpr std::int32_t kLargestFactor = 8;

std::int64_t SidePart(std::int32_t side, std::int32_t factor) {
  return (side + factor - 1) / factor;
}

}  // namespace

QtPictureDecoder::QtPictureDecoder(std::uint8_t* data, std::size_t size, const char* format,
                                   const std::string& path, const DecodeLimits& limits)
    : path_(path), limits_(limits), fileBytes_(std::int64_t(size)) {
  if (size > std::size_t(std::numeric_limits<int>::max())) {
    throw PictureErrors::InvalidPicture(path_, "the file is too large");
  }
  if (std::strcmp(format, "gif") == 0) {
    layout_ = GifHeader::Read(data, size, path_, limits_.MaxPixels);
    GifHeader::FitScreenToFirstFrame(data, size);
  } else {
    layout_ = BmpHeader::Read(data, size, path_, limits_.MaxPixels);
    if (BitFieldPixels::Applies(data, size)) bitFields_.emplace(data, size, path_);
  }
  bytes_ = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  buffer_.setBuffer(&bytes_);
  buffer_.open(QIODevice::ReadOnly);
  reader_.setDevice(&buffer_);
  reader_.setFormat(format);
  reader_.setDecideFormatFromContent(false);
}

std::int32_t QtPictureDecoder::ChooseFactor(std::int32_t minWidth, std::int32_t minHeight) const {
  std::int32_t factor = 1;
  while (factor < kLargestFactor && SidePart(layout_.Width, factor * 2) >= minWidth &&
         SidePart(layout_.Height, factor * 2) >= minHeight) {
    factor *= 2;
  }
  return factor;
}

StdPicture QtPictureDecoder::Decode(std::int32_t minWidth, std::int32_t minHeight) {
  const std::int32_t factor = ChooseFactor(minWidth, minHeight);
  // The reader's image of the frame, rows padded to 4 bytes, and ours of
  // the picture at the scale chosen.
  const std::int64_t frameBytes =
      (std::int64_t(layout_.FrameWidth) * layout_.ReaderBytesPerPixel + 3) / 4 * 4 *
      layout_.FrameHeight;
  const std::int64_t pictureBytes =
      DibBitmap::StrideFor(std::int32_t(SidePart(layout_.Width, factor))) *
      SidePart(layout_.Height, factor);
  PictureErrors::ClaimMemory(path_, layout_.FrameWidth, layout_.FrameHeight, fileBytes_,
                             frameBytes + pictureBytes, layout_.FileHoldsFrame, limits_);
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
  auto bitmap = FramePainter::Paint(frame, layout_, factor, path_);
  return StdPicture(std::move(bitmap), layout_.Width, layout_.Height, DecodeScale{1, factor}, 1);
}

}  // namespace imaging
