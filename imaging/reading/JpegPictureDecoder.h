#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/PictureDecoder.h"

namespace imaging::reading {

// Decodes a JPEG file held in memory through TurboJPEG, straight into a
// bottom-up blue-green-red bitmap (its stride is the decoder's pitch), at
// the smallest DCT scale that still gives the size asked for. The header is
// read and checked when the decoder is made, before anything is allocated
// from it; libjpeg reads it where TurboJPEG's header read cannot name the
// sampling factors (3 x 1, 1 x 4, 4 x 2, mixed ones), which TurboJPEG's
// decode, being libjpeg's, reads all the same. Grey, YCbCr, CMYK and YCCK files are read;
// progressive files are held to a bounded number of scans. A file cut short gives the part that is
// there. A progressive file decoded at 1/8 is read only as far as its DC
// scans. One that cannot be started on raises error 481 naming the file, as
// does one whose decode would hold more than the limits allow (decoded
// pixels at the scale chosen, and every byte held: the file, the picture,
// the coefficients a progressive file keeps), or whose header declares
// more blocks than the file can hold and would cost more than a small
// decode.
class JpegPictureDecoder final : public PictureDecoder {
 public:
  // The bytes are borrowed and must outlive the decoder.
  JpegPictureDecoder(const std::uint8_t* data, std::size_t size, const std::string& path,
                     const DecodeLimits& limits);
  ~JpegPictureDecoder() override;

  PictureFormat Format() const override { return PictureFormat::Jpeg; }
  std::int32_t StoredWidth() const override { return width_; }
  std::int32_t StoredHeight() const override { return height_; }
  int Orientation() const override { return orientation_; }
  std::vector<std::uint8_t> ColourProfile() const override { return colourProfile_; }

  // Decodes at the smallest of TurboJPEG's scales (in eighths) whose result
  // is at least minWidth x minHeight pixels as stored.
  pixels::StdPicture Decode(std::int32_t minWidth, std::int32_t minHeight) override;

 private:
  struct HandleCloser {
    void operator()(void* handle) const;
  };
  void DecodeCmyk(pixels::DibBitmap& bitmap, std::int32_t scaledWidth, std::int32_t scaledHeight);
  void CheckResult(int result);
  void ClaimMemory(std::int64_t decodeBytes) const;

  const std::uint8_t* data_;
  std::size_t size_;
  std::string path_;
  DecodeLimits limits_;
  std::unique_ptr<void, HandleCloser> handle_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int colourspace_ = 0;
  int orientation_ = 1;
  bool invertedCmyk_ = false;
  bool progressive_ = false;
  std::int64_t blocks_ = 0;
  std::int64_t bufferedCoefficientBytes_ = 0;
  std::vector<std::uint8_t> colourProfile_;
};

}  // namespace imaging::reading
