#pragma once

#include <cstdint>
#include <vector>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/PictureFormat.h"

namespace imaging::reading {

// A picture file held in memory whose header has been read and checked:
// its size as stored, its orientation and its format are known before any
// pixel is decoded. The picture is made once, at a scale the decoder offers,
// after checking what the decode will hold against the limits it was given.
class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;

  virtual PictureFormat Format() const = 0;
  virtual std::int32_t StoredWidth() const = 0;
  virtual std::int32_t StoredHeight() const = 0;
  // EXIF orientation, 1 (as stored) for formats that carry none.
  virtual int Orientation() const { return 1; }
  // The ICC colour profile the file carries; empty when it has none.
  virtual std::vector<std::uint8_t> ColourProfile() const { return {}; }

  // The smallest scale offered whose picture is at least minWidth x
  // minHeight pixels as stored; full size when none smaller is.
  virtual pixels::DecodeScale ScaleFor(std::int32_t minWidth, std::int32_t minHeight) const = 0;
  // Bytes a decode at the scale holds at its peak beside the file's: what
  // it takes from the limits (and the memory pool) before it allocates.
  virtual std::int64_t DecodeBytes(pixels::DecodeScale scale) const = 0;
  // Decodes at a scale ScaleFor gave.
  virtual pixels::StdPicture Decode(pixels::DecodeScale scale) = 0;

 protected:
  PictureDecoder() = default;
};

}  // namespace imaging::reading
