#include "tesselet/imaging/mIntelJPEGLibrary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "tesselet/imaging/JpegLibrary.h"
#include "platform/RunTimeError.h"
#include "tesselet/imaging/cDIBSection.h"

namespace imaging {

namespace {

// The executable's name, a full stop and this module's name.
const char kErrorSource[] = "tesselet.mIntelJPEGLibrary";

[[noreturn]] void RaiseJpegError(const std::string& description) {
  throw platform::RunTimeError(26001, kErrorSource, description);
}

// Releases the record exactly once, also when an error leaves early.
class RecordRelease {
 public:
  RecordRelease(JpegLibrary& library, JpegProperties& record)
      : library_(library), record_(record) {}
  ~RecordRelease() { Free(); }
  RecordRelease(const RecordRelease&) = delete;
  RecordRelease& operator=(const RecordRelease&) = delete;

  void Free() {
    if (held_) library_.Free(record_);
    held_ = false;
  }

 private:
  JpegLibrary& library_;
  JpegProperties& record_;
  bool held_ = true;
};

// A name for the new file in the same folder as the path, so the finished
// file can be renamed over the old one in a single step. It starts with a
// full stop so that nobody lists it as a picture while it is being written.
std::string NameBeside(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::random_device device;
  const std::uint64_t tag = (std::uint64_t(device()) << 32) ^ device();
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".tesselet-%016llx.tmp",
                static_cast<unsigned long long>(tag));
  return (folder / suffix).string();
}

std::int32_t CheckedInt32(std::int64_t value) {
  if (value > INT32_MAX || value < INT32_MIN) {
    throw platform::RunTimeError::standard(platform::kOverflow, kErrorSource);
  }
  return std::int32_t(value);
}

}  // namespace

namespace mIntelJPEGLibrary {

bool SaveDibAsJpeg(const cDIBSection& dib, const std::string& aFilePath, std::int32_t quality) {
  static JpegLibrary library;
  return SaveDibAsJpeg(dib, aFilePath, quality, library);
}

bool SaveDibAsJpeg(const cDIBSection& dib, const std::string& aFilePath, std::int32_t quality,
                   JpegLibrary& library) {
  const std::string path = aFilePath;
  JpegProperties record;
  const std::int32_t initResult = library.Init(record);
  if (initResult != JpegLibrary::kOk) {
    RaiseJpegError("Failed to initialise the IJL library: " + std::to_string(initResult));
  }
  RecordRelease release(library, record);

  // What the file being replaced carries over to the new one. This host
  // keeps no creation time that a program may set, so the access and
  // modification times and the permission bits are what carry over.
  struct stat old {};
  bool replacing = false;
  if (::stat(path.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      throw platform::RunTimeError::standard(platform::kPathFileAccessError, kErrorSource);
    }
    replacing = true;
  } else if (errno != ENOENT) {
    throw platform::RunTimeError::fromErrno(errno, kErrorSource);
  }

  // The library reads the buffer's own memory: the negative height tells it
  // that the rows run bottom first, the padding how far apart they are.
  const std::string newFile = NameBeside(path);
  record.DIBBytes = dib.DIBSectionBitsPtr();
  record.DIBWidth = dib.Width();
  record.DIBHeight = CheckedInt32(-std::int64_t{dib.Height()});
  record.DIBPadBytes =
      CheckedInt32(std::int64_t{dib.BytesPerScanLine()} - 3 * std::int64_t{dib.Width()});
  record.JPGFile = newFile;
  record.JPGWidth = dib.Width();
  record.JPGHeight = dib.Height();
  record.jquality = quality;

  const std::int32_t writeResult = library.Write(record, JpegLibrary::kWriteWholeImageToFile);
  if (writeResult != JpegLibrary::kOk) {
    release.Free();
    ::unlink(newFile.c_str());
    RaiseJpegError("Failed to save to JPG " + std::to_string(writeResult));
  }

  if (replacing) {
    // Best effort, as a thumbnail is still good without its old times.
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    ::utimensat(AT_FDCWD, newFile.c_str(), times, 0);
    ::chmod(newFile.c_str(), old.st_mode & 07777);
  }
  if (::rename(newFile.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(newFile.c_str());
    throw platform::RunTimeError::fromErrno(error, kErrorSource);
  }
  release.Free();
  return true;
}

}  // namespace mIntelJPEGLibrary

}  // namespace imaging
