#include "tesselet/imaging/PictureSaver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tesselet/imaging/DibBitmap.h"
#include "platform/RunTimeError.h"
#include "tesselet/imaging/StdPicture.h"

namespace imaging {

namespace {

constexpr const char* kSource = "tesselet.PictureSaver";
constexpr std::uint32_t kFileHeaderSize = 14;

platform::RunTimeError FileError(int error, const std::string& path) {
  // Making a file fails with ENOENT only when its folder is missing.
  const int number =
      error == ENOENT ? platform::kPathNotFound : platform::ErrorNumberFromErrno(error);
  return platform::RunTimeError(number, kSource,
                                platform::StandardDescription(number) + ": " + path);
}

void PutU16(std::uint8_t* at, std::uint32_t value) {
  at[0] = std::uint8_t(value);
  at[1] = std::uint8_t(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
  PutU16(at, value & 0xFFFF);
  PutU16(at + 2, value >> 16);
}

// The temporary file beside the target; removed unless it was renamed.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : path_(target + ".XXXXXX") {
    const int descriptor = ::mkstemp(path_.data());
    if (descriptor < 0) throw FileError(errno, target);
    file_.reset(::fdopen(descriptor, "wb"));
    if (!file_) {
      const int error = errno;
      ::close(descriptor);
      ::unlink(path_.c_str());
      throw FileError(error, target);
    }
  }
  ~TemporaryFile() {
    file_.reset();
    if (!renamed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  std::FILE* File() const { return file_.get(); }
  const std::string& Path() const { return path_; }
  // Closes the file; errno tells why when false.
  bool Close() { return std::fclose(file_.release()) == 0; }
  void Renamed() { renamed_ = true; }

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
  bool renamed_ = false;
};

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void PictureSaver::SavePicture(const StdPicture& picture, const std::string& aFilePath) {
  const DibBitmap* bitmap = picture.Bitmap();
  if (!bitmap) {
    throw platform::RunTimeError(platform::kInvalidPicture, kSource,
                                 "Invalid picture: there is nothing to save to " + aFilePath);
  }
  // A file that is there and may not be written is not replaced behind its back.
  struct stat existing {};
  const bool replaces = ::stat(aFilePath.c_str(), &existing) == 0;
  if (replaces && ::access(aFilePath.c_str(), W_OK) != 0) throw FileError(errno, aFilePath);

  const std::uint32_t pixelBytes = std::uint32_t(bitmap->SizeInBytes());
  const std::uint32_t offset = kFileHeaderSize + sizeof(BitmapInfoHeader);
  std::uint8_t headers[kFileHeaderSize + sizeof(BitmapInfoHeader)] = {'B', 'M'};
  PutU32(headers + 2, offset + pixelBytes);
  PutU32(headers + 10, offset);
  std::uint8_t* info = headers + kFileHeaderSize;
  PutU32(info, sizeof(BitmapInfoHeader));
  PutU32(info + 4, std::uint32_t(bitmap->Width()));
  PutU32(info + 8, std::uint32_t(bitmap->Height()));  // positive: bottom row first
  PutU16(info + 12, 1);                               // planes
  PutU16(info + 14, 24);                              // bits per pixel
  PutU32(info + 20, pixelBytes);                      // uncompressed, the rest stays 0

  TemporaryFile temporary(aFilePath);
  if (std::fwrite(headers, 1, sizeof headers, temporary.File()) != sizeof headers ||
      std::fwrite(bitmap->Bits(), 1, pixelBytes, temporary.File()) != pixelBytes ||
      std::fflush(temporary.File()) != 0) {
    throw FileError(errno, aFilePath);
  }
  ::fchmod(::fileno(temporary.File()), replaces ? (existing.st_mode & 07777) : NewFileMode());
  if (!temporary.Close()) throw FileError(errno, aFilePath);
  if (std::rename(temporary.Path().c_str(), aFilePath.c_str()) != 0)
    throw FileError(errno, aFilePath);
  temporary.Renamed();
}

}  // namespace imaging
