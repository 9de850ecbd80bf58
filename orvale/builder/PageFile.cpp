#include "orvale/builder/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "orvale/builder/ProgramName.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

[[noreturn]] void RaiseFromErrno(int errnoValue) {
  throw platform::RunTimeError::fromErrno(errnoValue, kProgramName);
}

}  // namespace

PageFile::PageFile(std::string finalPath, mode_t mode) : finalPath_(std::move(finalPath)) {
  // A short hidden name: it never collides with a picture, never shows in a
  // gallery, and stays within the file system's name limit whatever the
  // page's own name is.
  const std::string folder = FolderOf(finalPath_);
  std::random_device seed;
  std::mt19937_64 random(seed());
  const char* const letters = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + ".orvale-page-";
    for (int k = 0; k < 8; ++k) candidate += letters[random() % 36];
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temporaryPath_ = std::move(candidate);
      break;
    }
    if (errno != EEXIST) RaiseFromErrno(errno);
  }
  if (fd_ < 0) RaiseFromErrno(EEXIST);
  if (mode != 0 && ::fchmod(fd_, mode & 07777) != 0) {
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    ::unlink(temporaryPath_.c_str());
    RaiseFromErrno(error);
  }
  buffer_.reserve(kBufferSize);
}

PageFile::~PageFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

void PageFile::write(const std::string& bytes) {
  if (buffer_.size() + bytes.size() > kBufferSize) flushBuffer();
  if (bytes.size() >= kBufferSize) {
    buffer_ = bytes;
    flushBuffer();
  } else {
    buffer_ += bytes;
  }
}

void PageFile::flushBuffer() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t wrote = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      RaiseFromErrno(errno);
    }
    done += std::size_t(wrote);
  }
  buffer_.clear();
}

void PageFile::commit() {
  flushBuffer();
  if (::fsync(fd_) != 0) RaiseFromErrno(errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) RaiseFromErrno(errno);
  if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) RaiseFromErrno(errno);
  temporaryPath_.clear();
}

}  // namespace orvale
