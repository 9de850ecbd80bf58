#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging::reading {

// The pixels of a BMP whose colours are bit fields (compression 3, 16 or
// 32 bits a pixel), read here rather than by the image reader, which draws
// fields of other widths than 5 or 8 bits wrong: each field is scaled from
// its own width to 8 bits, a field of 10 bits as truly as one of 3. The
// masks and the pixels' place in the file are checked when it is made,
// before anything is allocated; a mask that is empty, wider than a pixel
// or not one run of bits, or pixels that run past the file's end, raise
// error 481 naming the file. An alpha mask (in the headers that have one)
// makes the image's pixels as transparent as it says.
class BitFieldPixels {
 public:
  // Whether the file is a BMP of bit fields; its headers already read.
  static bool Applies(const std::uint8_t* data, std::size_t size);

  // The bytes are borrowed and must outlive the reader.
  BitFieldPixels(const std::uint8_t* data, std::size_t size, const std::string& path);

  // The picture, top row first, as 0xAARRGGBB pixels; a null image when
  // memory runs out.
  QImage Read() const;

 private:
  struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t largest = 0;  // the field's largest value
    int Level(std::uint32_t pixel) const;
  };
  static Field MaskField(std::uint32_t mask, int bits, const char* colour, const std::string& path);

  const std::uint8_t* pixels_ = nullptr;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool topDown_ = false;
  int bits_ = 0;
  std::size_t stride_ = 0;
  Field red_, green_, blue_, alpha_;
};

}  // namespace imaging::reading
