#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/reading/JpegDecompressor.h"

namespace imaging::reading {

// A JPEG file's header, read once through libjpeg up to its first scan:
// the picture's size and colours, the EXIF orientation, whether an Adobe
// segment marks its CMYK values as stored inverted (as Photoshop writes
// them), and how much a decode must hold. libjpeg's decompressor is kept
// standing at the first scan, so a decode through libjpeg goes on from
// there instead of reading the header again. Raises error 481 naming the
// file when libjpeg cannot read the header or the data ends before the
// picture starts. The bytes are borrowed and must outlive the header.
class JpegHeader {
 public:
  JpegHeader(const std::uint8_t* data, std::size_t size, const std::string& path);
  JpegHeader(JpegHeader&&) noexcept = default;
  JpegHeader& operator=(JpegHeader&&) noexcept = default;
  ~JpegHeader();

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // CMYK or YCCK: four components, which TurboJPEG hands out as CMYK only.
  bool IsCmyk() const { return cmyk_; }
  // 1 (as stored) to 8; 1 when there is no valid orientation.
  int Orientation() const { return orientation_; }
  bool HasAdobeSegment() const { return adobe_; }
  // Whether the frame is progressive: its first scans hold the DC
  // coefficients of the whole picture.
  bool IsProgressive() const { return progressive_; }
  // The ICC colour profile the file carries, put together from its
  // numbered APP2 chunks; empty when it has none, or when the chunks do not
  // make one whole profile (one missing, numbered twice or out of range,
  // counts that disagree), as a half profile would show wrong colours.
  // Never larger than the file.
  const std::vector<std::uint8_t>& ColourProfile() const { return colourProfile_; }

  // Bytes of DCT coefficients the decoder keeps for the whole picture before
  // it can give out a row: 2 bytes for each coefficient of every block of
  // every component, as a progressive file or one whose first scan leaves
  // components out must be held until its last scan. 0 for a sequential
  // file with all components in one scan, which is decoded a few rows at a
  // time whatever its size.
  std::int64_t BufferedCoefficientBytes() const { return coefficientBytes_; }
  // Blocks of 8 x 8 samples of every component, as the decoder pads them.
  // Each is sent with at least one bit (a Huffman code is never shorter),
  // so a file holds at most 8 blocks a byte.
  std::int64_t BlockCount() const { return blocks_; }

  static constexpr std::int64_t kCoefficientBytesPerBlock = 128;

  // libjpeg's decompressor, standing at the start of the first scan.
  JpegDecompressor& Decompressor() const { return *decompressor_; }

 private:
  std::unique_ptr<JpegDecompressor> decompressor_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool cmyk_ = false;
  int orientation_ = 1;
  bool adobe_ = false;
  bool progressive_ = false;
  std::int64_t blocks_ = 0;
  std::int64_t coefficientBytes_ = 0;
  std::vector<std::uint8_t> colourProfile_;
};

}  // namespace imaging::reading
