#include "imaging/reading/PictureLoader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>

#include "imaging/ErrorSources.h"
#include "imaging/pixels/PictureOrientation.h"
#include "imaging/reading/HeifPictureDecoder.h"
#include "imaging/reading/JpegHeader.h"
#include "imaging/reading/JpegPictureDecoder.h"
#include "imaging/reading/PictureErrors.h"
#include "imaging/reading/ProgressiveDcDecoder.h"
#include "imaging/reading/QtPictureDecoder.h"
#include "imaging/reading/VideoFrameDecoder.h"
#include "imaging/reading/WebPPictureDecoder.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace imaging::reading {

namespace {

// Shared by every load in the process. A load takes its file share first
// and its decode share second, never the other way round.
MemoryPool& FilePool() {
  static MemoryPool pool(PictureLoader::kMaxFileBytes);
  return pool;
}

MemoryPool& DecodePool() {
  static MemoryPool pool(PictureLoader::kMaxDecodeBytes + PictureLoader::kWaitingResultBytes,
                         PictureLoader::kWaitingResultBytes);
  return pool;
}

platform::RunTimeError ErrorFromErrno(int error, const std::string& path) {
  return platform::RunTimeError::fromErrno(error, kPictureLoaderSource,
                                           platform::DescriptionFromErrno(error) + ": " + path);
}

platform::RunTimeError NotAFile(const std::string& path) {
  return platform::RunTimeError(platform::kPathFileAccessError, kPictureLoaderSource,
                                platform::StandardDescription(platform::kPathFileAccessError) +
                                    ": " + path + " is not a file");
}

bool StartsWith(const std::uint8_t* bytes, std::size_t size, const char* magic,
                std::size_t length) {
  return size >= length && std::memcmp(bytes, magic, length) == 0;
}

}  // namespace

PictureLoader::PictureLoader(const std::string& aFilePath, bool readVideos) : path_(aFilePath) {
  // A decode that must hold more than it first reserved (a progressive
  // JPEG read past its DC scans) gives back its share before it waits.
  DecodeLimits limits{kMaxPixels, kMaxDecodeBytes, kSmallDecodeBytes,
                      [this](std::int64_t decodeBytes) {
                        decodeShare_ = MemoryPool::Share();
                        decodeShare_ = DecodePool().Take(decodeBytes);
                      }};
  std::int64_t fileBytes = 0;
  platform::FileDescriptor file = OpenFile(fileBytes);
  // A video is read where it lies, a part at a time: it may be far larger
  // than a picture file may be.
  std::uint8_t head[12];
  bool matroska = false;
  if (readVideos &&
      VideoFrameDecoder::IsVideo(head, ReadStart(file, head, sizeof head), matroska)) {
    decoder_ =
        std::make_unique<VideoFrameDecoder>(std::move(file), fileBytes, matroska, path_, limits);
  } else {
    ReadFile(file, fileBytes);
    ChooseDecoder(limits);
  }
  const bool turned = pixels::PictureOrientation::SwapsSides(decoder_->Orientation());
  width_ = turned ? decoder_->StoredHeight() : decoder_->StoredWidth();
  height_ = turned ? decoder_->StoredWidth() : decoder_->StoredHeight();
  colourProfile_ = decoder_->ColourProfile();
}

void PictureLoader::ChooseDecoder(const DecodeLimits& limits) {
  if (size_ == 0) throw PictureErrors::InvalidPicture(path_, "the file is empty");
  const std::uint8_t* bytes = bytes_.get();
  if (StartsWith(bytes, size_, "\xFF\xD8\xFF", 3)) {
    // A progressive file's header, read once here, serves its DC decode too.
    JpegHeader header(bytes, size_, path_);
    if (header.IsProgressive()) {
      decoder_ =
          std::make_unique<ProgressiveDcDecoder>(bytes, size_, path_, limits, std::move(header));
    } else {
      decoder_ =
          std::make_unique<JpegPictureDecoder>(bytes, size_, path_, limits, std::move(header));
    }
  } else if (StartsWith(bytes, size_, "BM", 2)) {
    decoder_ =
        std::make_unique<QtPictureDecoder>(bytes_.get(), size_, PictureFormat::Bmp, path_, limits);
  } else if (StartsWith(bytes, size_, "GIF87a", 6) || StartsWith(bytes, size_, "GIF89a", 6)) {
    decoder_ =
        std::make_unique<QtPictureDecoder>(bytes_.get(), size_, PictureFormat::Gif, path_, limits);
  } else if (StartsWith(bytes, size_, "\x89PNG\r\n\x1A\n", 8)) {
    decoder_ =
        std::make_unique<QtPictureDecoder>(bytes_.get(), size_, PictureFormat::Png, path_, limits);
  } else if (size_ >= 12 && StartsWith(bytes, size_, "RIFF", 4) &&
             std::memcmp(bytes + 8, "WEBP", 4) == 0) {
    decoder_ = std::make_unique<WebPPictureDecoder>(bytes, size_, path_, limits);
  } else if (HeifPictureDecoder::IsHeif(bytes, size_)) {
    decoder_ = std::make_unique<HeifPictureDecoder>(bytes, size_, path_, limits);
  } else {
    throw PictureErrors::InvalidPicture(
        path_, "the file is not a JPEG, PNG, WebP, HEIF, BMP or GIF picture");
  }
}

PictureLoader::~PictureLoader() = default;

MemoryPool& PictureLoader::DecodeMemory() { return DecodePool(); }

std::int32_t PictureLoader::Width() const { return width_; }

std::int32_t PictureLoader::Height() const { return height_; }

pixels::StdPicture PictureLoader::Load(std::int32_t minWidth, std::int32_t minHeight) {
  pixels::StdPicture picture;
  if (!decoder_) {
    throw platform::RunTimeError(platform::kInvalidProcedureCall, kPictureLoaderSource,
                                 "The picture " + path_ + " has already been loaded");
  }
  const bool turned = pixels::PictureOrientation::SwapsSides(decoder_->Orientation());
  picture = decoder_->Decode(
      decoder_->ScaleFor(turned ? minHeight : minWidth, turned ? minWidth : minHeight));
  // The decoder borrows the bytes, so it goes first.
  decoder_.reset();
  bytes_.reset();
  fileShare_ = MemoryPool::Share();
  size_ = 0;
  return picture;
}

pixels::StdPicture PictureLoader::LoadPicture(const std::string& aFilePath) {
  PictureLoader loader(aFilePath);
  return loader.Load(std::numeric_limits<std::int32_t>::max(),
                     std::numeric_limits<std::int32_t>::max());
}

// The file is looked at before it is opened, and opened without waiting,
// so that a pipe or device named like a picture never blocks the load; the
// open file is looked at again, in case the name changed in between.
platform::FileDescriptor PictureLoader::OpenFile(std::int64_t& fileBytes) const {
  struct stat status {};
  if (::stat(path_.c_str(), &status) != 0) throw ErrorFromErrno(errno, path_);
  if (!S_ISREG(status.st_mode)) throw NotAFile(path_);
  platform::FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.isOpen()) throw ErrorFromErrno(errno, path_);
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) throw NotAFile(path_);
  fileBytes = status.st_size;
  return file;
}

std::size_t PictureLoader::ReadStart(const platform::FileDescriptor& file, std::uint8_t* data,
                                     std::size_t size) const {
  const ssize_t got = file.readAt(data, size, 0);
  if (got < 0) {
    throw platform::RunTimeError(
        platform::kDeviceIoError, kPictureLoaderSource,
        platform::StandardDescription(platform::kDeviceIoError) + ": " + path_);
  }
  return std::size_t(got);
}

void PictureLoader::ReadFile(const platform::FileDescriptor& file, std::int64_t fileBytes) {
  if (fileBytes > kMaxFileBytes) {
    throw PictureErrors::InvalidPicture(
        path_, "the file is " + std::to_string(fileBytes) + " bytes, more than the " +
                   std::to_string(kMaxFileBytes >> 20) + " MB a picture file may have");
  }
  const std::size_t size = std::size_t(fileBytes);
  fileShare_ = FilePool().Take(fileBytes);
  try {
    bytes_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  } catch (const std::bad_alloc&) {
    throw PictureErrors::OutOfMemory(path_);
  }
  // A file that shrinks while it is read counts as what is there.
  size_ = ReadStart(file, bytes_.get(), size);
}

}  // namespace imaging::reading
