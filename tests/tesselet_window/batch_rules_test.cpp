#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "imaging/pixels/SystemColour.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/BatchProgress.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ImageListing.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/batch/ThumbnailBatch.h"
#include "tesselet/batch/ThumbnailNaming.h"
#include "tesselet/batch/WorkerCount.h"
#include "tests/support/RecordingHostServices.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"
#include "tests/tesselet_window/TesseletTestSupport.h"

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
  for (const char* name :
       {"Photo.JPG", "scan.Bmp",  "anim.gif",    "notes.txt",     "pic.jpeg", "old.JPE",
        "clip.mpeg", "a.jpg.txt", ".hidden.jpg", "sub/inner.jpg", "jpg",      "x.png",
        "p.WebP",    "i.HEIC",    "i2.heif",     "v.Mp4",         "v2.m4v",   "m.MOV",
        "w.webm",    "a.avi",     ".hidden.mp4", "x.png.txt"})
    folder.write(name, "x");
  std::filesystem::create_directory(folder.path() / "folder.jpg");
  std::filesystem::create_directory(folder.path() / "folder.mp4");
  std::filesystem::create_symlink(folder.path() / "Photo.JPG", folder.path() / "link.jpg");
  std::filesystem::create_symlink(folder.path() / "gone", folder.path() / "dangling.jpg");

  const std::set<std::string> pictures = {"Photo.JPG", "scan.Bmp", "anim.gif",
                                          "pic.jpeg",  "old.JPE",  "link.jpg"};
  const std::set<std::string> everyKind = {"x.png", "p.WebP", "i.HEIC", "i2.heif",
                                           "v.Mp4", "v2.m4v", "m.MOV",  "w.webm"};
  const struct {
    const char* rule;
    bool allMedia;
  } rows[] = {
      {"the extensions jpg, jpeg, jpe, gif and bmp in any case, ordinary files (or links to "
       "them) only, no hidden files, no sub-folders, file system order",
       false},
      {"photos and videos of every kind: png, webp, heic, heif, mp4, m4v, mov and webm too, in "
       "one list, by the same rules",
       true},
  };
  for (const auto& row : rows) {
    std::vector<std::string> expected;
    for (const std::string& name : DirectoryOrder(folder.path())) {
      if (pictures.contains(name) || (row.allMedia && everyKind.contains(name)))
        expected.push_back(name);
    }
    EXPECT_EQ(tesselet::ListImageFiles(folder.path().string(), row.allMedia), expected) << row.rule;
    EXPECT_EQ(tesselet::ListImageFiles(folder.withSlash(), row.allMedia), expected)
        << "a trailing slash or none";
    EXPECT_EQ(tesselet::CountPictureFiles(folder.path().string(), row.allMedia),
              std::int32_t(expected.size()))
        << "the count, by the same rule";
  }
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

TEST(ThumbnailNaming, ThumbPlusTheNameUpToItsLastDot) {
  const struct {
    const char* rule;
    std::string folder;
    std::string name;
    ThumbnailType type;
    std::string path;
  } rows[] = {
      {"JPEG, the base name keeps its case", "/p/ThumbNails", "IMG_0042.JPG", ThumbnailType::kJpeg,
       "/p/ThumbNails/thumbIMG_0042.jpg"},
      {"up to the last of several dots", "/p/ThumbNails/", "beach.day2.gif", ThumbnailType::kJpeg,
       "/p/ThumbNails/thumbbeach.day2.jpg"},
      {"camera names of one hour keep their own", "/p/t", "2023-08-14 12.30.05.jpg",
       ThumbnailType::kJpeg, "/p/t/thumb2023-08-14 12.30.05.jpg"},
      {"a long extension goes whole", "/p/t", "family party.jpeg", ThumbnailType::kJpeg,
       "/p/t/thumbfamily party.jpg"},
      {"bitmap", "/p/t", "Sun.bmp", ThumbnailType::kBitmap, "/p/t/thumbSun.bmp"},
      {"no type chosen, no extension", "/p/t", "a.jpg", ThumbnailType::kNone, "/p/t/thumba"},
      {"a name that starts with a dot keeps it", "/p/t", ".x.jpg", ThumbnailType::kJpeg,
       "/p/t/thumb.x.jpg"},
      {"a name without a dot goes whole", "/p/t", "jpg", ThumbnailType::kJpeg, "/p/t/thumbjpg.jpg"},
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

namespace {

using tesselet::ThumbnailSettings;
using tesselet_test::WritePicture;

// The window as the batch sees it, with settings a test changes after a
// picture, where the user's edits land.
class SettingsView : public tesselet::BatchView {
 public:
  std::vector<std::string> entries;
  ThumbnailSettings settings;
  std::function<void(std::int32_t done)> afterPicture;

  std::string thumbnailsFolderText() const override { return settings.thumbnailsFolder; }
  std::vector<std::string> listEntries() const override { return entries; }
  ThumbnailSettings currentSettings() const override { return settings; }
  void showBatchStarted() override {}
  void showProgress(std::int32_t done, std::int32_t) override {
    if (done > 0 && afterPicture) afterPicture(done);
  }
  void showBatchEnded() override {}
  bool stopRequested() const override { return false; }
};

// A folder of five pictures named a to e, each of its own colour and size
// (another variant, others), with a folder for the thumbnails of each run.
struct PictureFolder {
  TempFolder folder;
  std::vector<std::string> names = {"a.jpg", "b.bmp", "c.jpg", "d.gif", "e.jpg"};
  explicit PictureFolder(int variant = 0) {
    const Qt::GlobalColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::white, Qt::yellow};
    for (int k = 0; k < int(names.size()); ++k) {
      const int look = (k + variant) % int(names.size());
      if (names[std::size_t(k)].ends_with(".gif") && variant == 0) {
        folder.write(names[std::size_t(k)], tesselet_test::kTinyGif);
      } else {
        WritePicture(folder, names[std::size_t(k)], 90 + 40 * look, 160 - 20 * look, colours[look]);
      }
    }
  }
  SettingsView View(const std::string& output) const {
    SettingsView view;
    view.entries = names;
    view.settings.imageFolder = folder.path().string();
    view.settings.thumbnailsFolder = (folder.path() / output).string();
    view.settings.maxWidthText = view.settings.maxHeightText = "50";
    std::filesystem::create_directories(view.settings.thumbnailsFolder);
    return view;
  }
};

// Every file of a folder with its bytes.
std::map<std::string, std::string> Files(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const std::string& name : tesselet_test::Names(folder))
    files[name] = TempFolder::read(folder / name);
  return files;
}

}  // namespace

TEST(ThumbnailBatch, AnUnreadablePictureIsSkippedAndAWriteFailureStopsWhileOthersDecode) {
  PictureFolder pictures;
  SettingsView view = pictures.View("out");
  // d.gif's thumbnail cannot be written: a folder holds its name.
  std::filesystem::create_directory(std::filesystem::path(view.settings.thumbnailsFolder) /
                                    "thumbd.jpg");
  std::mutex mutex;
  std::condition_variable started;
  std::set<std::string> decoded;
  int decoding = 0, mostAtOnce = 0;
  bool laterPicturesDecoding = false;
  // The second picture fails to decode only once the two after it are
  // being decoded.
  const tesselet::RenderStep render = [&](const tesselet::DecodeSettings& settings,
                                          const std::string& source) {
    const std::string name = std::filesystem::path(source).filename().string();
    std::unique_lock lock(mutex);
    decoded.insert(name);
    mostAtOnce = std::max(mostAtOnce, ++decoding);
    started.notify_all();
    if (name == "b.bmp") {
      laterPicturesDecoding = started.wait_for(lock, std::chrono::minutes(1), [&] {
        return decoded.contains("c.jpg") && decoded.contains("d.gif");
      });
      --decoding;
      throw platform::RunTimeError(platform::kInvalidPicture, "test", "damaged");
    }
    lock.unlock();
    auto outputs = tesselet::RenderOutputs(settings, source);
    lock.lock();
    --decoding;
    return outputs;
  };
  platform::RecordingHostServices host;

  const auto outcome = tesselet::ThumbnailBatch(view, host, 3, render).Run();

  ASSERT_EQ(outcome.skipped.size(), 1u) << "the unreadable picture is skipped, the batch goes on";
  EXPECT_EQ(outcome.skipped[0].position, 2);
  EXPECT_EQ(outcome.skipped[0].entry, "b.bmp");
  EXPECT_EQ(outcome.skipped[0].error.description(), "damaged");
  EXPECT_EQ(outcome.kind, tesselet::BatchOutcome::Kind::kFailed);
  EXPECT_EQ(outcome.failedAt, 4) << "a thumbnail that cannot be written stops the batch there";
  EXPECT_TRUE(laterPicturesDecoding) << "the pictures after it were decoding when it failed";
  EXPECT_LE(mostAtOnce, 3) << "one picture at a time for each worker";
  EXPECT_EQ(tesselet_test::Names(view.settings.thumbnailsFolder),
            (std::vector<std::string>{"thumba.jpg", "thumbc.jpg", "thumbd.jpg"}))
      << "exactly the thumbnails before the failure; e.jpg, decoded ahead, is not written";
  EXPECT_EQ(host.eventPasses, 3) << "the skipped picture counts as done";
  const std::string report = tesselet::BatchReport(outcome);
  EXPECT_TRUE(
      report.starts_with("The thumbnail of \"d.gif\" (picture 4 of 5) could not be made.") &&
      report.ends_with("\nBefore it, 1 of 5 pictures could not be read; it has no "
                       "thumbnail:\n\"b.bmp\" (picture 2 of 5): damaged (error 481 in test)"))
      << "one report: what stopped the batch, then each picture skipped before it\n"
      << report;
}

TEST(ThumbnailBatch, AWebCopyThatCannotBeWrittenStopsTheBatchAsAThumbnailDoes) {
  PictureFolder pictures;
  SettingsView view = pictures.View("out");
  const auto web = pictures.folder.path() / "Web";
  std::filesystem::create_directory(web);
  // The second copy of the first picture cannot be written: a file holds
  // its folder's name.
  pictures.folder.write("Web/1024", "not a folder");
  platform::RecordingHostServices host;

  const auto outcome = tesselet::ThumbnailBatch(view, host, 3).Run();

  EXPECT_EQ(outcome.kind, tesselet::BatchOutcome::Kind::kFailed);
  EXPECT_EQ(outcome.failedAt, 1);
  EXPECT_EQ(tesselet_test::Names(web / "2048"), std::vector<std::string>{"a.jpg.jpg"})
      << "the copy written before the failure stays, nothing after it is written";
  EXPECT_FALSE(std::filesystem::exists(web / "240"));
  EXPECT_EQ(tesselet_test::Names(view.settings.thumbnailsFolder),
            std::vector<std::string>{"thumba.jpg"});
  const std::string report = tesselet::BatchReport(outcome);
  EXPECT_TRUE(
      report.starts_with("The web copies of \"a.jpg\" (picture 1 of 5) could not be made.\n") &&
      report.find((web / "1024" / "a.jpg.jpg").string()) != std::string::npos &&
      report.ends_with("\nThe thumbnails and web copies made before it are kept."))
      << report;
}

TEST(ThumbnailBatch, EachPictureTakesTheSettingsOfItsTurnWithAnyNumberOfWorkers) {
  PictureFolder pictures;
  const PictureFolder otherPictures(1);  // the same names, other colours and sizes
  enum When { kAfterTheFirst, kBeforeTheBatch };
  using Change = std::function<void(SettingsView&)>;
  // Thumbnails into the image folder itself, which already holds an old
  // thumbnail of the first picture: the batch replaces it before its turn.
  // The copies keep their times, which thumbnails record, so every run's
  // copies make the same files.
  const auto copy = [](const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::copy_file(from, to);
    std::filesystem::last_write_time(to, std::filesystem::last_write_time(from));
  };
  const Change intoTheImageFolder = [&](SettingsView& v) {
    for (const std::string& name : pictures.names)
      copy(pictures.folder.path() / name,
           std::filesystem::path(v.settings.thumbnailsFolder) / name);
    copy(otherPictures.folder.path() / "a.jpg",
         std::filesystem::path(v.settings.thumbnailsFolder) / "thumba.jpg");
    v.settings.imageFolder = v.settings.thumbnailsFolder;
    v.entries = {"a.jpg", "thumba.jpg", "b.bmp", "c.jpg"};
  };
  const struct {
    const char* rule;
    When when;
    Change change;
    Change from_start = {};  // the settings before decoding begins
  } rows[] = {
      {"nothing changes", kAfterTheFirst, [](SettingsView&) {}},
      {"a smaller box", kAfterTheFirst, [](SettingsView& v) { v.settings.maxWidthText = "20"; }},
      {"forced onto a system colour", kAfterTheFirst,
       [](SettingsView& v) {
         v.settings.forcedDimensions = true;
         v.settings.backColor = imaging::pixels::SystemColour::kSystemFlag | 13;
       }},
      {"forced onto a plain colour", kAfterTheFirst,
       [](SettingsView& v) {
         v.settings.forcedDimensions = true;
         v.settings.backColor = 0x0000FF;
       }},
      {"forced already, only the colour changes", kAfterTheFirst,
       [](SettingsView& v) { v.settings.backColor = 0x00FF00; },
       [](SettingsView& v) {
         v.settings.forcedDimensions = true;
         v.settings.backColor = 0x0000FF;
       }},
      {"bitmaps instead of JPEGs", kAfterTheFirst,
       [](SettingsView& v) { v.settings.type = ThumbnailType::kBitmap; }},
      {"another image folder", kAfterTheFirst,
       [&](SettingsView& v) { v.settings.imageFolder = otherPictures.folder.path().string(); }},
      {"a width that is not a number", kAfterTheFirst,
       [](SettingsView& v) { v.settings.maxWidthText = "x"; }},
      {"a smaller box after decoding began", kBeforeTheBatch,
       [](SettingsView& v) { v.settings.maxWidthText = "20"; }},
      {"another list after decoding began", kBeforeTheBatch,
       [](SettingsView& v) { std::reverse(v.entries.begin(), v.entries.end()); }},
      {"thumbnails into the image folder: a thumbnail written is a later picture", kBeforeTheBatch,
       [](SettingsView&) {}, intoTheImageFolder},
  };
  std::map<std::string, std::string> unchanged;
  int run = 0;
  for (const auto& row : rows) {
    // One worker's files without the change, two runs with it.
    std::map<std::string, std::string> files[3];
    tesselet::BatchOutcome outcomes[3];
    for (const int k : {0, 1, 2}) {
      const bool changes = k > 0;
      const int workers = k == 2 ? 3 : 1;
      SettingsView view = pictures.View("run" + std::to_string(++run));
      if (row.from_start) row.from_start(view);
      // With three workers the pictures after the first are already
      // decoding with the settings from before the change.
      view.afterPicture = [&](std::int32_t done) {
        if (changes && done == 1 && row.when == kAfterTheFirst) row.change(view);
      };
      platform::RecordingHostServices host;
      tesselet::ThumbnailBatch batch(view, host, workers);
      batch.BeginDecoding();
      if (changes && row.when == kBeforeTheBatch) row.change(view);
      outcomes[k] = batch.Run();
      files[k] = Files(view.settings.thumbnailsFolder);
    }
    EXPECT_EQ(outcomes[2].kind, outcomes[1].kind) << row.rule;
    EXPECT_EQ(outcomes[2].failedAt, outcomes[1].failedAt) << row.rule;
    EXPECT_TRUE(files[2] == files[1])
        << row.rule << ": the same files, byte for byte, as one worker's";
    if (unchanged.empty()) {
      unchanged = files[1];
      EXPECT_EQ(unchanged.size(), pictures.names.size()) << row.rule;
    } else if (row.when == kAfterTheFirst) {
      EXPECT_TRUE(files[1] != files[0]) << row.rule << ": the change shows";
      EXPECT_TRUE(files[1].at("thumba.jpg") == files[0].at("thumba.jpg"))
          << row.rule << ": from the second picture on";
    }
  }
}

namespace {

// Every file under a folder, by its path under it, with its bytes.
std::map<std::string, std::string> FilesUnder(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file())
      files[std::filesystem::relative(entry.path(), folder).string()] =
          TempFolder::read(entry.path());
  }
  return files;
}

// The picture an output file belongs to, by its name: "thumb" and the
// picture's name up to its last dot, or the whole name and ".jpg".
std::string PictureOf(const std::string& output, const std::vector<std::string>& names) {
  const std::string file = std::filesystem::path(output).filename().string();
  for (const std::string& name : names) {
    if (file == name + ".jpg" || file.starts_with("thumb" + name.substr(0, name.rfind('.')) + "."))
      return name;
  }
  return "";
}

}  // namespace

// A batch over outputs made before decodes and writes only the pictures
// whose outputs do not record their present file and settings; what it
// leaves is what a batch from nothing makes, byte for byte.
TEST(ThumbnailBatch, ARebuildRemakesExactlyWhatChangedAndEqualsABuildFromNothing) {
  using Change = std::function<void(PictureFolder&, SettingsView&)>;
  const auto thumbnail = [](const SettingsView& v, const std::string& name) {
    return std::filesystem::path(v.settings.thumbnailsFolder) / name;
  };
  const std::set<std::string> all = {"a.jpg", "b.bmp", "c.jpg", "d.gif", "e.jpg"};
  const struct {
    const char* rule;
    bool web;       // web copies made in both builds
    Change before;  // the settings of both builds
    Change change;  // between the builds
    std::set<std::string> remade;
    const char* leftAlone = nullptr;  // an output whose picture is gone
  } rows[] = {
      {"nothing changed", true, {}, [](PictureFolder&, SettingsView&) {}, {}},
      {"a photo replaced by another of the same name",
       false,
       {},
       [](PictureFolder& p, SettingsView&) { WritePicture(p.folder, "c.jpg", 70, 50, Qt::cyan); },
       {"c.jpg"}},
      {"a photo's time moved by one nanosecond",
       true,
       {},
       [](PictureFolder& p, SettingsView&) {
         struct stat info {};
         const std::string path = (p.folder.path() / "e.jpg").string();
         ASSERT_EQ(::stat(path.c_str(), &info), 0);
         timespec times[2] = {info.st_atim, info.st_mtim};
         times[1].tv_nsec = (times[1].tv_nsec + 1) % 1'000'000'000;
         ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
       },
       {"e.jpg"}},
      {"another box",
       true,
       {},
       [](PictureFolder&, SettingsView& v) { v.settings.maxHeightText = "40"; },
       all},
      {"filling the box",
       false,
       {},
       [](PictureFolder&, SettingsView& v) { v.settings.forcedDimensions = true; },
       all},
      {"another colour around a filled box", false,
       [](PictureFolder&, SettingsView& v) { v.settings.forcedDimensions = true; },
       [](PictureFolder&, SettingsView& v) { v.settings.backColor = 0x00FF00; }, all},
      {"web copies asked for",
       false,
       {},
       [](PictureFolder& p, SettingsView&) {
         std::filesystem::create_directory(p.folder.path() / "Web");
       },
       all},
      {"BMP thumbnails, which record nothing", false,
       [](PictureFolder&, SettingsView& v) { v.settings.type = ThumbnailType::kBitmap; },
       [](PictureFolder&, SettingsView&) {}, all},
      {"a thumbnail removed",
       true,
       {},
       [&](PictureFolder&, SettingsView& v) {
         std::filesystem::remove(thumbnail(v, "thumbc.jpg"));
       },
       {"c.jpg"}},
      {"a web copy removed",
       true,
       {},
       [](PictureFolder& p, SettingsView&) {
         std::filesystem::remove(p.folder.path() / "Web/1024/d.gif.jpg");
       },
       {"d.gif"}},
      {"a thumbnail cut short",
       false,
       {},
       [&](PictureFolder&, SettingsView& v) {
         const std::string bytes = TempFolder::read(thumbnail(v, "thumba.jpg"));
         TempFolder::write_to(thumbnail(v, "thumba.jpg"), bytes.substr(0, bytes.size() - 40));
       },
       {"a.jpg"}},
      {"a thumbnail from elsewhere, with no record",
       false,
       {},
       [&](PictureFolder& p, SettingsView& v) {
         std::filesystem::remove(thumbnail(v, "thumbe.jpg"));
         std::filesystem::copy_file(p.folder.path() / "e.jpg", thumbnail(v, "thumbe.jpg"));
       },
       {"e.jpg"}},
      {"another picture's thumbnail under its name",
       false,
       {},
       [&](PictureFolder&, SettingsView& v) {
         std::filesystem::remove(thumbnail(v, "thumbc.jpg"));
         std::filesystem::copy_file(thumbnail(v, "thumbe.jpg"), thumbnail(v, "thumbc.jpg"));
       },
       {"c.jpg"}},
      {"another picture's web copy under its name",
       true,
       {},
       [&](PictureFolder& p, SettingsView&) {
         const auto web = p.folder.path() / "Web/2048";
         std::filesystem::remove(web / "c.jpg.jpg");
         std::filesystem::copy_file(web / "e.jpg.jpg", web / "c.jpg.jpg");
       },
       {"c.jpg"}},
      {"two pictures sharing a thumbnail's name: the later one's stays, so both are made",
       true,
       [](PictureFolder& p, SettingsView& v) {
         p.folder.write("a.gif", tesselet_test::kTinyGif);
         v.entries.push_back("a.gif");
       },
       [](PictureFolder&, SettingsView&) {},
       {"a.jpg", "a.gif"}},
      {"a photo gone: its outputs stay",
       true,
       {},
       [](PictureFolder& p, SettingsView& v) {
         std::filesystem::remove(p.folder.path() / "e.jpg");
         v.entries.pop_back();
       },
       {},
       "e.jpg"},
  };
  const std::vector<std::string> everyName = {"a.jpg", "b.bmp", "c.jpg", "d.gif", "e.jpg", "a.gif"};
  int run = 0;
  for (const auto& row : rows) {
    for (const int workers : {1, 3}) {
      const std::string why = std::string(row.rule) + ", " + std::to_string(workers) + " workers";
      PictureFolder pictures;
      if (row.web) std::filesystem::create_directory(pictures.folder.path() / "Web");
      SettingsView view = pictures.View("out" + std::to_string(++run));
      if (row.before) row.before(pictures, view);
      platform::RecordingHostServices host;
      tesselet::ThumbnailBatch(view, host, workers).Run();
      row.change(pictures, view);
      // Each output as it was, held by a link of its own so that a file
      // written again cannot take its place unseen.
      const TempFolder held;
      std::map<std::string, std::filesystem::path> before;
      for (const auto& root : {std::filesystem::path(view.settings.thumbnailsFolder),
                               pictures.folder.path() / "Web"}) {
        for (const auto& [name, bytes] : FilesUnder(root)) {
          before[(root / name).string()] = held.path() / std::to_string(before.size());
          std::filesystem::create_hard_link(root / name, before[(root / name).string()]);
        }
      }
      std::mutex mutex;
      std::condition_variable started;
      std::set<std::string> asked, decoded;
      const tesselet::RenderStep render = [&](const tesselet::DecodeSettings& settings,
                                              const std::string& source) {
        const std::string name = std::filesystem::path(source).filename().string();
        {
          // The picture whose thumbnail a later one's shares is made only
          // once that one could have been looked at ahead of its turn.
          std::unique_lock lock(mutex);
          asked.insert(name);
          started.notify_all();
          if (name == "a.jpg" && view.entries.back() == "a.gif")
            started.wait_for(lock, std::chrono::seconds(1),
                             [&] { return asked.contains("a.gif"); });
        }
        tesselet::PictureOutputs outputs = tesselet::RenderOutputs(settings, source);
        std::lock_guard lock(mutex);
        if (!outputs.current) decoded.insert(name);
        return outputs;
      };
      std::int32_t counted = 0;
      view.afterPicture = [&](std::int32_t done) { counted = done; };
      const auto outcome = tesselet::ThumbnailBatch(view, host, workers, render).Run();

      EXPECT_EQ(outcome.kind, tesselet::BatchOutcome::Kind::kCompleted) << why;
      EXPECT_EQ(counted, std::int32_t(view.entries.size())) << why << ": every picture counts";
      EXPECT_EQ(decoded, row.remade) << why << ": decoded";
      std::set<std::string> rewritten;
      for (const auto& [path, link] : before) {
        if (std::filesystem::exists(path) && !std::filesystem::equivalent(path, link))
          rewritten.insert(PictureOf(path, everyName));
      }
      EXPECT_EQ(rewritten, row.remade) << why << ": written again";
      const auto rebuilt = FilesUnder(pictures.folder.path());
      // The same folder built from nothing.
      std::filesystem::remove_all(view.settings.thumbnailsFolder);
      std::filesystem::create_directory(view.settings.thumbnailsFolder);
      if (std::filesystem::exists(pictures.folder.path() / "Web")) {
        std::filesystem::remove_all(pictures.folder.path() / "Web");
        std::filesystem::create_directory(pictures.folder.path() / "Web");
      }
      view.afterPicture = {};
      tesselet::ThumbnailBatch(view, host, workers).Run();
      auto fromNothing = FilesUnder(pictures.folder.path());
      std::size_t gone = 0;
      for (const auto& [path, bytes] : rebuilt) {
        if (row.leftAlone && PictureOf(path, everyName) == row.leftAlone &&
            !fromNothing.contains(path)) {
          fromNothing[path] = bytes;
          ++gone;
        }
      }
      EXPECT_EQ(gone, row.leftAlone ? (row.web ? 4u : 1u) : 0u) << why << ": outputs left alone";
      EXPECT_TRUE(rebuilt == fromNothing) << why << ": the same files, byte for byte";
    }
  }
}

// A picture found current holds nothing while it waits: however many of
// them lie between two pictures to decode, the second is decoded while the
// first still is.
TEST(DecodeAhead, PicturesFoundCurrentDoNotCountAgainstHowFarItLooksAhead) {
  std::mutex mutex;
  std::condition_variable started;
  bool lastStarted = false;
  const tesselet::RenderStep render = [&](const tesselet::DecodeSettings&,
                                          const std::string& source) {
    tesselet::PictureOutputs outputs;
    std::unique_lock lock(mutex);
    if (source.ends_with("/p0.jpg")) {
      started.wait_for(lock, std::chrono::seconds(10), [&] { return lastStarted; });
    } else if (source.ends_with("/p199.jpg")) {
      lastStarted = true;
      started.notify_all();
    } else {
      outputs.current = true;
    }
    return outputs;
  };
  tesselet::DecodeSettings settings;
  settings.imageFolder = "/pictures";
  std::vector<std::string> entries;
  for (int k = 0; k < 200; ++k) entries.push_back("p" + std::to_string(k) + ".jpg");
  tesselet::DecodeAhead decoding(2, render);
  decoding.Start(entries, settings);
  decoding.Take(0, settings);
  std::lock_guard lock(mutex);
  EXPECT_TRUE(lastStarted);
}

// Counted as renders started minus pictures asked for: however fast the
// workers, they wait once that many are decoding or done and not taken.
// Finished pictures wait in the memory pool's reserve; the one asked for is
// handed over even when the reserve has no room for it.
TEST(DecodeAhead, HoldsNoMorePicturesThanItsBoundAndLooksThatFarAhead) {
  const struct {
    const char* rule;
    std::int64_t pictureBytes;
    int workers;
    std::size_t bound;
  } rows[] = {
      {"small pictures: one a worker and 64 waiting", 4, 3, 3 + 64},
      {"large ones: one a worker and what the reserve holds", 200'000, 2, 2 + 5},
      {"one larger than the reserve: one a worker", 2'000'000, 2, 2},
  };
  for (const auto& row : rows) {
    imaging::reading::MemoryPool pool(std::int64_t{2} << 20, std::int64_t{1} << 20);
    std::mutex mutex;
    std::condition_variable started;
    std::size_t renders = 0, asked = 0, most = 0;
    const tesselet::RenderStep render = [&](const tesselet::DecodeSettings&, const std::string&) {
      std::lock_guard lock(mutex);
      most = std::max(most, ++renders - asked);
      started.notify_all();
      tesselet::PictureOutputs outputs;
      outputs.webCopies = {std::string(std::size_t(row.pictureBytes), 'x')};
      return outputs;
    };
    tesselet::DecodeSettings settings;
    settings.imageFolder = "/pictures";
    std::vector<std::string> entries;
    for (int k = 0; k < 200; ++k) entries.push_back("p" + std::to_string(k) + ".jpg");
    tesselet::DecodeAhead decoding(row.workers, render, pool);
    decoding.Start(entries, settings);
    {
      // Before anything is taken the workers run as far as they may.
      std::unique_lock lock(mutex);
      started.wait_for(lock, std::chrono::minutes(1), [&] { return renders >= row.bound; });
    }
    for (std::size_t k = 0; k < entries.size(); ++k) {
      {
        std::lock_guard lock(mutex);
        asked = k + 1;
      }
      EXPECT_EQ(decoding.Take(k, settings).Bytes(), row.pictureBytes) << row.rule;
    }
    EXPECT_EQ(most, row.bound) << row.rule;
    EXPECT_EQ(renders, entries.size()) << row.rule << ": each picture decoded once";
    EXPECT_EQ(pool.Held(), 0) << row.rule << ": every share given back";
  }
}

// The first picture's load needs more of the pool than is free beside a
// later picture finished ahead of it. Were finished pictures held in the
// loads' part of the pool, that load would wait for memory only taking the
// first picture could free, and the batch would hang here (until the test's
// time limit ends it).
TEST(DecodeAhead, ALoadNeverWaitsForFinishedPicturesLaterInTheList) {
  imaging::reading::MemoryPool pool(100 + 60, 60);  // 100 bytes for loads, 60 for finished pictures
  const tesselet::RenderStep render = [&](const tesselet::DecodeSettings&,
                                          const std::string& source) {
    if (source.ends_with("/p0.jpg")) {
      // Waits until the second picture, finished, holds its 50 bytes.
      while (pool.Held() < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    { const imaging::reading::MemoryPool::Share load = pool.Take(60); }
    tesselet::PictureOutputs outputs;
    outputs.webCopies = {std::string(50, 'x')};
    return outputs;
  };
  tesselet::DecodeSettings settings;
  settings.imageFolder = "/pictures";
  const std::vector<std::string> entries = {"p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg"};
  tesselet::DecodeAhead decoding(2, render, pool);
  decoding.Start(entries, settings);
  for (std::size_t k = 0; k < entries.size(); ++k)
    EXPECT_EQ(decoding.Take(k, settings).Bytes(), 50) << "picture " << k;
  EXPECT_EQ(pool.Held(), 0) << "every share given back";
}

TEST(WorkerCount, TheVariableWhenAWholeNumberInRangeElseOnePerCore) {
  const struct {
    const char* text;
    unsigned cores;
    int workers;
  } rows[] = {
      {nullptr, 8, 8},
      {"1", 8, 1},
      {"3", 2, 3},
      {"64", 2, 64},
      {"65", 2, 2},
      {"0", 2, 2},
      {"-2", 2, 2},
      {"2x", 2, 2},
      {" 2", 4, 4},
      {"", 4, 4},
      {"99999999999", 4, 4},
      {nullptr, 0, 1},
      {nullptr, 500, tesselet::kMaxWorkers},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(tesselet::WorkerCountFrom(row.text, row.cores), row.workers)
        << (row.text ? row.text : "(not set)") << " with " << row.cores << " cores";
  }
}
