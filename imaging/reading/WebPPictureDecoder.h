#pragma once

#include <webp/decode.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/PictureDecoder.h"

namespace imaging::reading {

// Reads a still WebP picture held in memory through libwebp. Its header
// gives the size, checked against the limits at once; the picture is
// decoded straight to the reduced scale asked for (libwebp scales as it
// goes), after the memory the decode holds is checked against the limits.
// Transparent pixels are shown on white. Animated files are refused.
class WebPPictureDecoder final : public PictureDecoder {
 public:
  // The bytes are borrowed and must outlive the decoder.
  WebPPictureDecoder(const std::uint8_t* data, std::size_t size, const std::string& path,
                     const DecodeLimits& limits);

  PictureFormat Format() const override { return PictureFormat::WebP; }
  std::int32_t StoredWidth() const override { return features_.width; }
  std::int32_t StoredHeight() const override { return features_.height; }

  // 1/1, 1/2, 1/4 or 1/8.
  pixels::DecodeScale ScaleFor(std::int32_t minWidth, std::int32_t minHeight) const override;
  // The scaled picture as libwebp writes it and ours, beside what libwebp
  // holds while it decodes: a lossless picture's every pixel (its
  // references reach anywhere back), a lossy one's alpha plane and a few
  // rows.
  std::int64_t DecodeBytes(pixels::DecodeScale scale) const override;
  pixels::StdPicture Decode(pixels::DecodeScale scale) override;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::string path_;
  DecodeLimits limits_;
  WebPBitstreamFeatures features_{};
  // Whether the file is as long as its RIFF header says.
  bool whole_ = true;
};

}  // namespace imaging::reading
