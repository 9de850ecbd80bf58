#include "platform/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

FileDescriptor::~FileDescriptor() { close(); }

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    close();
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

ssize_t FileDescriptor::readSome(void* data, std::size_t size) const {
  for (;;) {
    const ssize_t got = ::read(descriptor_, data, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

ssize_t FileDescriptor::readAt(void* data, std::size_t size, off_t offset) const {
  char* next = static_cast<char*>(data);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t part = ::pread(descriptor_, next + got, size - got, offset + off_t(got));
    if (part < 0 && errno == EINTR) continue;
    if (part < 0) return -1;
    if (part == 0) break;
    got += std::size_t(part);
  }
  return ssize_t(got);
}

bool FileDescriptor::writeAll(const void* data, std::size_t size) const {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t wrote = ::write(descriptor_, next, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return false;
    if (wrote == 0) {  // no progress and no reason given: treat it as a full device
      errno = ENOSPC;
      return false;
    }
    next += wrote;
    size -= std::size_t(wrote);
  }
  return true;
}

bool FileDescriptor::close() {
  if (descriptor_ < 0) return true;
  // Linux releases the descriptor even when close reports EINTR, so it is
  // never closed a second time (that could close another thread's file).
  return ::close(std::exchange(descriptor_, -1)) == 0 || errno == EINTR;
}

}  // namespace platform
