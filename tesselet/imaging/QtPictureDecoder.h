#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tesselet/imaging/StdPicture.h"

namespace imaging {

// Reads a BMP or GIF (its first frame) held in memory through QImageReader,
// with the reader's allocation limit set and the header's size checked
// against maxPixels before the pixels are read. Transparent pixels are shown
// on white.
class QtPictureDecoder {
 public:
  // The bytes are borrowed and must outlive the decoder.
  QtPictureDecoder(const std::uint8_t* data, std::size_t size, const char* format,
                   const std::string& path, std::int64_t maxPixels);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  StdPicture Decode();

 private:
  std::string path_;
  QByteArray bytes_;
  QBuffer buffer_;
  QImageReader reader_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace imaging
