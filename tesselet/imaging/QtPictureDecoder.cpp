#include "tesselet/imaging/QtPictureDecoder.h"

#include <QImage>
#include <algorithm>
#include <limits>

#include "tesselet/imaging/PictureErrors.h"

namespace imaging {

namespace {

// The reader's own limit, in megabytes: enough for the largest picture the
// pixel limit lets through at 4 bytes a pixel, so the pixel limit decides
// and not the reader's default.
int AllocationLimitMegabytes(std::int64_t maxPixels) {
  const std::int64_t megabytes = (maxPixels * 4 + (1 << 20) - 1) >> 20;
  return int(std::min<std::int64_t>(megabytes, std::numeric_limits<int>::max()));
}

}  // namespace

QtPictureDecoder::QtPictureDecoder(const std::uint8_t* data, std::size_t size, const char* format,
                                   const std::string& path, std::int64_t maxPixels)
    : path_(path) {
  if (size > std::size_t(std::numeric_limits<int>::max())) {
    throw PictureErrors::InvalidPicture(path_, "the file is too large");
  }
  bytes_ = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  buffer_.setBuffer(&bytes_);
  buffer_.open(QIODevice::ReadOnly);
  QImageReader::setAllocationLimit(AllocationLimitMegabytes(maxPixels));
  reader_.setDevice(&buffer_);
  reader_.setFormat(format);
  reader_.setDecideFormatFromContent(false);
  const QSize size2 = reader_.size();
  if (!size2.isValid()) {
    throw PictureErrors::InvalidPicture(
        path_, "the header cannot be read: " + reader_.errorString().toStdString());
  }
  PictureErrors::CheckSize(path_, size2.width(), size2.height(), maxPixels);
  width_ = size2.width();
  height_ = size2.height();
}

StdPicture QtPictureDecoder::Decode() {
  QImage image = reader_.read();
  if (image.isNull()) {
    throw PictureErrors::InvalidPicture(
        path_, "the picture cannot be decoded: " + reader_.errorString().toStdString());
  }
  if (image.width() != width_ || image.height() != height_) {
    throw PictureErrors::InvalidPicture(path_, "the picture's size differs from its header's");
  }
  image = image.convertToFormat(QImage::Format_ARGB32);  // 0xAARRGGBB a pixel
  auto bitmap = DibBitmap::Create(width_, height_);
  if (!bitmap) throw PictureErrors::OutOfMemory(path_);
  for (std::int32_t y = 0; y < height_; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::uint8_t* out = bitmap->RowFromTop(y);
    for (std::int32_t x = 0; x < width_; ++x, out += 3) {
      const QRgb pixel = in[x];
      const int alpha = qAlpha(pixel);
      const int white = 255 * (255 - alpha);
      // Over white: colour x alpha + 255 x (1 - alpha), rounded.
      out[0] = std::uint8_t((qBlue(pixel) * alpha + white + 127) / 255);
      out[1] = std::uint8_t((qGreen(pixel) * alpha + white + 127) / 255);
      out[2] = std::uint8_t((qRed(pixel) * alpha + white + 127) / 255);
    }
  }
  return StdPicture(std::move(bitmap));
}

}  // namespace imaging
