#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
class AtomicFile;
}

namespace imaging::writing {

// The properties of one JPEG write: the input picture (in place) and the
// output file. Init fills it with defaults; the writer sets its own fields.
struct JpegProperties {
  const std::uint8_t* DIBBytes = nullptr;  // input pixels, 3 bytes each, blue green red
  std::int32_t DIBWidth = 0;
  std::int32_t DIBHeight = 0;    // negative: the rows are stored bottom row first
  std::int32_t DIBPadBytes = 0;  // bytes after each row's pixels
  std::int32_t DIBChannels = 0;
  std::int32_t DIBColor = 0;
  platform::AtomicFile* JPGFile = nullptr;  // the file to write; its owner commits it
  std::int32_t JPGWidth = 0;
  std::int32_t JPGHeight = 0;
  std::int32_t jquality = 0;  // 1 (smallest) to 100 (best)
  // Written as a comment segment just after the file's header when not
  // empty (at most a segment's 65533 bytes).
  std::string comment;
  void* handle = nullptr;  // what the library holds for this record
  // Why JPGFile could not be made or written, in the file system's words,
  // so a failed write can say what happened (a full disk, a folder gone).
  std::string fileError;
};

// Our JPEG library: three calls with numeric results, 0 for success and a
// negative code for each kind of failure. The encoder is libjpeg-turbo's.
class JpegLibrary {
 public:
  static constexpr std::int32_t kWriteWholeImageToFile = 8;  // Write's one mode
  static constexpr std::int32_t kColourBGR = 4;              // 3 bytes per pixel: blue, green, red
  static constexpr std::size_t kMaxCommentBytes = 65533;     // a segment's length is 16 bits

  static constexpr std::int32_t kOk = 0;
  static constexpr std::int32_t kEncoderUnavailable = -2;  // no encoder for the record
  static constexpr std::int32_t kUnsupportedPixels = -4;   // not 3-channel blue-green-red
  static constexpr std::int32_t kMemoryError = -5;
  static constexpr std::int32_t kInvalidProperties = -8;  // no pixels, bad size or quality
  static constexpr std::int32_t kInvalidFileName = -10;   // the file cannot be made
  static constexpr std::int32_t kFileWriteError = -11;
  static constexpr std::int32_t kUnsupportedMode = -12;
  static constexpr std::int32_t kEncodeFailed = -14;
  static constexpr std::int32_t kCommentTooLong = -15;

  // Init: fills the record with the defaults (3-channel blue-green-red input,
  // quality 75) and readies an encoder. Write: encodes the record's picture
  // and writes it into JPGFile, which it opens; the caller commits the file
  // or drops it. Free: releases what Init readied.

  virtual ~JpegLibrary() = default;
  virtual std::int32_t Init(JpegProperties& properties);
  virtual std::int32_t Write(JpegProperties& properties, std::int32_t mode);
  virtual std::int32_t Free(JpegProperties& properties);
};

}  // namespace imaging::writing
