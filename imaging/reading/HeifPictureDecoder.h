#pragma once

#include <libheif/heif.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/PictureDecoder.h"

namespace imaging::reading {

// Reads the primary picture of a HEIF file (a phone's HEIC photo) held in
// memory through libheif, with libheif's own limits on sizes left as they
// are. libheif turns and mirrors the picture as the file says (its irot and
// imir boxes), so the size read from the header is the size as shown and
// the orientation is 1. libheif decodes at full size only: the picture is
// then reduced to the scale asked for. The memory the decode holds is
// checked against the limits before libheif allocates any pixel.
class HeifPictureDecoder final : public PictureDecoder {
 public:
  // The bytes are borrowed and must outlive the decoder.
  HeifPictureDecoder(const std::uint8_t* data, std::size_t size, const std::string& path,
                     const DecodeLimits& limits);
  ~HeifPictureDecoder() override;

  // Whether the bytes start an ISO media file whose first box names a HEIF
  // brand of still pictures (HEVC-coded, or any coding); AVIF's brands are
  // not among them.
  static bool IsHeif(const std::uint8_t* bytes, std::size_t size);

  PictureFormat Format() const override { return PictureFormat::Heif; }
  std::int32_t StoredWidth() const override { return width_; }
  std::int32_t StoredHeight() const override { return height_; }
  std::vector<std::uint8_t> ColourProfile() const override { return colourProfile_; }

  // 1/1, 1/2, 1/4 or 1/8.
  pixels::DecodeScale ScaleFor(std::int32_t minWidth, std::int32_t minHeight) const override;
  // At its peak libheif holds three sets of colour planes at full size
  // (the video decoder's, its own copy, and the planar RGB its conversion
  // passes through) and the interleaved RGB it converts them to; the planes
  // are counted as 4:4:4, the most they take. Ours of the picture at the
  // scale comes on top. (A 6000 x 4000 photo, 4:2:0, was measured at 9.3
  // bytes a pixel of peak memory; this counts 12.)
  std::int64_t DecodeBytes(pixels::DecodeScale scale) const override;
  pixels::StdPicture Decode(pixels::DecodeScale scale) override;

 private:
  struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
  };
  struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
  };

  std::size_t size_;
  std::string path_;
  DecodeLimits limits_;
  std::unique_ptr<heif_context, ContextDeleter> context_;
  std::unique_ptr<heif_image_handle, HandleDeleter> handle_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool hasAlpha_ = false;
  int bytesPerSample_ = 1;
  std::vector<std::uint8_t> colourProfile_;
};

}  // namespace imaging::reading
