#include "imaging/reading/ExifOrientation.h"

#include <cstring>

namespace imaging::reading {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kExifHeaderSize = 6;  // "Exif\0\0"
constexpr std::size_t kEntrySize = 12;

class TiffReader {
 public:
  TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
      : data_(data), size_(size), bigEndian_(bigEndian) {}

  bool Fits(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  std::uint16_t U16(std::size_t at) const {
    return bigEndian_ ? std::uint16_t(data_[at] << 8 | data_[at + 1])
                      : std::uint16_t(data_[at + 1] << 8 | data_[at]);
  }
  std::uint32_t U32(std::size_t at) const {
    return bigEndian_ ? std::uint32_t(U16(at)) << 16 | U16(at + 2)
                      : std::uint32_t(U16(at + 2)) << 16 | U16(at);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  bool bigEndian_;
};

}  // namespace

int ExifOrientation::Read(const std::uint8_t* payload, std::size_t size) {
  if (size < kExifHeaderSize + 8 || std::memcmp(payload, "Exif\0\0", kExifHeaderSize) != 0)
    return 1;
  const std::uint8_t* tiff = payload + kExifHeaderSize;
  const std::size_t tiffSize = size - kExifHeaderSize;
  bool bigEndian;
  if (std::memcmp(tiff, "MM\0*", 4) == 0) {
    bigEndian = true;
  } else if (std::memcmp(tiff, "II*\0", 4) == 0) {
    bigEndian = false;
  } else {
    return 1;
  }
  const TiffReader reader(tiff, tiffSize, bigEndian);
  const std::size_t directory = reader.U32(4);
  if (!reader.Fits(directory, 2)) return 1;
  const std::size_t entries = reader.U16(directory);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + i * kEntrySize;
    if (!reader.Fits(entry, kEntrySize)) return 1;
    if (reader.U16(entry) != kOrientationTag) continue;
    if (reader.U16(entry + 2) != kTypeShort || reader.U32(entry + 4) < 1) return 1;
    const int value = reader.U16(entry + 8);
    return value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

}  // namespace imaging::reading
