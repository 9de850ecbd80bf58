#pragma once

#include <sys/types.h>

#include <string>

namespace orvale {

// A page being written: the bytes go to a new file beside the page's final
// name, which replaces the final name only when commit() succeeds. Until
// then an existing page stays as it was; a page file that is dropped without
// commit() removes its temporary file.
class PageFile {
 public:
  // Raises the run-time error for a folder that takes no new file.
  // `mode` gives the permission bits (an existing page's, to keep them).
  PageFile(std::string finalPath, mode_t mode);
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  void write(const std::string& bytes);
  // Writes what is buffered, flushes it to the disk and renames the file
  // over the final name.
  void commit();

  const std::string& temporaryPath() const { return temporaryPath_; }

 private:
  void flushBuffer();

  std::string finalPath_;
  std::string temporaryPath_;
  std::string buffer_;
  int fd_ = -1;
};

}  // namespace orvale
