#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/BitFieldPixels.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/FrameLayout.h"
#include "imaging/reading/PictureDecoder.h"

namespace imaging::reading {

// Reads a BMP, PNG or GIF (its first frame) held in memory through
// QImageReader.
// Our own reading of the header gives the picture's size and where the
// frame lies (a top-down BMP's size as any other's; a GIF's screen with its
// first frame placed on it), and the memory the decode will hold is checked
// against the limits before the reader allocates anything. The picture is
// made at a reduced scale when a smaller one is asked for. Transparent
// pixels are shown on white. A BMP of bit fields is read by our own
// reader (see BitFieldPixels), whose image is painted the same way.
class QtPictureDecoder final : public PictureDecoder {
 public:
  // The bytes are borrowed and must outlive the decoder; a GIF's header is
  // rewritten in them so that the reader allocates its first frame only.
  // The format is Bmp, Png or Gif.
  QtPictureDecoder(std::uint8_t* data, std::size_t size, PictureFormat format,
                   const std::string& path, const DecodeLimits& limits);

  PictureFormat Format() const override { return format_; }
  std::int32_t StoredWidth() const override { return layout_.Width; }
  std::int32_t StoredHeight() const override { return layout_.Height; }

  // 1/1, 1/2, 1/4 or 1/8.
  pixels::DecodeScale ScaleFor(std::int32_t minWidth, std::int32_t minHeight) const override;
  // The reader's image of the frame, rows padded to 4 bytes, and ours of
  // the picture at the scale.
  std::int64_t DecodeBytes(pixels::DecodeScale scale) const override;
  pixels::StdPicture Decode(pixels::DecodeScale scale) override;

 private:
  std::int64_t FrameBytes() const;

  PictureFormat format_;
  std::string path_;
  DecodeLimits limits_;
  std::int64_t fileBytes_ = 0;
  FrameLayout layout_;
  QByteArray bytes_;
  QBuffer buffer_;
  QImageReader reader_;
  std::optional<BitFieldPixels> bitFields_;
};

}  // namespace imaging::reading
