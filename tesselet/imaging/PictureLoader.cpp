#include "tesselet/imaging/PictureLoader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "platform/RunTimeError.h"
#include "tesselet/imaging/ErrorSources.h"
#include "tesselet/imaging/JpegPictureDecoder.h"
#include "tesselet/imaging/PictureErrors.h"
#include "tesselet/imaging/QtPictureDecoder.h"

namespace imaging {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool StartsWith(const std::uint8_t* bytes, std::size_t size, const char* magic,
                std::size_t length) {
  return size >= length && std::memcmp(bytes, magic, length) == 0;
}

}  // namespace

PictureLoader::PictureLoader(const std::string& aFilePath) : path_(aFilePath) {
  ReadFile();
  if (size_ == 0) throw PictureErrors::InvalidPicture(path_, "the file is empty");
  const std::uint8_t* bytes = bytes_.get();
  if (StartsWith(bytes, size_, "\xFF\xD8\xFF", 3)) {
    jpeg_ =
        std::make_unique<JpegPictureDecoder>(bytes, size_, path_, kMaxPixels, kMaxCoefficientBytes);
  } else if (StartsWith(bytes, size_, "BM", 2)) {
    other_ = std::make_unique<QtPictureDecoder>(bytes, size_, "bmp", path_, kMaxPixels);
  } else if (StartsWith(bytes, size_, "GIF87a", 6) || StartsWith(bytes, size_, "GIF89a", 6)) {
    other_ = std::make_unique<QtPictureDecoder>(bytes, size_, "gif", path_, kMaxPixels);
  } else {
    throw PictureErrors::InvalidPicture(path_, "the file is not a JPEG, BMP or GIF picture");
  }
  if (jpeg_) {
    const bool turned = jpeg_->Orientation() >= 5;
    width_ = turned ? jpeg_->StoredHeight() : jpeg_->StoredWidth();
    height_ = turned ? jpeg_->StoredWidth() : jpeg_->StoredHeight();
  } else {
    width_ = other_->Width();
    height_ = other_->Height();
  }
}

PictureLoader::~PictureLoader() = default;

std::int32_t PictureLoader::Width() const { return width_; }

std::int32_t PictureLoader::Height() const { return height_; }

StdPicture PictureLoader::Load(std::int32_t minWidth, std::int32_t minHeight) {
  StdPicture picture;
  if (!jpeg_ && !other_) {
    throw platform::RunTimeError(platform::kInvalidProcedureCall, kPictureLoaderSource,
                                 "The picture " + path_ + " has already been loaded");
  }
  if (jpeg_) {
    const bool turned = jpeg_->Orientation() >= 5;
    picture = jpeg_->Decode(turned ? minHeight : minWidth, turned ? minWidth : minHeight);
  } else {
    picture = other_->Decode();
  }
  // The decoders borrow the bytes, so they go first.
  jpeg_.reset();
  other_.reset();
  bytes_.reset();
  size_ = 0;
  return picture;
}

StdPicture PictureLoader::LoadPicture(const std::string& aFilePath) {
  PictureLoader loader(aFilePath);
  return loader.Load(std::numeric_limits<std::int32_t>::max(),
                     std::numeric_limits<std::int32_t>::max());
}

void PictureLoader::ReadFile() {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path_.c_str(), "rb"));
  if (!file) {
    const int error = errno;
    throw platform::RunTimeError::fromErrno(
        error, kPictureLoaderSource,
        platform::StandardDescription(platform::ErrorNumberFromErrno(error)) + ": " + path_);
  }
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw platform::RunTimeError(platform::kPathFileAccessError, kPictureLoaderSource,
                                 platform::StandardDescription(platform::kPathFileAccessError) +
                                     ": " + path_ + " is not a file");
  }
  if (status.st_size > kMaxFileBytes) {
    throw PictureErrors::InvalidPicture(path_,
                                        "the file is " + std::to_string(status.st_size) +
                                            " bytes, more than the 512 MB a picture file may have");
  }
  const std::size_t size = std::size_t(status.st_size);
  try {
    bytes_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  } catch (const std::bad_alloc&) {
    throw PictureErrors::OutOfMemory(path_);
  }
  size_ = std::fread(bytes_.get(), 1, size, file.get());
  if (size_ != size) {
    if (std::ferror(file.get())) {
      throw platform::RunTimeError(
          platform::kDeviceIoError, kPictureLoaderSource,
          platform::StandardDescription(platform::kDeviceIoError) + ": " + path_);
    }
    // The file shrank while we read it: what is there counts.
  }
}

}  // namespace imaging
