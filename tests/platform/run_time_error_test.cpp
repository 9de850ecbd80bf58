#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "platform/ConsoleHostServices.h"
#include "platform/DetachedProcess.h"
#include "platform/RunTimeError.h"
#include "tests/support/TempFolder.h"

using platform::RunTimeError;

TEST(RunTimeError, ErrnoValuesMapToTheNumbersUsersKnow) {
  const struct {
    int errnoValue;
    int number;
    const char* description;
  } rows[] = {
      {ENOENT, 53, "File not found"},
      {ENOTDIR, 76, "Path not found"},
      {EACCES, 75, "Path/File access error"},
      {EPERM, 75, "Path/File access error"},
      {EROFS, 75, "Path/File access error"},
      {ENOSPC, 61, "Disk full"},
      {ENAMETOOLONG, 52, "Bad file name or number"},
      {EMFILE, 67, "Too many files"},
      {EIO, 57, "Device I/O error"},
  };
  for (const auto& row : rows) {
    const RunTimeError error = RunTimeError::fromErrno(row.errnoValue, "Orvale");
    EXPECT_EQ(error.number(), row.number) << "errno " << row.errnoValue;
    EXPECT_EQ(error.description(), row.description) << "errno " << row.errnoValue;
    EXPECT_EQ(error.source(), "Orvale");
    EXPECT_STREQ(error.what(), row.description);
  }
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
  yes.showMessage("line one\rline two", "Error Message");
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
