#pragma once

#include <sys/types.h>

#include <cstddef>

namespace platform {

// Owns one open file descriptor and closes it when it ends. Move-only, so a
// descriptor is closed exactly once. Failures are returned with errno set,
// for the owner to raise in its own name.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return descriptor_; }
  bool isOpen() const { return descriptor_ >= 0; }

  // Reads up to `size` bytes, going on after interrupted calls: the count
  // read, 0 at the end of the file, -1 on failure.
  ssize_t readSome(void* data, std::size_t size) const;
  // Reads `size` bytes from `offset` on, or as many as the file holds there,
  // going on after short reads and interrupted calls and leaving the file's
  // position where it was: the count read, -1 on failure.
  ssize_t readAt(void* data, std::size_t size, off_t offset) const;
  // Writes every byte, going on after short writes and interrupted calls.
  bool writeAll(const void* data, std::size_t size) const;
  // Closes now. A file system may report a failed write only here, so a
  // writer checks the result; the descriptor is released either way.
  bool close();

 private:
  int descriptor_ = -1;
};

}  // namespace platform
