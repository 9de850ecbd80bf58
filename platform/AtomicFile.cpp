#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/RunTimeError.h"

namespace platform {

namespace {

// "." and a fixed number of letters: hidden from galleries and listings of
// pictures, and never longer than a folder allows, however long the
// target's own name is.
constexpr char kTemporaryPrefix[] = ".saving-";
constexpr int kRandomLetters = 8;
constexpr int kAttempts = 100;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string RandomLetters(std::mt19937& random) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, int(sizeof kLetters) - 2);
  std::string letters;
  for (int k = 0; k < kRandomLetters; ++k) letters += kLetters[pick(random)];
  return letters;
}

}  // namespace

AtomicFile::AtomicFile(std::string targetPath, std::string errorSource, Times times)
    : targetPath_(std::move(targetPath)), errorSource_(std::move(errorSource)), times_(times) {
  struct stat info {};
  if (::stat(targetPath_.c_str(), &info) != 0) {
    if (errno != ENOENT) raise(errno);
    return;  // a new file; a missing folder shows when the file is made
  }
  if (S_ISDIR(info.st_mode)) raise(EISDIR);
  // A file nobody may write counts as read-only even for the superuser.
  if ((info.st_mode & 0222) == 0 ||
      ::faccessat(AT_FDCWD, targetPath_.c_str(), W_OK, AT_EACCESS) != 0)
    throw RunTimeError::standard(kPathFileAccessError, errorSource_);
  replacing_ = true;
  replaced_ = info;
}

AtomicFile::~AtomicFile() {
  file_.close();
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

void AtomicFile::open() {
  // A replacing file stays private until it has the replaced file's bits.
  const mode_t mode = replacing_ ? 0600 : 0666;
  const std::string folder = FolderOf(targetPath_);
  // An unnamed file first: a writer killed before commit() leaves nothing
  // behind, as the file has no name until it is complete.
  const int unnamed =
      ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (unnamed >= 0) {
    file_ = FileDescriptor(unnamed);
  } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
    // The file system has no unnamed files: a hidden name it is.
    temporaryPath_ = CreateNamedTemporary(mode);
  } else {
    raise(errno);
  }
  // Best effort: a file system without permission bits still takes the file.
  if (replacing_) (void)::fchmod(file_.get(), replaced_.st_mode & 0777);
}

std::string AtomicFile::CreateNamedTemporary(mode_t mode) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string candidate = FolderOf(targetPath_) + kTemporaryPrefix + RandomLetters(random);
    const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor >= 0) {
      file_ = FileDescriptor(descriptor);
      return candidate;
    }
    if (errno != EEXIST) raise(errno);
  }
  raise(EEXIST);
}

void AtomicFile::write(const void* data, std::size_t size) {
  if (!file_.writeAll(data, size)) raise(errno);
}

void AtomicFile::commit() {
  if (replacing_ && times_ == Times::kOfReplacedFile) {
    // After the last write, which would move the modification time again.
    const struct timespec times[2] = {replaced_.st_atim, replaced_.st_mtim};
    (void)::futimens(file_.get(), times);
  }
  if (::fsync(file_.get()) != 0) raise(errno);
  if (temporaryPath_.empty()) {
    // A new file takes its name in one step; one that replaces another gets
    // a hidden name first, as only a rename replaces a file in one step.
    if (!replacing_ && LinkUnnamedAs(targetPath_)) {
      if (!file_.close()) {
        // The file system may report a lost write only now: no file then.
        const int error = errno;
        ::unlink(targetPath_.c_str());
        raise(error);
      }
      return;
    }
    NameUnnamedFile();
  }
  CloseOrRaise();
  if (::rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) raise(errno);
  temporaryPath_.clear();
}

bool AtomicFile::LinkUnnamedAs(const std::string& path) {
  // Through /proc, which needs no privilege, unlike linkat's AT_EMPTY_PATH.
  const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != EEXIST) raise(errno);
  return false;
}

void AtomicFile::NameUnnamedFile() {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string candidate = FolderOf(targetPath_) + kTemporaryPrefix + RandomLetters(random);
    if (LinkUnnamedAs(candidate)) {
      temporaryPath_ = std::move(candidate);
      return;
    }
  }
  raise(EEXIST);
}

void AtomicFile::CloseOrRaise() {
  if (!file_.close()) raise(errno);
}

void AtomicFile::raise(int errnoValue) const {
  throw RunTimeError::fromErrno(errnoValue, FileOperation::kCreateFile, errorSource_);
}

}  // namespace platform
