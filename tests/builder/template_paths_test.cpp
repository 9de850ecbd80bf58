#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "orvale/builder/TemplatePaths.h"
#include "tests/support/TempFolder.h"

namespace {
// How many more entries the folder listing hands out before it fails as a
// failing disk would; negative while no failure is planned.
int entriesBeforeFailure = -1;
}  // namespace

// Stands in for the C library's readdir in this test program, so a listing
// can be made to fail half-way.
extern "C" struct dirent* readdir(DIR* dir) {
  using Readdir = struct dirent* (*)(DIR*);
  static const auto next = reinterpret_cast<Readdir>(dlsym(RTLD_NEXT, "readdir"));
  if (entriesBeforeFailure == 0) {
    errno = EIO;
    return nullptr;
  }
  if (entriesBeforeFailure > 0) --entriesBeforeFailure;
  return next(dir);
}

TEST(HeadTemplatePath, AListingThatFailsHalfWayThrowsNothing) {
  TempFolder program;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) program.write(name, "x");
  // ".", ".." and one name come through, then the listing fails.
  entriesBeforeFailure = 3;
  std::string path;
  EXPECT_NO_THROW(path = orvale::HeadTemplatePath(program.path()));
  EXPECT_EQ(entriesBeforeFailure, 0) << "the listing did reach its failure";
  entriesBeforeFailure = -1;
  EXPECT_EQ(path, (program.path() / "FirstPart.txt").string())
      << "the missing head template is reported when it is opened";
}
