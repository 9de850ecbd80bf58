#include "tesselet/imaging/JpegLibrary.h"

#include <fcntl.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace imaging {

namespace {

struct TurboJpegBufferFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TurboJpegBuffer = std::unique_ptr<unsigned char, TurboJpegBufferFree>;

// Writes the whole block to a file that must not exist yet. On any failure
// the half-written file is removed again.
std::int32_t WriteNewFile(const std::string& path, const unsigned char* data, unsigned long size) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (file < 0) return JpegLibrary::kInvalidFileName;
  std::int32_t result = JpegLibrary::kOk;
  unsigned long written = 0;
  while (written < size) {
    const ssize_t count = ::write(file, data + written, size - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      result = JpegLibrary::kFileWriteError;
      break;
    }
    written += static_cast<unsigned long>(count);
  }
  if (::close(file) != 0 && result == JpegLibrary::kOk) result = JpegLibrary::kFileCloseError;
  if (result != JpegLibrary::kOk) ::unlink(path.c_str());
  return result;
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
      properties.jquality > 100 || properties.JPGFile.empty()) {
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
  return WriteNewFile(properties.JPGFile, encoded, encodedSize);
}

std::int32_t JpegLibrary::Free(JpegProperties& properties) {
  if (properties.handle) tjDestroy(static_cast<tjhandle>(properties.handle));
  properties.handle = nullptr;
  return kOk;
}

}  // namespace imaging
