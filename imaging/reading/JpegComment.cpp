#include "imaging/reading/JpegComment.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>

#include "platform/FileDescriptor.h"

namespace imaging::reading {

namespace {

// Application segments before the comment that are looked past; a file of
// ours has one at most.
constexpr int kMostSegmentsBefore = 16;

bool ReadAt(const platform::FileDescriptor& file, std::uint8_t* data, std::size_t size,
            off_t offset) {
  return file.readAt(data, size, offset) == ssize_t(size);
}

}  // namespace

bool FileHoldsComment(const std::string& path, std::string_view comment) {
  const platform::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const auto size = std::uint64_t(info.st_size);
  if (size < 4) return false;
  std::uint8_t bytes[4];
  if (!ReadAt(file, bytes, 2, off_t(size - 2)) || bytes[0] != 0xFF || bytes[1] != 0xD9)
    return false;
  if (!ReadAt(file, bytes, 2, 0) || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  std::uint64_t at = 2;
  for (int k = 0; k <= kMostSegmentsBefore; ++k) {
    if (at + 4 > size || !ReadAt(file, bytes, 4, off_t(at)) || bytes[0] != 0xFF) return false;
    const std::size_t length = std::size_t(bytes[2]) << 8 | bytes[3];
    if (length < 2 || at + 2 + length > size) return false;
    if (bytes[1] == 0xFE) {
      if (length - 2 != comment.size()) return false;
      std::string held(comment.size(), '\0');
      return ReadAt(file, reinterpret_cast<std::uint8_t*>(held.data()), held.size(),
                    off_t(at + 4)) &&
             held == comment;
    }
    // Application segments may come first; anything else ends the search.
    if (bytes[1] < 0xE0 || bytes[1] > 0xEF) return false;
    at += 2 + length;
  }
  return false;
}

}  // namespace imaging::reading
