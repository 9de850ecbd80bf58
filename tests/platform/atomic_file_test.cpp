#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/Unprivileged.h"

using platform::AtomicFile;

// The order in which files reach the disk and their new names, seen from
// inside the C library: this program's own fsync and rename stand in front of
// the library's and pass every call on.
namespace {

struct FileEvent {
  enum Kind { kSync, kRename } kind;
  dev_t device;
  ino_t inode;
  bool unlocked = false;  // a renamed file no writer held locked
};
bool recording = false;
std::vector<FileEvent> events;

void Record(FileEvent::Kind kind, const struct stat& info, bool unlocked = false) {
  if (recording) events.push_back({kind, info.st_dev, info.st_ino, unlocked});
}

// Whether another open of the file could lock it, so another process's
// sweep of dead writers' files could take it.
bool Unlocked(const char* path) {
  const platform::FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC));
  return file.isOpen() && flock(file.get(), LOCK_EX | LOCK_NB) == 0;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int descriptor) {
  struct stat info {};
  if (fstat(descriptor, &info) == 0) Record(FileEvent::kSync, info);
  return Next<int (*)(int)>("fsync")(descriptor);
}

extern "C" int fdatasync(int descriptor) {
  struct stat info {};
  if (fstat(descriptor, &info) == 0) Record(FileEvent::kSync, info);
  return Next<int (*)(int)>("fdatasync")(descriptor);
}

extern "C" int rename(const char* from, const char* to) noexcept {
  struct stat info {};
  if (lstat(from, &info) == 0) Record(FileEvent::kRename, info, Unlocked(from));
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
  struct stat info {};
  if (fstatat(fromFolder, from, &info, AT_SYMLINK_NOFOLLOW) == 0) Record(FileEvent::kRename, info);
  return Next<int (*)(int, const char*, int, const char*)>("renameat")(fromFolder, from, toFolder,
                                                                       to);
}

// An unnamed file takes its name by a link.
extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to,
                      int flags) noexcept {
  struct stat info {};
  if (fstatat(fromFolder, from, &info, flags & AT_SYMLINK_FOLLOW ? 0 : AT_SYMLINK_NOFOLLOW) == 0)
    Record(FileEvent::kRename, info);
  return Next<int (*)(int, const char*, int, const char*, int)>("linkat")(fromFolder, from,
                                                                          toFolder, to, flags);
}

namespace {

constexpr char kSource[] = "Tester";

std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Writes the bytes over the target in one go; the run-time error's number,
// or 0 when the file was written.
int Replace(const std::filesystem::path& target, const std::string& bytes,
            AtomicFile::Times times = AtomicFile::Times::kOfWriting) {
  try {
    AtomicFile file(target.string(), kSource, times);
    file.open();
    file.write(bytes);
    file.commit();
    return 0;
  } catch (const platform::RunTimeError& error) {
    return error.number();
  }
}

// Runs the check in a child with a mount table of its own, so a mount made
// there needs no clean-up; nullopt when no such child can be made here.
std::optional<int> RunWithPrivateMounts(const std::function<int()>& check) {
  return unattended_run::Check([&] {
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return 125;
    return check();
  });
}

mode_t Mode(const std::filesystem::path& file) {
  struct stat info {};
  EXPECT_EQ(stat(file.c_str(), &info), 0) << file;
  return info.st_mode & 07777;
}

}  // namespace

TEST(AtomicFile, ReplacesTheTargetOnlyWhenCommitted) {
  TempFolder folder;
  const auto target = folder.write("page.htm", "old");
  {
    AtomicFile file(target.string(), kSource);
    file.open();
    file.write("half a new pa");
    EXPECT_EQ(TempFolder::read(target), "old") << "the target is untouched while writing";
  }
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"page.htm"})
      << "an uncommitted file removes its temporary file";
  EXPECT_EQ(TempFolder::read(target), "old");

  EXPECT_EQ(Replace(target, "new"), 0);
  EXPECT_EQ(TempFolder::read(target), "new");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"page.htm"});
}

TEST(AtomicFile, TheDataReachTheDiskBeforeTheNewName) {
  TempFolder folder;
  for (const bool replacing : {false, true}) {
    const auto target = folder.path() / "thumb.jpg";
    if (replacing) TempFolder::write_to(target, "old");
    events.clear();
    recording = true;
    const int result = Replace(target, "new");
    recording = false;
    ASSERT_EQ(result, 0);
    const auto renamed = std::find_if(events.begin(), events.end(), [](const FileEvent& e) {
      return e.kind == FileEvent::kRename;
    });
    ASSERT_NE(renamed, events.end()) << "the file is linked or renamed into place";
    const bool synced = std::any_of(events.begin(), renamed, [&](const FileEvent& e) {
      return e.kind == FileEvent::kSync && e.device == renamed->device && e.inode == renamed->inode;
    });
    EXPECT_TRUE(synced) << "fsync before rename, or a crash may leave an empty file under the name"
                        << (replacing ? " (replacing)" : " (new)");
    EXPECT_TRUE(std::none_of(events.begin(), events.end(), [](const FileEvent& e) {
      return e.unlocked;
    })) << "a hidden file stays locked until its rename, or another run may sweep it away";
  }
}

TEST(AtomicFile, NamesUpToTheFileSystemLimitWork) {
  TempFolder folder;
  const struct {
    std::size_t length;
    int number;
  } rows[] = {{1, 0}, {250, 0}, {255, 0}, {256, platform::kBadFileName}};
  for (const auto& row : rows) {
    const auto target = folder.path() / std::string(row.length, 'n');
    EXPECT_EQ(Replace(target, "x"), row.number)
        << row.length << " bytes: the temporary name is short whatever the target's length";
    if (row.number == 0) {
      EXPECT_EQ(TempFolder::read(target), "x") << row.length;
    }
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << row.length << ": nothing left over";
  }
}

TEST(AtomicFile, AReplacedFilesPermissionBitsCarryOverWithoutSpecialBits) {
  TempFolder folder;
  const struct {
    const char* rule;
    mode_t before, after;
  } rows[] = {
      {"owner and group", 0640, 0640},      {"others only", 0604, 0604},
      {"set-user-ID dropped", 04755, 0755}, {"set-group-ID dropped", 02775, 0775},
      {"sticky dropped", 01666, 0666},
  };
  const auto target = folder.path() / "thumb.bmp";
  for (const auto& row : rows) {
    TempFolder::write_to(target, "old");
    ASSERT_EQ(chmod(target.c_str(), row.before), 0);
    ASSERT_EQ(Replace(target, "new"), 0) << row.rule;
    EXPECT_EQ(Mode(target), row.after) << row.rule;
  }
  std::filesystem::remove(target);
  const mode_t mask = umask(0);
  umask(mask);
  ASSERT_EQ(Replace(target, "new"), 0);
  EXPECT_EQ(Mode(target), 0666 & ~mask) << "a new file as any new file, under the umask";
}

TEST(AtomicFile, TheReplacedFilesTimesCarryOverOnlyWhenAsked) {
  TempFolder folder;
  const timespec old[2] = {{978307200, 123456789}, {1000000000, 5}};  // both in 2001
  const struct {
    AtomicFile::Times times;
    bool kept;
  } rows[] = {{AtomicFile::Times::kOfReplacedFile, true}, {AtomicFile::Times::kOfWriting, false}};
  for (const auto& row : rows) {
    const auto target = folder.write("thumb.jpg", "old");
    ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), old, 0), 0);
    ASSERT_EQ(Replace(target, "new", row.times), 0);
    struct stat after {};
    ASSERT_EQ(stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_atim.tv_sec == old[0].tv_sec && after.st_atim.tv_nsec == old[0].tv_nsec,
              row.kept)
        << "access time, kept: " << row.kept;
    EXPECT_EQ(after.st_mtim.tv_sec == old[1].tv_sec && after.st_mtim.tv_nsec == old[1].tv_nsec,
              row.kept)
        << "modification time, kept: " << row.kept;
  }
}

// Each row leaves the old file as it was and reports 75, whether the
// refusal comes before anything is written or when the file is made.
TEST(AtomicFile, AFileTheUserMayNotWriteIsRefusedAndKept) {
  const struct {
    const char* rule;
    mode_t fileMode, folderMode;
    bool ownedByUser;  // else by root
    bool unprivileged;
  } rows[] = {
      {"a read-only file, even for the superuser", 0444, 0755, false, false},
      {"another user's file in a folder open to all", 0644, 0777, false, true},
      {"a file of the user's in a read-only folder", 0644, 0555, true, true},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    const auto target = folder.write("thumb.jpg", "old");
    ASSERT_EQ(chmod(target.c_str(), row.fileMode), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), row.folderMode), 0);
    if (row.ownedByUser) {
      ASSERT_EQ(chown(folder.path().c_str(), 65534, 65534), 0);
      ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    }
    std::optional<int> number;
    if (row.unprivileged) {
      number = RunUnprivileged([&] { return Replace(target, "new"); });
      if (!number) GTEST_SKIP() << "privileges cannot be dropped here";
    } else {
      number = Replace(target, "new");
    }
    EXPECT_EQ(*number, platform::kPathFileAccessError) << row.rule;
    EXPECT_EQ(TempFolder::read(target), "old") << row.rule;
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"thumb.jpg"}) << row.rule;
  }
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "thumb.jpg");
  EXPECT_EQ(Replace(folder.path() / "thumb.jpg", "new"), platform::kPathFileAccessError)
      << "a folder is never replaced by a file";
}

TEST(AtomicFile, AFullDiskKeepsTheOldFile) {
  TempFolder folder;
  const auto target = folder.path() / "Index.htm";
  const auto status = RunWithPrivateMounts([&] {
    if (mount("tmpfs", folder.path().c_str(), "tmpfs", 0, "size=64k") != 0) return 125;
    TempFolder::write_to(target, "old");
    try {
      AtomicFile file(target.string(), kSource);
      file.open();
      file.write(std::string(200 * 1024, 'p'));
      file.commit();
      return 1;
    } catch (const platform::RunTimeError& error) {
      if (error.number() != platform::kDiskFull || error.description() != "Disk full" ||
          error.source() != kSource)
        return 2;
    }
    if (TempFolder::read(target) != "old") return 3;
    return Names(folder.path()) == std::vector<std::string>{"Index.htm"} ? 0 : 4;
  });
  if (!status) GTEST_SKIP() << "no private mount of a small tmpfs here (needs root and unshare)";
  EXPECT_EQ(*status, 0)
      << "1: no error, 2: not 61 \"Disk full\", 3: old file changed, 4: leftovers";
}

TEST(AtomicFile, FilesAreWrittenWhereThereIsNoProc) {
  TempFolder folder;
  const auto status = RunWithPrivateMounts([&] {
    if (mount("tmpfs", "/proc", "tmpfs", 0, "size=16k") != 0) return 125;
    for (const char* name : {"new.jpg", "old.jpg"}) {
      if (std::string(name) == "old.jpg") TempFolder::write_to(folder.path() / name, "old");
      try {
        AtomicFile file((folder.path() / name).string(), kSource);
        file.open();
        file.write("new");
        file.commit();
      } catch (const platform::RunTimeError&) {
        return 1;
      }
      if (TempFolder::read(folder.path() / name) != "new") return 2;
    }
    return Names(folder.path()) == std::vector<std::string>{"new.jpg", "old.jpg"} ? 0 : 3;
  });
  if (!status) GTEST_SKIP() << "no private mount here (needs root and unshare)";
  EXPECT_EQ(*status, 0) << "1: an error, 2: not the new bytes, 3: leftovers";
}

TEST(AtomicFile, AHiddenTemporaryADeadWriterLeftGoesWithTheNextWriteIntoItsFolder) {
  const timespec longAgo[2] = {{978307200, 0}, {978307200, 0}};  // 2001
  const timespec later[2] = {{4102444800, 0}, {4102444800, 0}};  // 2100
  const struct {
    const char* rule;
    const char* name;
    const timespec* times;
    bool heldByAWriter;
    bool removed;
  } rows[] = {
      {"left by a dead writer", ".saving-abcd1234", longAgo, false, true},
      {"a live writer's, locked", ".saving-abcd1234", longAgo, true, false},
      {"written since this program first wrote", ".saving-abcd1234", later, false, false},
      {"not a name this writer makes", ".saving-abc", longAgo, false, false},
  };
  for (const auto& row : rows) {
    TempFolder folder;  // each folder is cleared once a program run
    const auto temporary = folder.write(row.name, "half a thumbnail");
    ASSERT_EQ(::utimensat(AT_FDCWD, temporary.c_str(), row.times, 0), 0);
    const platform::FileDescriptor writer(::open(temporary.c_str(), O_RDONLY | O_CLOEXEC));
    if (row.heldByAWriter) {
      ASSERT_EQ(::flock(writer.get(), LOCK_EX), 0);
    }
    EXPECT_EQ(Replace(folder.path() / "thumb.jpg", "new"), 0) << row.rule;
    EXPECT_EQ(std::filesystem::exists(temporary), !row.removed) << row.rule;
  }
}
