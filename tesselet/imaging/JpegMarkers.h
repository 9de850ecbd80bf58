#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging {

// What the markers ahead of a JPEG file's first scan tell about how to show
// it: the EXIF orientation and whether an Adobe segment marks its CMYK
// values as stored inverted (as Photoshop writes them). Reading never goes
// past the given bytes; damaged or missing markers leave the defaults.
class JpegMarkers {
 public:
  JpegMarkers(const std::uint8_t* data, std::size_t size);

  // 1 (as stored) to 8; 1 when there is no valid orientation.
  int Orientation() const { return orientation_; }
  bool HasAdobeSegment() const { return adobe_; }

 private:
  int orientation_ = 1;
  bool adobe_ = false;
};

}  // namespace imaging
