// Feeds arbitrary bytes to the picture loader as a file, the way the
// thumbnail maker reads one: the loader must load it or refuse it with a
// run-time error, never crash, hang or read outside its buffers.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "imaging/reading/PictureLoader.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace {

// The sizes a decode is asked for: a 50 x 50 thumbnail at eight decoded
// pixels to one, a small one, and the whole picture. The input's length
// picks one, so every file meets each path in turn as it grows.
constexpr std::int32_t kFull = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kRequests[][2] = {{400, 400}, {1, 1}, {kFull, kFull}};

// One in-memory file for the whole run, rewritten for each input, so the
// loader opens a real regular file and the disk is never touched.
const platform::FileDescriptor& PictureFile() {
  static const platform::FileDescriptor file(::memfd_create("picture", MFD_CLOEXEC));
  if (!file.isOpen()) std::abort();
  return file;
}

void Rewrite(const platform::FileDescriptor& file, const std::uint8_t* data, std::size_t size) {
  if (::ftruncate(file.get(), 0) != 0 || ::pwrite(file.get(), data, size, 0) != ssize_t(size))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::FileDescriptor& file = PictureFile();
  Rewrite(file, data, size);
  const std::string path = "/proc/self/fd/" + std::to_string(file.get());
  const auto& request = kRequests[size % 3];
  try {
    // Videos too, as photos and videos of every kind are read.
    imaging::reading::PictureLoader loader(path, true);
    if (loader.Width() <= 0 || loader.Height() <= 0) std::abort();
    const imaging::pixels::StdPicture picture = loader.Load(request[0], request[1]);
    if (picture.Bitmap() == nullptr || picture.Width() != loader.Width() ||
        picture.Height() != loader.Height())
      std::abort();
  } catch (const platform::RunTimeError&) {
    // A refusal is a fine outcome for a damaged picture.
  }
  return 0;
}
