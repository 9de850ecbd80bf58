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
  EXPECT_NO_THROW(path = orvale::HeadTemplatePath(program.path()).path);
  EXPECT_EQ(entriesBeforeFailure, 0) << "the listing did reach its failure";
  entriesBeforeFailure = -1;
  EXPECT_EQ(path, (program.path() / "FirstPart.txt").string())
      << "the missing head template is reported when it is opened";
}

TEST(UserTemplateFolder, FollowsTheDataHomeElseTheHome) {
  const struct {
    const char* rule;
    const char* dataHome;
    const char* home;
    const char* folder;
  } rows[] = {
      {"XDG_DATA_HOME set", "/data", "/home/u", "/data/orvale"},
      {"XDG_DATA_HOME unset", nullptr, "/home/u", "/home/u/.local/share/orvale"},
      {"an empty XDG_DATA_HOME counts as unset", "", "/home/u", "/home/u/.local/share/orvale"},
      {"a relative XDG_DATA_HOME is ignored", "data", "/home/u", "/home/u/.local/share/orvale"},
      {"no home at all: no user copies", nullptr, nullptr, ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(orvale::UserTemplateFolder(row.dataHome, row.home).string(), row.folder) << row.rule;
}

TEST(TemplatePaths, ABuildReadsTheUserCopyWhenThereIsOne) {
  // tail: nullptr for the head template, else the box's text; copy: the
  // user's file made before the look, or nullptr. "P/" and "U/" stand for
  // the program and user folders, in the box's text too.
  const struct {
    const char* rule;
    const char* tail;
    const char* copy;
    const char* read;
    bool userFolder = true;
  } rows[] = {
      {"head without a copy", nullptr, nullptr, "P/FirstPart.txt"},
      {"head with a copy", nullptr, "FirstPart.txt", "U/FirstPart.txt"},
      {"the head's name in any letter case", nullptr, "firstpart.TXT", "U/firstpart.TXT"},
      {"tail without a copy", "./LastPart.txt", nullptr, "P/LastPart.txt"},
      {"tail with a copy", "./LastPart.txt", "LastPart.txt", "U/LastPart.txt"},
      {"tail below the folder", "./Alt/LastPart2.txt", "Alt/LastPart2.txt", "U/Alt/LastPart2.txt"},
      {"a tail that leads out of the folder has no copy", "./../LastPart.txt", "../LastPart.txt",
       "P/../LastPart.txt"},
      {"an absolute tail stands as it is", "/elsewhere/Tail.txt", "elsewhere/Tail.txt",
       "/elsewhere/Tail.txt"},
      {"a shipped tail named by its full path means the copy too", "P/LastPart.txt", "LastPart.txt",
       "U/LastPart.txt"},
      {"a way out of the folder and back in means the copy too", "./../P/Alt/LastPart2.txt",
       "Alt/LastPart2.txt", "U/Alt/LastPart2.txt"},
      {"no user folder: the shipped one", "./LastPart.txt", "LastPart.txt", "P/LastPart.txt",
       false},
  };
  for (const auto& row : rows) {
    TempFolder root;
    const auto program = root.path() / "P";
    const auto user = row.userFolder ? root.path() / "U" : std::filesystem::path();
    std::filesystem::create_directories(program);
    if (row.copy) root.write(std::string("U/") + row.copy, "mine");
    const std::string tail = row.tail ? row.tail : "";
    const orvale::TemplateFile file =
        !row.tail
            ? orvale::HeadTemplate(program, user)
            : orvale::TailTemplate(program, user,
                                   tail.starts_with("P/") ? (root.path() / tail).string() : tail);
    const std::filesystem::path read(row.read);
    const orvale::TemplateRead got = orvale::TemplateToRead(file);
    EXPECT_EQ(got.path,
              read.is_absolute() ? row.read : (root.path() / read).lexically_normal().string())
        << row.rule;
    EXPECT_EQ(got.isUserCopy, std::string(row.read).starts_with("U/"))
        << row.rule << ": a build tells when it reads the user's copy";
  }
}

TEST(TemplatePaths, EditingMakesTheUserCopyOnceAndOpensIt) {
  TempFolder root;
  const auto program = root.path() / "P";
  const auto user = root.path() / "U";
  const std::string shipped = "<html>\r\nconst pictures = [\r\n";
  root.write("P/FirstPart.txt", shipped);
  const orvale::TemplateFile head = orvale::HeadTemplate(program, user);

  EXPECT_EQ(orvale::TemplateToEdit(head).path, (user / "FirstPart.txt").string());
  EXPECT_EQ(TempFolder::read(user / "FirstPart.txt"), shipped) << "copied byte for byte";
  TempFolder::write_to(user / "FirstPart.txt", "edited");
  EXPECT_EQ(orvale::TemplateToEdit(head).path, (user / "FirstPart.txt").string());
  EXPECT_EQ(TempFolder::read(user / "FirstPart.txt"), "edited") << "the copy is made only once";
  EXPECT_EQ(TempFolder::read(program / "FirstPart.txt"), shipped) << "the shipped one stays";

  const struct {
    const char* rule;
    orvale::TemplateFile file;
    std::filesystem::path opened;
    int copyError;  // 0: none
  } rows[] = {
      {"no shipped file to copy", orvale::TailTemplate(program, user, "./Missing.txt"),
       program / "Missing.txt", 0},
      {"a user folder that cannot be made",
       orvale::HeadTemplate(program, program / "FirstPart.txt" / "orvale"),
       program / "FirstPart.txt", platform::kPathNotFound},
      {"an absolute tail elsewhere is edited where it is",
       orvale::TailTemplate(program, user, (root.path() / "Tail.txt").string()),
       root.path() / "Tail.txt", 0},
  };
  for (const auto& row : rows) {
    const orvale::TemplateToOpen opened = orvale::TemplateToEdit(row.file);
    EXPECT_EQ(opened.path, row.opened.string()) << row.rule;
    EXPECT_EQ(opened.copyError ? opened.copyError->number() : 0, row.copyError)
        << row.rule << ": a copy that cannot be made says why";
    EXPECT_FALSE(std::filesystem::exists(user / "Missing.txt")) << row.rule;
  }
}

TEST(TemplatePaths, OnlyACopyTheUserChangedHidesTheShippedTemplate) {
  const struct {
    const char* rule;
    const char* userWrites;  // into the copy after Edit made it, or nullptr
    bool shippedUpgraded;
    bool recordLost;  // a copy made by hand, or by a version that kept no record
    bool readsCopy;
    const char* editOpens;  // what the copy holds when Edit opens it again
  } rows[] = {
      {"made by Edit, left as it was", nullptr, false, false, false, "v1"},
      {"made by Edit, left as it was, then a new version ships", nullptr, true, false, false, "v2"},
      {"changed by the user", "mine", false, false, true, "mine"},
      {"changed by the user, then a new version ships", "mine", true, false, true, "mine"},
      {"changed back to what it was made from", "v1", true, false, false, "v2"},
      {"no record of what it was made from", nullptr, true, true, true, "v1"},
  };
  for (const auto& row : rows) {
    TempFolder root;
    const auto program = root.path() / "P";
    const auto user = root.path() / "U";
    root.write("P/LastPart.txt", "v1");
    const orvale::TemplateFile tail = orvale::TailTemplate(program, user, "./LastPart.txt");
    ASSERT_EQ(orvale::TemplateToEdit(tail).path, (user / "LastPart.txt").string()) << row.rule;
    if (row.userWrites) TempFolder::write_to(user / "LastPart.txt", row.userWrites);
    if (row.shippedUpgraded) TempFolder::write_to(program / "LastPart.txt", "v2");
    if (row.recordLost) {
      for (const auto& entry : std::filesystem::directory_iterator(user))
        if (entry.path().filename() != "LastPart.txt") std::filesystem::remove(entry.path());
    }

    EXPECT_EQ(orvale::TemplateToRead(tail).isUserCopy, row.readsCopy) << row.rule;
    EXPECT_EQ(orvale::TemplateToRead(tail).path,
              (row.readsCopy ? user : program).string() + "/LastPart.txt")
        << row.rule;
    const orvale::TemplateToOpen opened = orvale::TemplateToEdit(tail);
    EXPECT_EQ(opened.path, (user / "LastPart.txt").string()) << row.rule;
    EXPECT_FALSE(opened.copyError) << row.rule;
    EXPECT_EQ(TempFolder::read(user / "LastPart.txt"), row.editOpens)
        << row.rule << ": the user edits the newest template, never loses an edit";
    EXPECT_EQ(TempFolder::read(program / "LastPart.txt"), row.shippedUpgraded ? "v2" : "v1")
        << row.rule;
  }
}
