#pragma once

#include <cstdint>
#include <string>

// The properties of one JPEG write: the input picture (in place) and the
// output file. Init fills it with defaults; the writer sets its own fields.
struct JpegProperties {
  const std::uint8_t* DIBBytes = nullptr;  // input pixels, 3 bytes each, blue green red
  std::int32_t DIBWidth = 0;
  std::int32_t DIBHeight = 0;  // negative: the rows are stored bottom row first
  std::int32_t DIBPadBytes = 0;  // bytes after each row's pixels
  std::int32_t DIBChannels = 0;
  std::int32_t DIBColor = 0;
  std::string JPGFile;  // path of the file to write
  std::int32_t JPGWidth = 0;
  std::int32_t JPGHeight = 0;
  std::int32_t jquality = 0;  // 1 (smallest) to 100 (best)
  void* handle = nullptr;  // what the library holds for this record
};

// Our JPEG library: three calls with numeric results, 0 for success.
class JpegLibrary {
 public:
  static constexpr std::int32_t kWriteWholeImageToFile = 8;
  static constexpr std::int32_t kColourBGR = 4;

  virtual ~JpegLibrary() = default;
  virtual std::int32_t Init(JpegProperties& properties);
  virtual std::int32_t Write(JpegProperties& properties, std::int32_t mode);
  virtual std::int32_t Free(JpegProperties& properties);
};
