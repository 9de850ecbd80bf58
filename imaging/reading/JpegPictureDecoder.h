#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/JpegHeader.h"
#include "imaging/reading/PictureDecoder.h"

namespace imaging::reading {

// Decodes a JPEG file held in memory through TurboJPEG, straight into a
// bottom-up blue-green-red bitmap (its stride is the decoder's pitch), at
// the smallest DCT scale that still gives the size asked for. The header,
// read and checked before the decoder is made, says what the decode will
// hold before anything is allocated from it. Grey, YCbCr, CMYK and YCCK
// files are read; progressive files are held to a bounded number of scans.
// A file cut short gives the part that is there. One whose decode would
// hold more than the limits allow (decoded pixels at the scale chosen, and
// every byte held: the file, the picture, the coefficients a progressive
// file keeps), or whose header declares more blocks than the file can hold
// and would cost more than a small decode, raises error 481 naming the
// file, as does one that cannot be decoded at all.
class JpegPictureDecoder : public PictureDecoder {
 public:
  // The bytes are borrowed and must outlive the decoder.
  JpegPictureDecoder(const std::uint8_t* data, std::size_t size, const std::string& path,
                     const DecodeLimits& limits, JpegHeader header);
  ~JpegPictureDecoder() override;

  PictureFormat Format() const override { return PictureFormat::Jpeg; }
  std::int32_t StoredWidth() const override { return header_.Width(); }
  std::int32_t StoredHeight() const override { return header_.Height(); }
  int Orientation() const override { return header_.Orientation(); }
  std::vector<std::uint8_t> ColourProfile() const override { return header_.ColourProfile(); }

  // TurboJPEG's scales, in eighths.
  pixels::DecodeScale ScaleFor(std::int32_t minWidth, std::int32_t minHeight) const override;
  // Beside the file, the picture at the scale, the coefficients the file
  // makes the decoder keep, and a CMYK file's own copy of the picture.
  std::int64_t DecodeBytes(pixels::DecodeScale scale) const override;
  pixels::StdPicture Decode(pixels::DecodeScale scale) override;

 protected:
  // The bitmap a decode at the scale fills, once its pixels and
  // DecodeBytes(scale) pass the limits and are reserved.
  std::unique_ptr<pixels::DibBitmap> ClaimBitmap(pixels::DecodeScale scale) const;
  // Checks that a decode may hold decodeBytes, and reserves them.
  void ClaimMemory(std::int64_t decodeBytes) const;
  static std::int64_t PictureBytes(std::int32_t width, std::int32_t height,
                                   pixels::DecodeScale scale);

  const std::uint8_t* data_;
  std::size_t size_;
  std::string path_;
  JpegHeader header_;

 private:
  struct HandleCloser {
    void operator()(void* handle) const;
  };
  void DecodeCmyk(pixels::DibBitmap& bitmap);
  void CheckResult(int result);

  DecodeLimits limits_;
  std::unique_ptr<void, HandleCloser> handle_;
};

}  // namespace imaging::reading
