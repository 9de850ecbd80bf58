#pragma once

#include <cstdint>
#include <vector>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/PictureFormat.h"

namespace imaging::reading {

// A picture file held in memory whose header has been read and checked:
// its size as stored, its orientation and its format are known before any
// pixel is decoded. Decode makes the picture once, at the smallest scale the
// decoder offers that still covers the size asked for, after checking what
// it will hold against the limits it was given.
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

  // Decodes to at least minWidth x minHeight pixels as stored, or at full
  // size when no smaller scale covers that.
  virtual pixels::StdPicture Decode(std::int32_t minWidth, std::int32_t minHeight) = 0;

 protected:
  PictureDecoder() = default;
};

}  // namespace imaging::reading
