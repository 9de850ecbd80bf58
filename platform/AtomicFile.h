#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace platform {

// A file written beside its target and given the target's name only by
// commit(), in the spirit of Qt's QSaveFile. Until then a file at the target
// stays as it was, and a file dropped without commit() leaves nothing. The
// file is unnamed while it is written where the file system allows
// (O_TMPFILE), so even a writer killed midway leaves no file behind; a new
// file is then linked in under its name, a replacing one under a hidden
// temporary name that is at once renamed over the target. Elsewhere it is
// written under that hidden name from the start. A hidden temporary that a
// killed writer left is removed the next time a file is written into its
// folder. Every writer that replaces a file
// goes through here, so these promises hold for all of them:
// - a target the user may not write (no write permission at all, or not
//   for this user) is refused with 75, never replaced behind its owner's back;
// - a replaced file's permission bits carry over, the 0777 ones only (never
//   set-user-ID, set-group-ID or sticky); a new file gets 0666 under the
//   umask, as any new file does;
// - the data reach the disk before the new name does (fsync, then rename);
//   the folder itself is not synced, so a crash may bring back the old file,
//   never a torn one.
// Failures raise the run-time error of the file system's errno (a missing
// folder is 76) with the source the writer gives.
class AtomicFile {
 public:
  enum class Times { kOfWriting, kOfReplacedFile };

  // Looks at the target only: raises 75 for a folder or a file the user may
  // not write. kOfReplacedFile carries a replaced file's access and
  // modification times over to the new one.
  AtomicFile(std::string targetPath, std::string errorSource, Times times = Times::kOfWriting);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Makes the temporary file beside the target.
  void open();
  void write(const void* data, std::size_t size);
  void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
  // Carries the replaced file's bits over, flushes the file to the disk,
  // closes it and renames it over the target.
  void commit();

 private:
  [[noreturn]] void raise(int errnoValue) const;
  std::string CreateNamedTemporary(mode_t mode);
  // Gives the unnamed file this name; false when the name is taken.
  bool LinkUnnamedAs(const std::string& path);
  void NameUnnamedFile();
  void CloseOrRaise();

  std::string targetPath_;
  std::string errorSource_;
  Times times_;
  bool replacing_ = false;
  struct stat replaced_ {};
  std::string temporaryPath_;
  FileDescriptor file_;
};

}  // namespace platform
