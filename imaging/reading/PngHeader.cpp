#include "imaging/reading/PngHeader.h"

#include <cstring>

#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// The signature, the header chunk's length and type, and its 13 bytes.
constexpr std::size_t kHeaderEnd = 8 + 8 + 13;
constexpr std::int64_t kMostBytesPerDeflatedByte = 1032;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

int Channels(int colourType) {
  switch (colourType) {
    case 0:  // grey
    case 3:  // palette
      return 1;
    case 4:  // grey and alpha
      return 2;
    case 2:  // RGB
      return 3;
    case 6:  // RGB and alpha
      return 4;
    default:
      return 0;
  }
}

}  // namespace

FrameLayout PngHeader::Read(const std::uint8_t* data, std::size_t size, const std::string& path,
                            std::int64_t maxPixels) {
  if (size < kHeaderEnd || BigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) {
    throw PictureErrors::InvalidPicture(path, "the PNG header is cut short or damaged");
  }
  const std::int64_t width = BigEndian32(data + 16), height = BigEndian32(data + 20);
  const int depth = data[24], channels = Channels(data[25]);
  if (channels == 0 || (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16)) {
    throw PictureErrors::InvalidPicture(path, "the PNG header declares an unknown pixel kind");
  }
  PictureErrors::CheckSize(path, width, height, maxPixels);
  FrameLayout layout;
  layout.Width = layout.FrameWidth = std::int32_t(width);
  layout.Height = layout.FrameHeight = std::int32_t(height);
  layout.ReaderBytesPerPixel = depth == 16 ? 8 : 4;
  // Each row starts with its filter byte.
  const std::int64_t rawBytes = ((width * channels * depth + 7) / 8 + 1) * height;
  layout.FileHoldsFrame = rawBytes / kMostBytesPerDeflatedByte <= std::int64_t(size - kHeaderEnd);
  return layout;
}

}  // namespace imaging::reading
