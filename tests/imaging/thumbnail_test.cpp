#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPalette>

#include "imaging/pixels/AreaAverageStretch.h"
#include "imaging/reading/PictureLoader.h"
#include "imaging/thumbnail/ThumbnailLayout.h"
#include "imaging/thumbnail/cThumbnail.h"
#include "platform/RunTimeError.h"
#include "tests/imaging/PictureEncoders.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/ExpectRunTimeError.h"
#include "tests/support/TempFolder.h"

using namespace imaging::pixels;
using namespace imaging::reading;
using namespace imaging::thumbnail;

namespace {

using namespace test_pictures;

struct Size {
  int width, height;
  bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& size) {
  return out << size.width << " x " << size.height;
}

Size JpegSize(const std::filesystem::path& file) {
  const std::string bytes = TempFolder::read(file);
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      &width, &height, &subsampling, &colourspace);
  tjDestroy(handle);
  return {width, height};
}

// The thumbnail a cThumbnail renders from a file, before it is written, the
// way CreateFromFile loads it.
std::unique_ptr<DibBitmap> Render(const cThumbnail& thumbnail, const std::filesystem::path& file) {
  PictureLoader loader(file.string());
  const auto layout = ThumbnailLayout::Compute(loader.Width(), loader.Height(),
                                               thumbnail.MaxWidth(), thumbnail.MaxHeight(), false);
  return thumbnail.RenderCanvas(loader.Load(8 * layout.Width, 8 * layout.Height));
}

TEST(cThumbnail, StartsWithA50By50WhiteUnforcedBoxAndNoPath) {
  const cThumbnail thumbnail;
  EXPECT_EQ(thumbnail.MaxWidth(), 50);
  EXPECT_EQ(thumbnail.MaxHeight(), 50);
  EXPECT_EQ(thumbnail.BackColor(), 0xFFFFFFu);
  EXPECT_FALSE(thumbnail.ForcedDimensions());
  EXPECT_EQ(thumbnail.DestFilePath(), "");
}

TEST(cThumbnail, WritesJpegThumbnailsOfTheFittedSize) {
  TempFolder folder;
  struct Case {
    int width, height;
    bool forced;
    Size expected;
  };
  const Case cases[] = {
      {640, 480, false, {50, 38}}, {480, 640, false, {37, 50}}, {100, 73, false, {50, 36}},
      {40, 30, false, {40, 30}},   {50, 20, false, {50, 20}},   {1000, 5, false, {50, 1}},
      {480, 640, true, {50, 50}},  {40, 30, true, {50, 50}},
  };
  int row = 0;
  for (const Case& c : cases) {
    // A file of its own for each row, so no row can pass on what the one
    // before it wrote.
    const std::string name = "thumb" + std::to_string(++row) + ".jpg";
    const auto source =
        folder.write("source.jpg", EncodeJpeg(Photo(c.width, c.height), 90, TJSAMP_420));
    cThumbnail thumbnail;
    thumbnail.ForcedDimensions(c.forced);
    thumbnail.DestFilePath((folder.path() / name).string());
    thumbnail.CreateFromFile(source.string());
    EXPECT_EQ(JpegSize(folder.path() / name), c.expected)
        << c.width << " x " << c.height << (c.forced ? " forced" : "");
  }
}

TEST(cThumbnail, APictureThatFitsIsCopiedPixelForPixel) {
  TempFolder folder;
  const auto source = folder.write("small.jpg", EncodeJpeg(Photo(40, 30)));
  const StdPicture picture = PictureLoader::LoadPicture(source.string());
  const cThumbnail thumbnail;
  const auto canvas = thumbnail.RenderCanvas(picture);
  ASSERT_EQ(canvas->Width(), 40);
  ASSERT_EQ(canvas->Height(), 30);
  EXPECT_EQ(MaxDifference(*canvas, *picture.Bitmap()), 0);
}

TEST(cThumbnail, PicturesOfTheOtherFormatsGiveThumbnailsOfTheirColours) {
  TempFolder folder;
  const Picture flat = Make(640, 480, [](int, int) { return Rgb{200, 90, 30}; });
  const struct {
    const char* rule;
    std::filesystem::path file;
  } rows[] = {
      {"PNG", folder.write("p.png", EncodePng(flat))},
      {"WebP", folder.write("p.webp", EncodeWebP(flat, 80))},
      {"HEIC", folder.write("p.heic", EncodeHeic(flat, 80))},
  };
  for (const auto& row : rows) {
    const auto written = folder.path() / (std::string("thumb-") + row.rule + ".bmp");
    cThumbnail thumbnail;
    thumbnail.DestFilePath(written.string());
    thumbnail.CreateFromFile(row.file.string());
    const QImage image(QString::fromStdString(written.string()));
    ASSERT_EQ(image.size(), QSize(50, 38)) << row.rule;
    const QRgb centre = image.pixel(25, 19);
    EXPECT_NEAR(qRed(centre), 200, 3) << row.rule;
    EXPECT_NEAR(qGreen(centre), 90, 3) << row.rule;
    EXPECT_NEAR(qBlue(centre), 30, 3) << row.rule;
  }
}

TEST(cThumbnail, ForcedThumbnailCentresThePictureOnTheBackgroundColour) {
  TempFolder folder;
  // A mid grey picture, so that no picture pixel can pass for the background.
  const auto source = folder.write("tall.jpg", EncodeJpeg(Make(480, 640, [](int, int) {
                                     return Rgb{128, 128, 128};
                                   })));
  // The thumbnail maker always runs as a graphical application (offscreen
  // without a display), so the desktop's palette is there to read.
  int argc = 1;
  char name[] = "thumbnail_test";
  char* argv[] = {name, nullptr};
  const QGuiApplication application(argc, argv);
  const QColor face = QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
  struct Case {
    const char* rule;
    std::uint32_t backColor;
    Rgb expected;
  };
  const Case cases[] = {
      {"a plain colour is 0x00BBGGRR", 0x00336699, {0x99, 0x66, 0x33}},
      {"a system colour takes the palette's colour",
       0x8000000F,
       {face.red(), face.green(), face.blue()}},
  };
  for (const Case& c : cases) {
    cThumbnail thumbnail;
    thumbnail.ForcedDimensions(true);
    thumbnail.BackColor(c.backColor);
    thumbnail.DestFilePath((folder.path() / "thumb.bmp").string());
    thumbnail.CreateFromFile(source.string());
    const QImage written(QString::fromStdString((folder.path() / "thumb.bmp").string()));
    ASSERT_EQ(written.size(), QSize(50, 50)) << c.rule;
    // 37 x 50 at x0 = 6: columns 0 to 5 and 43 to 49 are background.
    for (int x : {0, 5, 43, 49}) {
      const QRgb pixel = written.pixel(x, 25);
      EXPECT_EQ((std::array{qRed(pixel), qGreen(pixel), qBlue(pixel)}),
                (std::array{c.expected.red, c.expected.green, c.expected.blue}))
          << c.rule << ", column " << x;
    }
    for (int x : {6, 25, 42}) {
      EXPECT_NEAR(qGreen(written.pixel(x, 0)), 128, 2) << c.rule << ": the picture at column " << x;
      EXPECT_NEAR(qGreen(written.pixel(x, 49)), 128, 2)
          << c.rule << ": the picture at column " << x;
    }
  }
}

TEST(cThumbnail, TheLastThreeLettersOfThePathChooseTheFile) {
  TempFolder folder;
  const auto source = folder.write("p.jpg", EncodeJpeg(Photo(80, 60)));
  struct Case {
    const char* name;
    const char* starts;  // the file's first bytes, or nullptr for no file
  };
  const Case cases[] = {
      {"a.jpg", "\xFF\xD8"}, {"b.JPG", "\xFF\xD8"}, {"c.bmp", "BM"}, {"d.BmP", "BM"},
      {"e.jpeg", nullptr},   {"f.png", nullptr},    {"g", nullptr},  {"xjpg", "\xFF\xD8"},
  };
  for (const Case& c : cases) {
    cThumbnail thumbnail;
    thumbnail.DestFilePath((folder.path() / c.name).string());
    thumbnail.CreateFromFile(source.string());
    const bool written = std::filesystem::exists(folder.path() / c.name);
    EXPECT_EQ(written, c.starts != nullptr) << c.name;
    if (written && c.starts) {
      EXPECT_EQ(TempFolder::read(folder.path() / c.name).rfind(c.starts, 0), 0u) << c.name;
    }
  }
  cThumbnail nowhere;
  nowhere.CreateFromFile(source.string());  // an empty path writes nothing and raises nothing
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1 + 5);
}

TEST(cThumbnail, BmpFileHoldsTheRenderedPixels) {
  TempFolder folder;
  const auto source = folder.write("p.jpg", EncodeJpeg(Photo(300, 170)));
  const auto target = folder.write("thumb.bmp", "an older thumbnail");
  cThumbnail thumbnail;
  thumbnail.DestFilePath(target.string());
  thumbnail.CreateFromFile(source.string());

  const auto canvas = Render(thumbnail, source);  // 50 x 28: rows of 150 + 2 padding bytes
  const std::string bytes = TempFolder::read(target);
  ASSERT_EQ(bytes.size(), 54u + 28 * 152);
  EXPECT_EQ(bytes.substr(54), std::string(reinterpret_cast<const char*>(canvas->Bits()), 28 * 152))
      << "the rows as the bitmap holds them, bottom row first";
  const QImage written(QString::fromStdString(target.string()));
  ASSERT_EQ(written.size(), QSize(50, 28));
  const Rgb expected = PixelOf(*canvas, 3, 1);
  EXPECT_EQ(written.pixel(3, 1), qRgb(expected.red, expected.green, expected.blue))
      << "read back upright";
}

TEST(cThumbnail, BmpNamesUpToTheFileSystemLimitAreWritten) {
  TempFolder folder;
  const auto source = folder.write("p.jpg", EncodeJpeg(Photo(30, 20)));
  for (const std::size_t length : {249u, 250u, 255u}) {
    const auto target = folder.path() / ("thumb" + std::string(length - 9, 'p') + ".bmp");
    cThumbnail thumbnail;
    thumbnail.DestFilePath(target.string());
    thumbnail.CreateFromFile(source.string());
    EXPECT_EQ(TempFolder::read(target).substr(0, 2), "BM") << length << " bytes";
  }
}

TEST(cThumbnail, BmpIntoAMissingFolderRaisesPathNotFound) {
  TempFolder folder;
  const auto source = folder.write("p.jpg", EncodeJpeg(Photo(30, 20)));
  cThumbnail thumbnail;
  const auto target = folder.path() / "ThumbNails" / "thumbp.bmp";
  thumbnail.DestFilePath(target.string());
  EXPECT_RUNTIME_ERROR(thumbnail.CreateFromFile(source.string()), platform::kPathNotFound,
                       "tesselet.PictureSaver", "Path not found: " + target.string());
}

TEST(cThumbnail, EveryOrientationGivesTheSameUprightThumbnail) {
  TempFolder folder;
  struct Case {
    const char* rule;
    int width, height;
  };
  // The second picture is decoded at a reduced scale, with blocks cut short
  // at its right and bottom edges.
  const Case cases[] = {{"full-size decode", 96, 64}, {"reduced decode", 1001, 601}};
  for (const Case& c : cases) {
    const Picture upright = Photo(c.width, c.height, 7);
    cThumbnail thumbnail;
    const auto reference = Render(thumbnail, folder.write("o1.jpg", EncodeJpeg(upright, 100)));
    for (int orientation = 2; orientation <= 8; ++orientation) {
      const Picture stored = StoreWithOrientation(upright, orientation);
      const auto file =
          folder.write("o.jpg", WithExifOrientation(EncodeJpeg(stored, 100), orientation));
      const auto canvas = Render(thumbnail, file);
      ASSERT_EQ(canvas->Width(), reference->Width()) << c.rule << ", orientation " << orientation;
      ASSERT_EQ(canvas->Height(), reference->Height()) << c.rule << ", orientation " << orientation;
      EXPECT_LE(MaxDifference(*canvas, *reference), 3) << c.rule << ", orientation " << orientation;
    }
  }
}

// Qt reads EXIF orientation on its own, so it tells independently whether the
// test's stored pictures really show upright: without this, a mapping that is
// wrong the same way in the renderer and in the test would pass.
TEST(cThumbnail, TheStoredTestPicturesShowUprightInAnotherReader) {
  TempFolder folder;
  const Picture upright = Photo(48, 32, 5);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const auto file = folder.write(
        "q.jpg", WithExifOrientation(EncodeJpeg(StoreWithOrientation(upright, orientation), 100),
                                     orientation));
    QImageReader reader(QString::fromStdString(file.string()));
    reader.setAutoTransform(true);
    const QImage shown = reader.read().convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(shown.width(), upright.width) << "orientation " << orientation;
    ASSERT_EQ(shown.height(), upright.height) << "orientation " << orientation;
    int worst = 0;
    for (int y = 0; y < upright.height; ++y)
      for (int x = 0; x < upright.width; ++x) {
        const QRgb p = shown.pixel(x, y);
        const Rgb e = upright.At(x, y);
        worst = std::max({worst, std::abs(qRed(p) - e.red), std::abs(qGreen(p) - e.green),
                          std::abs(qBlue(p) - e.blue)});
      }
    EXPECT_LE(worst, 12) << "orientation " << orientation;
  }
}

TEST(cThumbnail, ReducedDecodeStaysCloseToAnExactAreaAverage) {
  TempFolder folder;
  const auto file = folder.write("noisy.jpg", EncodeJpeg(Photo(1001, 667, 3), 92, TJSAMP_420));
  const cThumbnail thumbnail;
  const auto ours = Render(thumbnail, file);
  const StdPicture full = PictureLoader::LoadPicture(file.string());
  auto exact = DibBitmap::Create(ours->Width(), ours->Height());
  AreaAverageStretch::Stretch(*full.Bitmap(), *exact);
  EXPECT_GE(Psnr(*ours, *exact), 40.0);
}

TEST(cThumbnail, ErrorsReachTheCallerAndNothingIsWritten) {
  TempFolder folder;
  const auto text = folder.write("notes.jpg", "not a picture");
  struct Case {
    const char* rule;
    std::filesystem::path source;
    int box;
    int number;
  };
  const Case cases[] = {
      {"not a picture", text, 50, platform::kInvalidPicture},
      {"missing", folder.path() / "gone.jpg", 50, platform::kFileNotFound},
      {"a box of no pixels", folder.write("p.jpg", EncodeJpeg(Photo(20, 20))), 0,
       platform::kInvalidProcedureCall},
  };
  for (const Case& c : cases) {
    cThumbnail thumbnail;
    thumbnail.MaxWidth(c.box);
    thumbnail.DestFilePath((folder.path() / "thumb.jpg").string());
    try {
      thumbnail.CreateFromFile(c.source.string());
      ADD_FAILURE() << c.rule << ": no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), c.number) << c.rule << ": " << error.description();
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "thumb.jpg")) << c.rule;
  }
}

}  // namespace
