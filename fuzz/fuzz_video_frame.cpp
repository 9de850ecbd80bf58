// Feeds arbitrary bytes to the video frame reader as a file: an MP4 or
// QuickTime file, or a Matroska (WebM) one, as its first bytes say. The
// reader must give a frame or refuse with a run-time error, never crash,
// hang or read outside its buffers.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/PictureLoader.h"
#include "imaging/reading/VideoFrameDecoder.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace {

// A thumbnail's decode, a small one, and the whole frame; the input's
// length picks one.
constexpr std::int32_t kFull = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kRequests[][2] = {{400, 400}, {1, 1}, {kFull, kFull}};

// A new in-memory file for each input: the reader owns and closes it.
platform::FileDescriptor VideoFile(const std::uint8_t* data, std::size_t size) {
  platform::FileDescriptor file(::memfd_create("video", MFD_CLOEXEC));
  if (!file.isOpen() || !file.writeAll(data, size)) std::abort();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using imaging::reading::PictureLoader;
  bool matroska = false;
  if (!imaging::reading::VideoFrameDecoder::IsVideo(data, size, matroska)) return 0;
  const imaging::reading::DecodeLimits limits{PictureLoader::kMaxPixels,
                                              PictureLoader::kMaxDecodeBytes,
                                              PictureLoader::kSmallDecodeBytes,
                                              {}};
  const auto& request = kRequests[size % 3];
  try {
    imaging::reading::VideoFrameDecoder decoder(VideoFile(data, size), std::int64_t(size), matroska,
                                                "video", limits);
    const imaging::pixels::DecodeScale scale = decoder.ScaleFor(request[0], request[1]);
    const imaging::pixels::StdPicture picture = decoder.Decode(scale);
    if (picture.Bitmap() == nullptr || picture.StoredWidth() != decoder.StoredWidth() ||
        picture.StoredHeight() != decoder.StoredHeight() ||
        picture.Bitmap()->Width() != imaging::pixels::ScaledSide(decoder.StoredWidth(), scale))
      std::abort();
  } catch (const platform::RunTimeError&) {
    // A refusal is a fine outcome for a damaged video.
  }
  return 0;
}
