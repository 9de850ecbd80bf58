#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "platform/ConsoleHostServices.h"
#include "platform/DetachedProcess.h"
#include "platform/RunTimeError.h"
#include "tests/support/TempFolder.h"

using platform::RunTimeError;

TEST(RunTimeError, ErrnoValuesMapToTheNumbersUsersKnow) {
  using platform::FileOperation;
  const struct {
    int errnoValue;
    FileOperation operation;
    int number;
    const char* description;
  } rows[] = {
      {ENOENT, FileOperation::kOpenFile, 53, "File not found"},
      {ENOENT, FileOperation::kCreateFile, 76, "Path not found"},  // its folder is missing
      {ENOENT, FileOperation::kOpenFolder, 76, "Path not found"},
      {ENOTDIR, FileOperation::kOpenFile, 76, "Path not found"},
      {ENOTDIR, FileOperation::kOpenFolder, 76, "Path not found"},
      {EACCES, FileOperation::kCreateFile, 75, "Path/File access error"},
      {EPERM, FileOperation::kOpenFile, 75, "Path/File access error"},
      {EROFS, FileOperation::kCreateFile, 75, "Path/File access error"},
      {EISDIR, FileOperation::kCreateFile, 75, "Path/File access error"},
      {ENOSPC, FileOperation::kCreateFile, 61, "Disk full"},
      // What is wrong, where the standard text would point elsewhere.
      {ENAMETOOLONG, FileOperation::kCreateFile, 52,
       "Name too long: a name on the path, or the whole path, is longer than the file system "
       "allows"},
      {ELOOP, FileOperation::kOpenFolder, 76,
       "Path not found: its symbolic links lead round in a loop"},
      {EMFILE, FileOperation::kOpenFile, 67, "Too many files"},
      {EIO, FileOperation::kOpenFile, 57, "Device I/O error"},
  };
  for (const auto& row : rows) {
    const RunTimeError error = RunTimeError::fromErrno(row.errnoValue, row.operation, "Orvale");
    const auto rule = "errno " + std::to_string(row.errnoValue) + ", operation " +
                      std::to_string(int(row.operation));
    EXPECT_EQ(error.number(), row.number) << rule;
    EXPECT_EQ(error.description(), row.description) << rule;
    EXPECT_EQ(error.source(), "Orvale");
    EXPECT_STREQ(error.what(), row.description);
  }
  EXPECT_EQ(RunTimeError::fromErrno(ENOENT, "Orvale").number(), 53)
      << "without an operation, a missing name is a file that should exist";
}

TEST(RunTimeError, AGivenDescriptionWinsOverTheStandardOne) {
  const RunTimeError error = RunTimeError::fromErrno(ENOENT, "x", "Cannot open photo.jpg");
  EXPECT_EQ(error.number(), 53);
  EXPECT_EQ(error.description(), "Cannot open photo.jpg");
  EXPECT_EQ(RunTimeError::standard(9, "x").description(), "Subscript out of range");
  EXPECT_EQ(RunTimeError::standard(6, "x").description(), "Overflow");
}

TEST(ConsoleHostServices, WritesTitleAndBodyAndTakesTheFixedAnswer) {
  std::ostringstream out, err;
  platform::ConsoleHostServices yes(out, err, true);
  yes.showMessage("line one\rline two", "Error Message", platform::MessageIcon::kInformation);
  EXPECT_TRUE(yes.askYesNo("Index.htm already exists.  OK to replace?", "File already exists"));
  yes.openDocument("/photos/Index.htm", "/photos/");
  EXPECT_EQ(err.str(),
            "Error Message: line one\nline two\n"
            "File already exists: Index.htm already exists.  OK to replace? Yes\n");
  EXPECT_EQ(out.str(), "/photos/Index.htm\n");

  std::ostringstream out2, err2;
  platform::ConsoleHostServices no(out2, err2, false);
  EXPECT_FALSE(no.askYesNo("q?", "t"));
  EXPECT_EQ(err2.str(), "t: q? No\n");
}

TEST(DetachedProcess, StartsAProgramInItsWorkingFolderAndReportsOneThatCannotStart) {
  TempFolder folder;
  ASSERT_TRUE(platform::StartDetachedProcess("/bin/sh", {"-c", "pwd > started.txt"},
                                             folder.path().string()));
  const auto marker = folder.path() / "started.txt";
  for (int k = 0; k < 500 && TempFolder::read(marker).empty(); ++k) usleep(10000);
  EXPECT_EQ(TempFolder::read(marker), folder.path().string() + "\n");

  EXPECT_FALSE(platform::StartDetachedProcess((folder.path() / "no-such-program").string(), {},
                                              folder.path().string()));
  EXPECT_FALSE(platform::StartDetachedProcess("/bin/sh", {}, (folder.path() / "gone").string()));
}
