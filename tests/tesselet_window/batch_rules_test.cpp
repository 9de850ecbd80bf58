#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/RunTimeError.h"
#include "tesselet/batch/BatchProgress.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ImageListing.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/batch/ThumbnailNaming.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"

namespace {

using tesselet::ThumbnailType;

// The names of a folder in the order the file system lists them.
std::vector<std::string> DirectoryOrder(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (const dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  return names;
}

}  // namespace

TEST(ImageListing, PictureFilesInFileSystemOrderWithTheirCase) {
  TempFolder folder;
  for (const char* name : {"Photo.JPG", "scan.Bmp", "anim.gif", "notes.txt", "pic.jpeg",
                           ".hidden.jpg", "sub/inner.jpg", "jpg", "x.png"})
    folder.write(name, "x");
  std::filesystem::create_directory(folder.path() / "folder.jpg");
  std::filesystem::create_symlink(folder.path() / "Photo.JPG", folder.path() / "link.jpg");
  std::filesystem::create_symlink(folder.path() / "gone", folder.path() / "dangling.jpg");

  std::vector<std::string> expected;
  for (const std::string& name : DirectoryOrder(folder.path())) {
    if (name == "Photo.JPG" || name == "scan.Bmp" || name == "anim.gif" || name == "link.jpg")
      expected.push_back(name);
  }
  EXPECT_EQ(tesselet::ListImageFiles(folder.path().string()), expected)
      << "the three four-character extensions in any case, ordinary files (or links to them) "
         "only, no hidden files, no sub-folders, file system order";
  EXPECT_EQ(tesselet::ListImageFiles(folder.withSlash()), expected) << "a trailing slash or none";
  EXPECT_EQ(tesselet::CountPictureFiles(folder.path().string()), 4)
      << "the count, by the same rule";
  EXPECT_EQ(tesselet::CountPictureFiles((folder.path() / "sub").string()), 1);
}

TEST(ImageListing, FoldersThatListNothingAndTheRoot) {
  TempFolder folder;
  folder.write("sub/a.jpg", "x");
  folder.write("file.txt", "x");
  const struct {
    const char* rule;
    std::string text;
  } rows[] = {
      {"pictures only in a sub-folder", folder.path().string()},
      {"a folder that does not exist", (folder.path() / "missing").string()},
      {"a file, not a folder", (folder.path() / "file.txt").string()},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(tesselet::ListImageFiles(row.text).empty()) << row.rule;
    EXPECT_EQ(tesselet::CountPictureFiles(row.text), 0) << row.rule;
  }
  EXPECT_EQ(tesselet::ListImageFiles(""), tesselet::ListImageFiles("/"))
      << "an empty text is the root folder";
}

TEST(ImageListing, AFolderThatCannotBeReadIsAnErrorButCountsNothing) {
  TempFolder folder;
  folder.write("locked/a.jpg", "x");
  const std::string locked = (folder.path() / "locked").string();
  ::chmod(locked.c_str(), 0);
  const auto status = RunUnprivileged([&] {
    if (tesselet::CountPictureFiles(locked) != 0) return 1;
    try {
      tesselet::ListImageFiles(locked);
    } catch (const platform::RunTimeError& error) {
      return error.number() == platform::kPathFileAccessError ? 0 : 2;
    }
    return 3;
  });
  if (!status) GTEST_SKIP() << "privileges could not be dropped";
  EXPECT_EQ(*status, 0) << "listing raises 75, the picker's count ignores the failure";
}

TEST(ThumbnailNaming, ThumbPlusTheNameUpToItsFirstDot) {
  const struct {
    const char* rule;
    std::string folder;
    std::string name;
    ThumbnailType type;
    std::string path;
  } rows[] = {
      {"JPEG, the base name keeps its case", "/p/ThumbNails", "IMG_0042.JPG", ThumbnailType::kJpeg,
       "/p/ThumbNails/thumbIMG_0042.jpg"},
      {"up to the first of several dots", "/p/ThumbNails/", "beach.day2.gif", ThumbnailType::kJpeg,
       "/p/ThumbNails/thumbbeach.jpg"},
      {"bitmap", "/p/t", "Sun.bmp", ThumbnailType::kBitmap, "/p/t/thumbSun.bmp"},
      {"no type chosen, no extension", "/p/t", "a.jpg", ThumbnailType::kNone, "/p/t/thumba"},
      {"a name that starts with its dot has an empty base", "/p/t", ".x.jpg", ThumbnailType::kJpeg,
       "/p/t/thumb.jpg"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(tesselet::ThumbnailPath(row.folder, row.name, row.type), row.path) << row.rule;
  EXPECT_EQ(tesselet::SourcePath("/p", "a.jpg"), "/p/a.jpg") << "a slash added";
  EXPECT_EQ(tesselet::SourcePath("/p/", "a.jpg"), "/p/a.jpg") << "not doubled";
}

TEST(FolderText, DestinationCheckTrimsBlanksAndNeedsAnExistingEntry) {
  TempFolder folder;
  folder.write("file", "x");
  const struct {
    const char* rule;
    std::string text;
    bool usable;
  } rows[] = {
      {"an existing folder", folder.path().string(), true},
      {"with a trailing slash", folder.withSlash(), true},
      {"blanks around it are ignored", "  " + folder.path().string() + "  ", true},
      {"a file passes the check (writing to it fails later)", (folder.path() / "file").string(),
       true},
      {"empty", "", false},
      {"blanks only", "   ", false},
      {"missing", (folder.path() / "ThumbNails").string(), false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(tesselet::IsUsableDestination(row.text), row.usable) << row.rule;
  EXPECT_EQ(tesselet::TrimBlanks("\t a b \t"), "\t a b \t") << "only blanks are trimmed";
}

TEST(SizeText, WholeNumbersHalvesToEvenAndErrors) {
  const struct {
    const char* text;
    std::int32_t size;
  } rows[] = {{"50", 50},
              {" 50 ", 50},
              {"+7", 7},
              {"50.5", 50},
              {"51.5", 52},
              {"-3", -3},
              {"2147483647", 2147483647}};
  for (const auto& row : rows) EXPECT_EQ(tesselet::SizeFromText(row.text), row.size) << row.text;
  for (const char* text : {"", "abc", "5 0", "1e3", "2147483647.5"}) {
    try {
      tesselet::SizeFromText(text);
      ADD_FAILURE() << text << ": no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), *text == '2' ? platform::kOverflow : 13) << text;
      EXPECT_EQ(error.source(), "tesselet.frmThumbs") << text;
    }
  }
}

TEST(BatchProgress, TheBarRoundsHalvesToEven) {
  const struct {
    std::int32_t done, total, width, right;
  } rows[] = {{1, 4, 2, 0}, {3, 4, 2, 2}, {1, 2, 5, 2}, {0, 0, 186, 0}};
  for (const auto& row : rows) {
    EXPECT_EQ(tesselet::ProgressBarRight(row.done, row.total, row.width), row.right)
        << row.done << " of " << row.total << " in " << row.width;
  }
}
