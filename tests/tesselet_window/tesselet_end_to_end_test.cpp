#include <QProcess>
#include <QProcessEnvironment>

#include "tesselet/batch/ImageListing.h"
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
// as a script or a server would, and waits for it to end by itself.
Finished RunTesselet(const QStringList& arguments, const std::filesystem::path& workingFolder) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(name);
  process.setProcessEnvironment(environment);
  process.setWorkingDirectory(QString::fromStdString(workingFolder.string()));
  process.start(TESSELET_EXECUTABLE, arguments);
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
    return {-1, "did not end by itself"};
  return {process.exitCode(), process.readAllStandardError().toStdString()};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
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
  const struct {
    const char* rule;
    QStringList arguments;
    const char* message;
  } rows[] = {
      {"no argument", {}, "Tesselet: This application requires Orvale to Run"},
      {"no ThumbNails folder",
       {QString::fromStdString(photos.withSlash())},
       "Bad directory: The destination path specified for the thumbnails is not valid."},
      {"no trailing slash: the thumbnails folder is a sibling's name",
       {QString::fromStdString(photos.path().string())},
       "Bad directory: "},
  };
  for (const auto& row : rows) {
    const Finished run = RunTesselet(row.arguments, photos.path());
    EXPECT_EQ(run.status, 2) << row.rule;
    EXPECT_TRUE(Contains(run.errors, row.message)) << row.rule << ": " << run.errors;
    EXPECT_EQ(Names(photos.path()), std::vector<std::string>{"a.jpg"}) << row.rule;
  }
}

TEST(TesseletEndToEnd, DamagedPictureEndsTheRunKeepingEarlierThumbnails) {
  TempFolder photos;
  for (const char* name : {"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"})
    WritePicture(photos, name, 80, 60);
  std::filesystem::create_directory(photos.path() / "ThumbNails");
  // The file system decides the order; the middle one is damaged.
  const std::vector<std::string> order = tesselet::ListImageFiles(photos.path().string());
  ASSERT_EQ(order.size(), 5u);
  photos.write(order[2], "\xFF\xD8\xFF\xE0 not the rest of a JPEG");

  const Finished run = RunTesselet({QString::fromStdString(photos.withSlash())}, photos.path());

  EXPECT_EQ(run.status, 1) << run.errors;
  EXPECT_TRUE(Contains(run.errors, "The thumbnail of \"" + order[2] + "\" (picture 3 of 5)"))
      << run.errors;
  EXPECT_TRUE(Contains(run.errors, order[2] + " ("))
      << "the error's own description: " << run.errors;
  std::vector<std::string> kept = {"thumb" + order[0].substr(0, 2) + ".jpg",
                                   "thumb" + order[1].substr(0, 2) + ".jpg"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(Names(photos.path() / "ThumbNails"), kept)
      << "the thumbnails before it stay, none after it, no temporary file";
}
