#include "imaging/writing/JpegLibrary.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/RunTimeError.h"

namespace imaging::writing {

namespace {

struct TurboJpegBufferFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TurboJpegBuffer = std::unique_ptr<unsigned char, TurboJpegBufferFree>;

// Where a comment goes in an encoded file: after the start marker and the
// JFIF segment that readers expect right after it.
std::size_t CommentPlace(const unsigned char* data, unsigned long size) {
  if (size >= 6 && data[2] == 0xFF && data[3] == 0xE0) {
    const std::size_t after = 4 + (std::size_t(data[4]) << 8 | data[5]);
    if (after <= size) return after;
  }
  return std::min<std::size_t>(2, size);
}

// Opens the file and writes the whole block into it, the comment segment in
// its place.
std::int32_t WriteFile(JpegProperties& properties, const unsigned char* data, unsigned long size) {
  try {
    properties.JPGFile->open();
  } catch (const platform::RunTimeError& error) {
    properties.fileError = error.description();
    return JpegLibrary::kInvalidFileName;
  }
  try {
    const std::size_t place = properties.comment.empty() ? 0 : CommentPlace(data, size);
    if (place > 0) {
      const std::size_t length = properties.comment.size() + 2;
      const unsigned char marker[4] = {0xFF, 0xFE, static_cast<unsigned char>(length >> 8),
                                       static_cast<unsigned char>(length & 0xFF)};
      properties.JPGFile->write(data, place);
      properties.JPGFile->write(marker, sizeof marker);
      properties.JPGFile->write(properties.comment.data(), properties.comment.size());
    }
    properties.JPGFile->write(data + place, size - place);
  } catch (const platform::RunTimeError& error) {
    properties.fileError = error.description();
    return JpegLibrary::kFileWriteError;
  }
  return JpegLibrary::kOk;
}

}  // namespace

std::int32_t JpegLibrary::Init(JpegProperties& properties) {
  properties = JpegProperties{};
  properties.DIBChannels = 3;
  properties.DIBColor = kColourBGR;
  properties.jquality = 75;
  properties.handle = tjInitCompress();
  return properties.handle ? kOk : kEncoderUnavailable;
}

std::int32_t JpegLibrary::Write(JpegProperties& properties, std::int32_t mode) {
  if (mode != kWriteWholeImageToFile) return kUnsupportedMode;
  if (!properties.handle) return kEncoderUnavailable;
  if (properties.DIBChannels != 3 || properties.DIBColor != kColourBGR) return kUnsupportedPixels;
  const std::int64_t width = properties.DIBWidth;
  const std::int64_t height = std::abs(std::int64_t{properties.DIBHeight});
  // The picture is written at its own size: this library does not scale.
  if (!properties.DIBBytes || width < 1 || height < 1 || properties.DIBPadBytes < 0 ||
      properties.JPGWidth != width || properties.JPGHeight != height || properties.jquality < 1 ||
      properties.jquality > 100 || !properties.JPGFile) {
    return kInvalidProperties;
  }
  if (properties.comment.size() > kMaxCommentBytes) return kCommentTooLong;
  const std::int64_t pitch = width * 3 + properties.DIBPadBytes;
  if (pitch > INT32_MAX) return kInvalidProperties;

  // The pixels are read where they lie: the pitch skips each row's padding
  // and a negative height says that the rows run bottom first.
  unsigned char* encoded = nullptr;
  unsigned long encodedSize = 0;
  const int flags = TJFLAG_ACCURATEDCT | (properties.DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0);
  const int status = tjCompress2(static_cast<tjhandle>(properties.handle), properties.DIBBytes,
                                 int(width), int(pitch), int(height), TJPF_BGR, &encoded,
                                 &encodedSize, TJSAMP_444, properties.jquality, flags);
  const TurboJpegBuffer owned(encoded);
  if (status != 0) return kEncodeFailed;
  return WriteFile(properties, encoded, encodedSize);
}

std::int32_t JpegLibrary::Free(JpegProperties& properties) {
  if (properties.handle) tjDestroy(static_cast<tjhandle>(properties.handle));
  properties.handle = nullptr;
  return kOk;
}

}  // namespace imaging::writing
