#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

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

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Removes the hidden file if a writer that died left it: no writer holds it
// locked (each holds its own file locked while it lives) and it was last
// written before this process first wrote a file, so it is not one that a
// writer on a file system without unnamed files has only just made.
void RemoveIfStale(const std::string& path, const timespec& start) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {
  }, named{};
  if (!file.isOpen() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0 ||
      ::fstat(file.get(), &opened) != 0 || ::lstat(path.c_str(), &named) != 0)
    return;
  if (S_ISREG(opened.st_mode) && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino &&
      Before(opened.st_mtim, start))
    ::unlink(path.c_str());
}

// A writer killed between naming its file and renaming it leaves a hidden
// temporary behind; the first file this process writes into a folder clears
// that folder of them.
void RemoveStaleTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  static const timespec start = [] {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
  }();
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!swept.insert(folder).second) return;
  }
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
       !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() == sizeof kTemporaryPrefix - 1 + kRandomLetters &&
        name.starts_with(kTemporaryPrefix))
      RemoveIfStale(folder + name, start);
  }
}

}  // namespace

AtomicFile::AtomicFile(std::string targetPath, std::string errorSource, Times times)
    : targetPath_(std::move(targetPath)), errorSource_(std::move(errorSource)), times_(times) {
  struct stat info {};
  if (::stat(targetPath_.c_str(), &info) != 0) {
    // A new file. A folder on its way that is missing, or is a file, shows
    // when the file is made, as the writer's own failure.
    if (errno != ENOENT && errno != ENOTDIR) raise(errno);
    return;
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
  RemoveStaleTemporaries(folder);
  // An unnamed file first: a writer killed before commit() leaves nothing
  // behind, as the file has no name until it is complete. It takes its name
  // through /proc, so without /proc it is a hidden name from the start.
  const bool nameable = ::access("/proc/self/fd", X_OK) == 0;
  const int unnamed = nameable ? ::open(folder.empty() ? "." : folder.c_str(),
                                        O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)
                               : -1;
  if (unnamed >= 0) {
    file_ = FileDescriptor(unnamed);
  } else if (!nameable || errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
    // The file system has no unnamed files: a hidden name it is.
    temporaryPath_ = CreateNamedTemporary(mode);
  } else {
    raise(errno);
  }
  // Held while this writer lives, so no other writer takes the file for a
  // dead one's; best effort, as some file systems have no locks.
  (void)::flock(file_.get(), LOCK_EX | LOCK_NB);
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
  // Renamed while still open, and so locked: a hidden file without its
  // writer's lock is one another run may sweep away as a dead writer's.
  if (::rename(temporaryPath_.c_str(), targetPath_.c_str()) != 0) raise(errno);
  temporaryPath_.clear();
  CloseOrRaise();
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
