#include "tesselet/imaging/JpegMarkers.h"

#include <cstring>

#include "tesselet/imaging/ExifOrientation.h"

namespace imaging {

namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp14 = 0xEE;

// Markers that stand alone, with no length after them.
bool IsStandalone(std::uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

JpegMarkers::JpegMarkers(const std::uint8_t* data, std::size_t size) {
  if (size < 4 || data[0] != 0xFF || data[1] != kStartOfImage) return;
  bool orientationSeen = false;
  std::size_t at = 2;
  while (at + 1 < size) {
    if (data[at] != 0xFF) return;  // not a marker where one must be: stop looking
    std::uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte ahead of the marker
      ++at;
      continue;
    }
    at += 2;
    if (marker == kStartOfScan || marker == kEndOfImage) return;
    if (IsStandalone(marker)) continue;
    if (at + 2 > size) return;
    const std::size_t length = std::size_t(data[at]) << 8 | data[at + 1];
    if (length < 2 || length > size - at) return;
    const std::uint8_t* payload = data + at + 2;
    const std::size_t payloadSize = length - 2;
    // The first EXIF block counts; a later one (a thumbnail's, a copy) does not.
    if (marker == kApp1 && !orientationSeen && payloadSize >= 6 &&
        std::memcmp(payload, "Exif\0\0", 6) == 0) {
      orientationSeen = true;
      orientation_ = ExifOrientation::Read(payload, payloadSize);
    } else if (marker == kApp14 && payloadSize >= 5 && std::memcmp(payload, "Adobe", 5) == 0) {
      adobe_ = true;
    }
    at += length;
  }
}

}  // namespace imaging
