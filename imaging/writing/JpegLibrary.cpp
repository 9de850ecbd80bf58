#include "imaging/writing/JpegLibrary.h"

#include <turbojpeg.h>

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

// Opens the file and writes the whole block into it.
std::int32_t WriteFile(JpegProperties& properties, const unsigned char* data, unsigned long size) {
  try {
    properties.JPGFile->open();
  } catch (const platform::RunTimeError& error) {
    properties.fileError = error.description();
    return JpegLibrary::kInvalidFileName;
  }
  try {
    properties.JPGFile->write(data, size);
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
