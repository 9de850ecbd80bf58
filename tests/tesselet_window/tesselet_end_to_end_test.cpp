#include <QColor>
#include <QStringList>
#include <cstdlib>
#include <map>

#include "tests/imaging/PictureEncoders.h"
#include "tests/support/TestVideos.h"
#include "tests/support/UnattendedRun.h"
#include "tests/tesselet_window/TesseletTestSupport.h"

namespace {

using tesselet_test::Names;
using tesselet_test::PictureSize;
using tesselet_test::WritePicture;

struct Finished {
  int status;
  std::string errors;
};

// Runs the real thumbnail maker with these arguments and no display at all,
// as a script or a server would, unless the variables name one, and waits
// for it to end by itself.
Finished RunTesselet(const QStringList& arguments, const std::filesystem::path& workingFolder,
                     const std::vector<std::pair<QString, QString>>& variables = {}) {
  unattended_run::Options options{.workingFolder = workingFolder};
  for (const auto& [name, value] : variables)
    options.variables.emplace_back(name.toStdString(), value.toStdString());
  std::vector<std::string> command{TESSELET_EXECUTABLE};
  for (const QString& argument : arguments) command.push_back(argument.toStdString());
  const TempFolder scratch;
  const auto errorsFile = scratch.path() / "errors";
  const unattended_run::Outcome run = unattended_run::Finish(
      unattended_run::Start(command, errorsFile, options), std::chrono::seconds(120));
  if (!run.ended || run.signal != 0) return {-1, "did not end by itself"};
  return {run.status, TempFolder::read(errorsFile)};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

}  // namespace

TEST(TesseletEndToEnd, MakesEveryThumbnailAndEndsWithStatusZero) {
  TempFolder parent;
  TempFolder& photos = parent;
  WritePicture(photos, "My Photos/Beach.JPG", 640, 480);
  WritePicture(photos, "My Photos/scan.bmp", 40, 30);
  photos.write("My Photos/anim.gif", tesselet_test::kTinyGif);
  photos.write("My Photos/notes.txt", "not a picture");
  std::filesystem::create_directory(photos.path() / "My Photos/ThumbNails");
  const std::string folder = (photos.path() / "My Photos").string() + "/";

  // The blank in the folder's name splits it in two on the command line.
  const auto at = folder.rfind(' ');
  const Finished run = RunTesselet(
      {QString::fromStdString(folder.substr(0, at)), QString::fromStdString(folder.substr(at + 1))},
      parent.path());

  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_FALSE(Contains(run.errors, "Tesselet:")) << run.errors;
  const auto thumbs = photos.path() / "My Photos/ThumbNails";
  EXPECT_EQ(Names(thumbs),
            (std::vector<std::string>{"thumbBeach.jpg", "thumbanim.jpg", "thumbscan.jpg"}))
      << "one thumbnail a picture, nothing else left behind";
  EXPECT_EQ(PictureSize(thumbs / "thumbBeach.jpg"), std::make_pair(50, 38));
  EXPECT_EQ(PictureSize(thumbs / "thumbscan.jpg"), std::make_pair(40, 30));
  EXPECT_EQ(PictureSize(thumbs / "thumbanim.jpg"), std::make_pair(1, 1));
}

TEST(TesseletEndToEnd, RefusalsSayWhyWriteNothingAndExitWithTwo) {
  TempFolder photos;
  WritePicture(photos, "a.jpg", 10, 10);
  // Displays named where nothing listens: the run goes off screen, its
  // messages to standard error, instead of aborting or waiting for a click.
  const std::vector<std::pair<QString, QString>> unreachableX = {{"DISPLAY", ":65000"}};
  const std::vector<std::pair<QString, QString>> staleWayland = {
      {"WAYLAND_DISPLAY", "orvale-test-stale"}};
  const struct {
    const char* rule;
    QStringList arguments;
    const char* message;
    std::vector<std::pair<QString, QString>> variables = {};
  } rows[] = {
      {"no argument", {}, "Tesselet: This application requires Orvale to Run"},
      {"the word for every kind and no folder after it",
       {"--all-media", ""},
       "Tesselet: This application requires Orvale to Run"},
      {"the word alone is a folder's name", {"--all-media"}, "Bad directory: "},
      {"no ThumbNails folder",
       {QString::fromStdString(photos.withSlash())},
       "Bad directory: The destination path specified for the thumbnails is not valid."},
      {"no trailing slash: the thumbnails folder is a sibling's name",
       {QString::fromStdString(photos.path().string())},
       "Bad directory: "},
      {"an X display that cannot be reached",
       {QString::fromStdString(photos.withSlash())},
       "Bad directory: ",
       unreachableX},
      {"a stale Wayland display",
       {QString::fromStdString(photos.withSlash())},
       "Bad directory: ",
       staleWayland},
  };
  for (const auto& row : rows) {
    const Finished run = RunTesselet(row.arguments, photos.path(), row.variables);
    EXPECT_EQ(run.status, 2) << row.rule;
    EXPECT_TRUE(Contains(run.errors, row.message)) << row.rule << ": " << run.errors;
    EXPECT_EQ(Names(photos.path()), std::vector<std::string>{"a.jpg"}) << row.rule;
  }
}

TEST(TesseletEndToEnd, UnreadablePicturesAreNamedOnceAndTheOthersAllGetTheirThumbnails) {
  enum Kind { kGood, kUnreadable, kNotAPicture };
  const struct {
    const char* name;
    std::string bytes;  // empty with kGood: a JPEG or BMP picture is written
    Kind kind;
    const char* thumbnail;
  } rows[] = {
      {"2023-08-14 12.30.05.jpg", "", kGood, "thumb2023-08-14 12.30.05.jpg"},
      {"2023-08-14 12.31.10.jpg", "", kGood, "thumb2023-08-14 12.31.10.jpg"},
      {"family party.jpeg", "", kGood, "thumbfamily party.jpg"},
      {"old scan.JPE", "", kGood, "thumbold scan.jpg"},
      {"Beach.bmp", "", kGood, "thumbBeach.jpg"},
      {"anim.gif", tesselet_test::kTinyGif, kGood, "thumbanim.jpg"},
      {"empty.jpg", "", kUnreadable, nullptr},
      {"damaged.jpg", "\xFF\xD8\xFF\xE0 not the rest of a JPEG", kUnreadable, nullptr},
      {"x.jpg", "", kNotAPicture, nullptr},  // a folder
      {"notes.txt", "not a picture", kNotAPicture, nullptr},
  };
  TempFolder photos;
  std::vector<std::string> expected;
  for (const auto& row : rows) {
    if (row.kind == kGood && row.bytes.empty()) WritePicture(photos, row.name, 80, 60);
    if (row.kind == kNotAPicture && row.bytes.empty())
      std::filesystem::create_directory(photos.path() / row.name);
    else if (row.kind != kGood || !row.bytes.empty())
      photos.write(row.name, row.bytes);
    if (row.thumbnail) expected.push_back(row.thumbnail);
  }
  std::sort(expected.begin(), expected.end());
  // Web copies: the picture's whole name and ".jpg", in a folder for each size.
  std::vector<std::string> expectedCopies;
  for (const auto& row : rows)
    if (row.kind == kGood) expectedCopies.push_back(std::string(row.name) + ".jpg");
  std::sort(expectedCopies.begin(), expectedCopies.end());
  const struct {
    const char* rule;
    bool thumbnails, webCopies;
    const char* skipped;  // how the report names what a skipped picture lacks
    const char* others;
  } setups[] = {
      {"thumbnails", true, false, "they have no thumbnails:\n", "have their thumbnails."},
      {"thumbnails and web copies", true, true, "they have no thumbnails and no web copies:\n",
       "have their thumbnails and web copies."},
      {"web copies alone", false, true, "they have no web copies:\n", "have their web copies."},
  };
  const auto thumbs = photos.path() / "ThumbNails";
  const auto web = photos.path() / "Web";
  const TempFolder results;
  for (const auto& setup : setups) {
    std::string reports[2];
    std::map<std::string, std::string> files[2];
    for (const int workers : {1, 3}) {
      std::filesystem::remove_all(thumbs);
      std::filesystem::remove_all(web);
      if (setup.thumbnails) std::filesystem::create_directory(thumbs);
      if (setup.webCopies) std::filesystem::create_directory(web);
      const auto errorsFile = results.path() / "errors";
      const pid_t child =
          unattended_run::Start({TESSELET_EXECUTABLE, photos.withSlash()}, errorsFile,
                                {{{"TESSELET_WORKERS", std::to_string(workers)}}});
      ASSERT_GT(child, 0);
      const unattended_run::Outcome run = unattended_run::Finish(child);
      const std::string errors = TempFolder::read(errorsFile);
      const std::string why =
          std::string(setup.rule) + ", " + std::to_string(workers) + " workers: " + errors;
      ASSERT_TRUE(run.ended) << why;
      EXPECT_EQ(run.status, 1) << why;
      EXPECT_TRUE(Contains(
          errors, std::string("Tesselet: 2 of 8 pictures could not be read; ") + setup.skipped))
          << why;
      EXPECT_TRUE(Contains(errors, std::string("\nThe other 6 ") + setup.others)) << why;
      EXPECT_FALSE(Contains(errors, "Bad directory")) << why;
      for (const auto& row : rows) {
        const std::size_t named = Occurrences(errors, "\"" + std::string(row.name) + "\"");
        EXPECT_EQ(named, row.kind == kUnreadable ? 1u : 0u) << row.name << ", " << why;
      }
      EXPECT_EQ(std::filesystem::exists(thumbs), setup.thumbnails) << why;
      if (setup.thumbnails) {
        EXPECT_EQ(Names(thumbs), expected)
            << "every readable picture has its own thumbnail; " << why;
      }
      const std::vector<std::string> sides = {"1024", "2048", "240"};
      EXPECT_EQ(Names(web), setup.webCopies ? sides : std::vector<std::string>{}) << why;
      if (setup.webCopies) {
        for (const std::string& side : sides)
          EXPECT_EQ(Names(web / side), expectedCopies) << side << ", " << why;
        EXPECT_EQ(PictureSize(web / "240" / "Beach.bmp.jpg"), std::make_pair(80, 60))
            << "never enlarged; " << why;
      }
      const int k = workers == 1 ? 0 : 1;
      reports[k] = errors;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(photos.path())) {
        if (entry.is_regular_file())
          files[k][entry.path().string()] = TempFolder::read(entry.path());
      }
    }
    EXPECT_EQ(reports[1], reports[0])
        << setup.rule << ": the same report, in list order, for any number of workers";
    EXPECT_TRUE(files[1] == files[0])
        << setup.rule << ": the same thumbnails and copies, byte for byte";
  }
}

namespace {

// The colour of a picture file at (x, y), or black when it cannot be read.
QColor ColourAt(const std::filesystem::path& path, int x, int y) {
  const QImage image(QString::fromStdString(path.string()));
  return image.isNull() ? QColor(Qt::black) : image.pixelColor(x, y);
}

// Whether two colours agree within what JPEG and YUV coding change.
bool Near(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 24 && std::abs(a.green() - b.green()) <= 24 &&
         std::abs(a.blue() - b.blue()) <= 24;
}

std::string Text(const QColor& colour) { return colour.name().toStdString(); }

std::map<std::string, std::filesystem::file_time_type> OutputTimes(
    const std::filesystem::path& folder) {
  std::map<std::string, std::filesystem::file_time_type> times;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) times[entry.path().string()] = entry.last_write_time();
  }
  return times;
}

}  // namespace

TEST(TesseletEndToEnd, PhotosAndVideosOfEveryKindOnlyWhenAskedUprightAndMadeOnce) {
  TempFolder photos;
  const TempFolder scratch;
  WritePicture(photos, "a.jpg", 80, 60);
  // Transparent on its right half.
  QImage alpha(80, 60, QImage::Format_ARGB32);
  alpha.fill(Qt::transparent);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 40; ++x) alpha.setPixelColor(x, y, Qt::red);
  ASSERT_TRUE(alpha.save(QString::fromStdString((photos.path() / "alpha.png").string())));
  const auto solid = [](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return test_pictures::Make(64, 48, [=](int, int) { return test_pictures::Rgb{r, g, b}; });
  };
  photos.write("p.webp", test_pictures::EncodeWebP(solid(0, 0, 255)));
  photos.write("h.HEIC", test_pictures::EncodeHeic(solid(0, 255, 0)));
  // Green for its first second, then red above blue; turned a quarter.
  test_videos::Concatenated(scratch.path() / "upright.mp4", "color=c=green:s=320x240:r=25:d=1",
                            test_videos::Halves("red", "blue", 320, 240, 1), "libx264");
  test_videos::Rotated(scratch.path() / "upright.mp4", photos.path() / "turned.mp4", 90);
  test_videos::Concatenated(photos.path() / "clip.webm", "color=c=green:s=96x64:r=25:d=1",
                            "color=c=blue:s=96x64:r=25:d=1", "libvpx-vp9");
  // A video named as a picture is read as one only when videos are asked for.
  photos.write("moving.jpg", TempFolder::read(photos.path() / "clip.webm"));
  // What ffmpeg itself shows at 1 second, turned as its players turn it.
  test_videos::Ffmpeg("-ss 1 -i \"" + (photos.path() / "turned.mp4").string() +
                      "\" -frames:v 1 \"" + (scratch.path() / "shown.png").string() + "\"");
  const auto thumbs = photos.path() / "ThumbNails";
  const auto web = photos.path() / "Web";
  std::filesystem::create_directory(thumbs);
  std::filesystem::create_directory(web);

  const Finished pictures = RunTesselet({QString::fromStdString(photos.withSlash())}, {});
  EXPECT_EQ(pictures.status, 1) << pictures.errors;
  EXPECT_TRUE(Contains(pictures.errors, "moving.jpg (the file is not a JPEG"))
      << "a video is not read without the word: " << pictures.errors;
  EXPECT_EQ(Names(thumbs), std::vector<std::string>{"thumba.jpg"})
      << "without the word, today's pictures alone";
  EXPECT_EQ(Names(web / "2048"), std::vector<std::string>{"a.jpg.jpg"});

  const Finished every =
      RunTesselet({"--all-media", QString::fromStdString(photos.withSlash())}, {});
  EXPECT_EQ(every.status, 0) << every.errors;
  EXPECT_EQ(Names(thumbs),
            (std::vector<std::string>{"thumba.jpg", "thumbalpha.jpg", "thumbclip.jpg", "thumbh.jpg",
                                      "thumbmoving.jpg", "thumbp.jpg", "thumbturned.jpg"}));
  for (const char* side : {"240", "1024", "2048"}) {
    EXPECT_EQ(Names(web / side),
              (std::vector<std::string>{"a.jpg.jpg", "alpha.png.jpg", "clip.webm.jpg", "h.HEIC.jpg",
                                        "moving.jpg.jpg", "p.webp.jpg", "turned.mp4.jpg"}))
        << side;
  }
  const auto copy = [&](const char* name) { return web / "2048" / name; };
  const struct {
    const char* rule;
    std::filesystem::path file;
    std::pair<int, int> size;
    std::pair<int, int> at;
    QColor colour;
  } rows[] = {
      {"transparency on white", copy("alpha.png.jpg"), {80, 60}, {70, 30}, Qt::white},
      {"the opaque part as it is", copy("alpha.png.jpg"), {80, 60}, {10, 30}, Qt::red},
      {"WebP", copy("p.webp.jpg"), {64, 48}, {32, 24}, Qt::blue},
      {"HEIC", copy("h.HEIC.jpg"), {64, 48}, {32, 24}, Qt::green},
      {"WebM: the frame at 1 s", copy("clip.webm.jpg"), {96, 64}, {48, 32}, Qt::blue},
      {"a turned video stands upright",
       copy("turned.mp4.jpg"),
       {240, 320},
       {20, 160},
       ColourAt(scratch.path() / "shown.png", 20, 160)},
      {"... on the side ffmpeg shows",
       copy("turned.mp4.jpg"),
       {240, 320},
       {220, 160},
       ColourAt(scratch.path() / "shown.png", 220, 160)},
      {"its thumbnail too",
       thumbs / "thumbturned.jpg",
       {37, 50},
       {3, 25},
       ColourAt(scratch.path() / "shown.png", 20, 160)},
  };
  EXPECT_FALSE(Near(ColourAt(scratch.path() / "shown.png", 20, 160),
                    ColourAt(scratch.path() / "shown.png", 220, 160)))
      << "the turned video's two sides differ";
  for (const auto& row : rows) {
    EXPECT_EQ(PictureSize(row.file), row.size) << row.rule;
    const QColor seen = ColourAt(row.file, row.at.first, row.at.second);
    EXPECT_TRUE(Near(seen, row.colour))
        << row.rule << ": " << Text(seen) << " where " << Text(row.colour) << " was due";
  }

  const auto before = OutputTimes(photos.path());
  const Finished again =
      RunTesselet({"--all-media", QString::fromStdString(photos.withSlash())}, {});
  EXPECT_EQ(again.status, 0) << again.errors;
  EXPECT_TRUE(OutputTimes(photos.path()) == before)
      << "the records of the first run let the second make nothing again";
}
