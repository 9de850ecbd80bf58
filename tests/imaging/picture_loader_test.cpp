#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <array>
#include <bit>
#include <random>

#include "imaging/reading/PictureLoader.h"
#include "imaging/reading/VideoFrameDecoder.h"
#include "platform/RunTimeError.h"
#include "tests/hostile/HostileCorpus.h"
#include "tests/hostile/PictureWriters.h"
#include "tests/imaging/PictureEncoders.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/ExpectRunTimeError.h"
#include "tests/support/TempFolder.h"

using namespace imaging::pixels;
using namespace imaging::reading;

namespace {

using namespace test_pictures;
using hostile::WithJpegSize;

// Largest difference of any channel between a loaded picture and the one
// encoded, which must be of the same size.
int Difference(const StdPicture& loaded, const Picture& expected) {
  return MaxDifference(*loaded.Bitmap(), *BitmapOf(expected));
}

Picture Smooth(int width, int height) {
  return Make(width, height, [&](int x, int y) {
    return Rgb{20 + 200 * x / width, 230 - 200 * y / height, 60 + 100 * (x + y) / (width + height)};
  });
}

TEST(PictureLoader, EachKindLoadsWithItsColours) {
  TempFolder folder;
  const Picture smooth = Smooth(48, 32);
  const Picture grey = Make(48, 32, [](int x, int y) { return Rgb{x * 5, x * 5, x * 5 + 0 * y}; });
  // The fixtures hold this 16 x 8 picture, arithmetic-coded and with a
  // restart marker after every block.
  const Picture fixture = Make(16, 8, [](int x, int y) {
    return x < 4 && y < 4 ? Rgb{255, 255, 255} : Rgb{255 - x * 16, y * 32, x * 16};
  });
  struct Case {
    const char* rule;
    std::filesystem::path file;
    const Picture& expected;
    int tolerance;
  };
  const Case cases[] = {
      {"baseline 4:4:4", folder.write("a.jpg", EncodeJpeg(smooth, 95, TJSAMP_444)), smooth, 4},
      {"baseline 4:2:0", folder.write("b.jpg", EncodeJpeg(smooth, 95, TJSAMP_420)), smooth, 6},
      {"progressive", folder.write("c.jpg", EncodeJpeg(smooth, 95, TJSAMP_420, TJFLAG_PROGRESSIVE)),
       smooth, 6},
      {"greyscale", folder.write("d.jpg", EncodeJpeg(grey, 95, TJSAMP_GRAY)), grey, 3},
      {"arithmetic-coded", Fixture("arithmetic.jpg"), fixture, 16},
      {"restart markers", Fixture("restart-markers.jpg"), fixture, 16},
      {"PNG", folder.write("e.png", EncodePng(smooth)), smooth, 0},
      {"WebP, lossless", folder.write("f.webp", EncodeWebP(smooth)), smooth, 0},
      {"WebP, lossy", folder.write("g.webp", EncodeWebP(smooth, 95)), smooth, 8},
      {"HEIC", folder.write("h.heic", EncodeHeic(smooth, 95)), smooth, 8},
  };
  for (const Case& c : cases) {
    const StdPicture picture = PictureLoader::LoadPicture(c.file.string());
    EXPECT_LE(Difference(picture, c.expected), c.tolerance) << c.rule;
    EXPECT_EQ(picture.Scale().Numerator, picture.Scale().Denominator) << "full size: " << c.rule;
  }
}

TEST(PictureLoader, CmykStoredInvertedWithAnAdobeSegmentLoadsAsItsColours) {
  TempFolder folder;
  // Inverted CMYK: 255 is no ink. Cyan/magenta/yellow left as the red,
  // green, blue wanted, with the black ink's share taken off each.
  const int width = 16, height = 16;
  std::vector<std::uint8_t> cmyk;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int key = y < 8 ? 255 : 128;
      cmyk.insert(cmyk.end(),
                  {std::uint8_t(200), std::uint8_t(100), std::uint8_t(x * 10), std::uint8_t(key)});
    }
  }
  const auto file = folder.write("cmyk.jpg", EncodeCmykJpeg(cmyk, width, height));
  const Picture expected = Make(width, height, [](int x, int y) {
    const int key = y < 8 ? 255 : 128;
    return Rgb{(200 * key + 127) / 255, (100 * key + 127) / 255, (x * 10 * key + 127) / 255};
  });
  EXPECT_LE(Difference(PictureLoader::LoadPicture(file.string()), expected), 3);
}

TEST(PictureLoader, JpegDecodesAtTheSmallestScaleThatCoversTheSizeAskedFor) {
  TempFolder folder;
  const auto file = folder.write("p.jpg", EncodeJpeg(Photo(1600, 1200), 90, TJSAMP_420));
  struct Case {
    const char* rule;
    int minWidth, minHeight, width, height;
    double scale;
  };
  const Case cases[] = {
      {"1/8 covers 200 x 150", 200, 150, 200, 150, 1.0 / 8},
      {"one pixel more needs 1/4", 201, 150, 400, 300, 1.0 / 4},
      {"the height decides as well", 100, 151, 400, 300, 1.0 / 4},
      {"3/8 exists between them", 500, 375, 600, 450, 3.0 / 8},
      {"full size when only that covers it", 1500, 10, 1600, 1200, 1},
      {"never more than full size", 5000, 5000, 1600, 1200, 1},
  };
  for (const Case& c : cases) {
    PictureLoader loader(file.string());
    EXPECT_EQ(loader.Width(), 1600) << c.rule;
    EXPECT_EQ(loader.Height(), 1200) << c.rule;
    const StdPicture picture = loader.Load(c.minWidth, c.minHeight);
    EXPECT_EQ(picture.Bitmap()->Width(), c.width) << c.rule;
    EXPECT_EQ(picture.Bitmap()->Height(), c.height) << c.rule;
    EXPECT_DOUBLE_EQ(double(picture.Scale().Numerator) / picture.Scale().Denominator, c.scale)
        << c.rule;
    EXPECT_EQ(picture.Width(), 1600) << "the full size stays known: " << c.rule;
    EXPECT_EQ(loader.Width(), 1600) << "and the loader still knows it: " << c.rule;
    EXPECT_THROW(loader.Load(1, 1), platform::RunTimeError) << "a loader loads once";
  }
}

// The formats decoded whole (HEIC, PNG) are reduced after decoding, WebP
// while it is decoded: each gives the smallest offered scale that covers
// the size asked for.
TEST(PictureLoader, OtherFormatsLoadAtTheSmallestScaleThatCoversTheSizeAskedFor) {
  TempFolder folder;
  const Picture photo = Photo(320, 240);
  struct Case {
    const char* rule;
    std::filesystem::path file;
    int minWidth, minHeight, width, height;
  };
  const Case cases[] = {
      {"HEIC at 1/8", folder.write("a.heic", EncodeHeic(photo, 50)), 40, 30, 40, 30},
      {"WebP at 1/8", folder.write("b.webp", EncodeWebP(photo, 50)), 40, 30, 40, 30},
      {"WebP at 1/4", folder.write("c.webp", EncodeWebP(photo, 50)), 41, 30, 80, 60},
      {"PNG at 1/2", folder.write("d.png", EncodePng(photo)), 100, 100, 160, 120},
  };
  for (const Case& c : cases) {
    PictureLoader loader(c.file.string());
    const StdPicture picture = loader.Load(c.minWidth, c.minHeight);
    EXPECT_EQ(picture.Bitmap()->Width(), c.width) << c.rule;
    EXPECT_EQ(picture.Bitmap()->Height(), c.height) << c.rule;
    EXPECT_EQ(picture.Width(), 320) << "the full size stays known: " << c.rule;
  }
}

TEST(PictureLoader, ExifOrientationGivesTheSizeAsShown) {
  TempFolder folder;
  const std::string jpeg = EncodeJpeg(Photo(40, 24));
  for (int orientation = 1; orientation <= 8; ++orientation) {
    for (bool bigEndian : {true, false}) {
      const auto file = folder.write("o.jpg", WithExifOrientation(jpeg, orientation, bigEndian));
      PictureLoader loader(file.string());
      const bool turned = orientation >= 5;
      EXPECT_EQ(loader.Width(), turned ? 24 : 40) << orientation;
      EXPECT_EQ(loader.Height(), turned ? 40 : 24) << orientation;
      const StdPicture picture = loader.Load(1, 1);
      EXPECT_EQ(picture.Orientation(), orientation) << orientation << (bigEndian ? " MM" : " II");
      EXPECT_EQ(picture.Width(), turned ? 24 : 40) << orientation;
    }
  }
  for (int bad : {0, 9, 300}) {
    const auto file = folder.write("bad.jpg", WithExifOrientation(jpeg, bad));
    EXPECT_EQ(PictureLoader::LoadPicture(file.string()).Orientation(), 1)
        << "unknown value " << bad;
  }
  // An EXIF block whose directory lies beyond its end is ignored, not followed.
  std::string broken = WithExifOrientation(jpeg, 6);
  broken[2 + 2 + 2 + 6 + 4 + 3] = char(0x7F);  // the directory offset's low byte
  EXPECT_EQ(PictureLoader::LoadPicture(folder.write("broken.jpg", broken).string()).Orientation(),
            1);
  // Only the first EXIF block counts; a later one is a thumbnail's or a copy's.
  const std::string twice = WithExifOrientation(WithExifOrientation(jpeg, 3), 6);
  EXPECT_EQ(PictureLoader::LoadPicture(folder.write("twice.jpg", twice).string()).Orientation(), 6);
}

// A HEIC's turns and mirrors are applied as it is decoded: its size and
// pixels are as shown, and nothing is left for an orientation to turn.
TEST(PictureLoader, HeicTurnsAndMirrorsGiveThePictureAsShown) {
  TempFolder folder;
  const Rgb colours[] = {{230, 30, 30}, {30, 200, 40}, {40, 40, 220}, {240, 230, 60}};
  const Picture upright =
      Make(64, 32, [&](int x, int y) { return colours[x / 32 + 2 * (y / 16)]; });
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const auto file = folder.write(
        "o.heic", EncodeHeic(StoreWithOrientation(upright, orientation), 90, orientation));
    PictureLoader loader(file.string());
    EXPECT_EQ(loader.Width(), 64);
    EXPECT_EQ(loader.Height(), 32);
    const StdPicture picture = loader.Load(64, 32);
    ASSERT_EQ(picture.Bitmap()->Width(), 64);
    ASSERT_EQ(picture.Bitmap()->Height(), 32);
    EXPECT_EQ(picture.Orientation(), 1);
    for (int quarter = 0; quarter < 4; ++quarter) {
      const Rgb shown = PixelOf(*picture.Bitmap(), 16 + 32 * (quarter % 2), 8 + 16 * (quarter / 2));
      const Rgb expected = colours[quarter];
      EXPECT_NEAR(shown.red, expected.red, 12) << quarter;
      EXPECT_NEAR(shown.green, expected.green, 12) << quarter;
      EXPECT_NEAR(shown.blue, expected.blue, 12) << quarter;
    }
  }
}

TEST(PictureLoader, TruncatedJpegGivesThePartThatIsThere) {
  TempFolder folder;
  const Picture photo = Smooth(64, 64);
  const std::string whole = EncodeJpeg(photo, 95, TJSAMP_444);
  const auto file = folder.write("cut.jpg", whole.substr(0, whole.size() * 6 / 10));
  const StdPicture picture = PictureLoader::LoadPicture(file.string());
  ASSERT_EQ(picture.Bitmap()->Width(), 64);
  ASSERT_EQ(picture.Bitmap()->Height(), 64);
  const Picture top = Make(64, 16, [&](int x, int y) { return photo.At(x, y); });
  EXPECT_LE(MaxDifference(*picture.Bitmap(), top), 4)
      << "the rows before the cut are the picture's";
}

TEST(PictureLoader, BmpAndTheFirstFrameOfAGifLoadExactly) {
  TempFolder folder;
  QImage image(5, 3, QImage::Format_RGB888);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(x * 50, y * 100, 255 - x * 10));
  }
  const auto bmp = folder.path() / "p.bmp";
  ASSERT_TRUE(image.save(QString::fromStdString(bmp.string()), "BMP"));
  const StdPicture fromBmp = PictureLoader::LoadPicture(bmp.string());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const Rgb p = PixelOf(*fromBmp.Bitmap(), x, y);
      EXPECT_EQ(p.red, x * 50);
      EXPECT_EQ(p.green, y * 100);
      EXPECT_EQ(p.blue, 255 - x * 10);
    }
  }
  // Frame one: red with a blue top-left and a lime bottom-right pixel;
  // frame two is black.
  const StdPicture fromGif = PictureLoader::LoadPicture(Fixture("two-frames.gif").string());
  ASSERT_EQ(fromGif.Width(), 4);
  ASSERT_EQ(fromGif.Height(), 2);
  const Rgb topLeft = PixelOf(*fromGif.Bitmap(), 0, 0);
  const Rgb middle = PixelOf(*fromGif.Bitmap(), 1, 0);
  const Rgb bottomRight = PixelOf(*fromGif.Bitmap(), 3, 1);
  EXPECT_EQ((std::array{topLeft.red, topLeft.green, topLeft.blue}), (std::array{0, 0, 255}));
  EXPECT_EQ((std::array{middle.red, middle.green, middle.blue}), (std::array{255, 0, 0}));
  EXPECT_EQ((std::array{bottomRight.red, bottomRight.green, bottomRight.blue}),
            (std::array{0, 255, 0}));
}

// A BMP of bit fields holding the picture, each colour's level put into its
// mask's field at the field's width, rounded; opaque where there is an
// alpha mask.
std::string BitFieldBmp(const Picture& picture, int bits, std::array<std::uint32_t, 4> masks,
                        std::uint32_t headerSize = 40) {
  auto field = [](int level, std::uint32_t mask) -> std::uint32_t {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t largest = mask >> shift;
    return std::uint32_t((level * largest + 127) / 255) << shift;
  };
  hostile::Bmp bmp;
  bmp.width = picture.width, bmp.height = picture.height, bmp.bitCount = std::uint16_t(bits);
  bmp.compression = 3, bmp.headerSize = headerSize;
  std::copy(masks.begin(), masks.end(), bmp.masks);
  for (int y = picture.height - 1; y >= 0; --y) {  // stored bottom row first
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      const Rgb c = picture.At(x, y);
      const std::uint32_t pixel = field(c.red, masks[0]) | field(c.green, masks[1]) |
                                  field(c.blue, masks[2]) | field(255, masks[3]);
      bits == 16 ? hostile::Put16(row, pixel) : hostile::Put32(row, pixel);
    }
    row.resize((row.size() + 3) / 4 * 4, '\0');
    bmp.pixels += row;
  }
  return hostile::BmpFile(bmp);
}

// The fields of a BMP of bit fields are each scaled from their own width to
// 8 bits: 10 or 3 bits as truly as the common 8 and 5 (the image reader
// draws the former black or dim).
TEST(PictureLoader, BitFieldBmpsLoadWithEachFieldScaledToEightBits) {
  TempFolder folder;
  const Picture picture = Make(5, 3, [](int x, int y) {
    return Rgb{x * 255 / 4, y * 255 / 2, (x + y) % 2 ? 255 : 40};
  });
  struct Case {
    const char* rule;
    int bits;
    std::array<std::uint32_t, 4> masks;
    std::uint32_t headerSize;
    int tolerance;  // half a step of the narrowest field, in 8-bit levels
  };
  const Case cases[] = {
      {"32 bits, 8/8/8", 32, {0xFF0000, 0xFF00, 0xFF, 0}, 40, 0},
      {"16 bits, 5/6/5", 16, {0xF800, 0x07E0, 0x001F, 0}, 40, 5},
      {"32 bits, 11/11/10", 32, {0xFFE00000, 0x001FFC00, 0x000003FF, 0}, 40, 1},
      {"32 bits, 10/10/10 and 2 of alpha", 32, {0x3FF00000, 0x000FFC00, 0x3FF, 0xC0000000}, 56, 1},
      {"16 bits, 3/10/3", 16, {0xE000, 0x1FF8, 0x0007, 0}, 40, 19},
  };
  for (const Case& c : cases) {
    const auto file = folder.write("f.bmp", BitFieldBmp(picture, c.bits, c.masks, c.headerSize));
    EXPECT_LE(Difference(PictureLoader::LoadPicture(file.string()), picture), c.tolerance)
        << c.rule;
  }
}

// A BMP header for a 24-bit picture of the given size, and no pixels.
std::string BmpHeaderOnly(int width, int height) {
  std::string header(54, '\0');
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = char(v >> (8 * i));
  };
  header[0] = 'B', header[1] = 'M';
  put32(2, 54 + 3000);
  put32(10, 54);
  put32(14, 40);
  put32(18, std::uint32_t(width));
  put32(22, std::uint32_t(height));
  header[26] = 1, header[28] = 24;
  return header;
}

// The PNG with its header's colour type changed (its checksum left as it
// was: the header is read before any checksum is).
std::string WithPngColourType(const Picture& picture, int colourType) {
  std::string png = EncodePng(picture);
  png[25] = char(colourType);
  return png;
}

// The last scan of a progressive file, repeated until the file has many
// hundreds of scans: each costs a pass over the whole picture.
std::string ScanFlood() {
  const std::string jpeg = EncodeJpeg(Smooth(16, 16), 90, TJSAMP_444, TJFLAG_PROGRESSIVE);
  const std::size_t lastScan = jpeg.rfind("\xFF\xDA");
  const std::string scan = jpeg.substr(lastScan, jpeg.size() - 2 - lastScan);
  std::string flood = jpeg.substr(0, jpeg.size() - 2);
  for (int i = 0; i < 1000; ++i) flood += scan;
  return flood + "\xFF\xD9";
}

TEST(PictureLoader, AnythingThatIsNotALoadablePictureRaisesAnErrorNamingTheFile) {
  TempFolder folder;
  const std::string jpeg = EncodeJpeg(Smooth(32, 32));
  const std::string progressive = EncodeJpeg(Smooth(32, 32), 90, TJSAMP_420, TJFLAG_PROGRESSIVE);
  const Picture smooth = Smooth(32, 32);
  const std::string heic = EncodeHeic(smooth);
  struct Case {
    const char* rule;
    std::filesystem::path file;
    int number;
    std::string description;  // {} stands for the file; "" where a library's words follow ours
  };
  ::mkdir((folder.path() / "folder.jpg").c_str(), 0755);
  const auto sparse = folder.write("sparse.jpg", jpeg);
  std::filesystem::resize_file(sparse, PictureLoader::kMaxFileBytes + 1);  // takes no disk space
  const Case cases[] = {
      {"missing file", folder.path() / "missing.jpg", platform::kFileNotFound,
       "File not found: {}"},
      {"a folder", folder.path() / "folder.jpg", platform::kPathFileAccessError,
       "Path/File access error: {} is not a file"},
      {"empty file", folder.write("empty.jpg", ""), platform::kInvalidPicture,
       "Invalid picture: {} (the file is empty)"},
      {"another format", folder.write("text.jpg", "just some text"), platform::kInvalidPicture,
       "Invalid picture: {} (the file is not a JPEG, PNG, WebP, HEIF, BMP or GIF picture)"},
      {"a JPEG the decoder cannot start on", folder.write("start.jpg", jpeg.substr(0, 30)),
       platform::kInvalidPicture,
       "Invalid picture: {} (the JPEG data ends before the picture starts)"},
      {"a progressive JPEG declaring 20000 x 20000 pixels in 624 bytes",
       folder.write("huge.jpg", WithJpegSize(progressive, 20000, 20000)), platform::kInvalidPicture,
       "Invalid picture: {} (the file is 624 bytes, too few for the 20000 x 20000 pixels its "
       "header declares)"},
      // Qt itself refuses BMP headers of more than 16384 x 16384 pixels.
      {"a BMP header claiming 12000 x 12000 pixels",
       folder.write("huge.bmp", BmpHeaderOnly(12000, 12000)), platform::kInvalidPicture,
       "Invalid picture: {} (the picture is 12000 x 12000 pixels, more than the 100 megapixels a "
       "picture may have)"},
      {"a BMP with no pixels after its header", folder.write("cut.bmp", BmpHeaderOnly(30, 30)),
       platform::kInvalidPicture, ""},
      {"a damaged GIF", folder.write("bad.gif", "GIF89a\x05\x00"), platform::kInvalidPicture, ""},
      {"a bit-field mask that is not one run of bits",
       folder.write("mask.bmp", BitFieldBmp(smooth, 16, {0xF800, 0x0550, 0x001F, 0})),
       platform::kInvalidPicture,
       "Invalid picture: {} (the green mask, 0x00000550, is not one run of bits within 16 bits a "
       "pixel)"},
      {"bit fields whose pixels run past the file's end",
       folder.write("short.bmp",
                    BitFieldBmp(smooth, 32, {0xFF0000, 0xFF00, 0xFF, 0}).substr(0, 600)),
       platform::kInvalidPicture,
       "Invalid picture: {} (the pixels, 4096 bytes from byte 66, run past the file's 600 bytes)"},
      {"a file over 96 MB is not read", sparse, platform::kInvalidPicture,
       "Invalid picture: {} (the file is 100663297 bytes, more than the 96 MB a picture file may "
       "have)"},
      {"a flood of scans", folder.write("flood.jpg", ScanFlood()), platform::kInvalidPicture, ""},
      {"a PNG cut after its header", folder.write("cut.png", EncodePng(smooth).substr(0, 40)),
       platform::kInvalidPicture, ""},
      {"a PNG header of a pixel kind PNG has not",
       folder.write("kind.png", WithPngColourType(smooth, 5)), platform::kInvalidPicture,
       "Invalid picture: {} (the PNG header declares an unknown pixel kind)"},
      {"a WebP cut short", folder.write("cut.webp", EncodeWebP(smooth, 90).substr(0, 60)),
       platform::kInvalidPicture,
       "Invalid picture: {} (the picture cannot be decoded: the data ends early)"},
      {"a WebP header claiming 16383 x 16383 pixels",
       folder.write("huge.webp", WithWebPSize(EncodeWebP(smooth, 90), 16383, 16383)),
       platform::kInvalidPicture,
       "Invalid picture: {} (the picture is 16383 x 16383 pixels, more than the 100 megapixels a "
       "picture may have)"},
      {"a HEIC cut short", folder.write("cut.heic", heic.substr(0, heic.size() / 2)),
       platform::kInvalidPicture, ""},
      {"a HEIC header claiming 12000 x 9000 pixels",
       folder.write("huge.heic", WithHeifSize(heic, 12000, 9000)), platform::kInvalidPicture,
       "Invalid picture: {} (the picture is 12000 x 9000 pixels, more than the 100 megapixels a "
       "picture may have)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    std::string description = c.description;
    if (const auto at = description.find("{}"); at != std::string::npos) {
      description.replace(at, 2, c.file.string());
    }
    EXPECT_RUNTIME_ERROR(PictureLoader(c.file.string()).Load(50, 50), c.number,
                         "tesselet.PictureLoader", description);
  }
}

// A sequential JPEG is decoded a few rows at a time, so only the reduced
// picture it is decoded to counts: a 102-megapixel camera photo gives its
// thumbnail, and only a decode at full size is refused. A progressive one
// at 1/8 is decoded from its DC scans, two bytes a block: only a larger scale
// keeps every coefficient (128 bytes a block), past the memory bound.
TEST(PictureLoader, LargePhotosAreBoundedByWhatTheDecodeHolds) {
  TempFolder folder;
  const auto photo = folder.write("camera.jpg", hostile::StreamedJpeg(11648, 8736));
  PictureLoader loader(photo.string());
  const StdPicture reduced = loader.Load(400, 300);
  EXPECT_EQ(reduced.Bitmap()->Width(), 1456) << "decoded at 1/8";
  EXPECT_EQ(reduced.Bitmap()->Height(), 1092);
  EXPECT_RUNTIME_ERROR(PictureLoader::LoadPicture(photo.string()), platform::kInvalidPicture,
                       "tesselet.PictureLoader",
                       "Invalid picture: " + photo.string() +
                           " (the picture is 11648 x 8736 pixels; decoded at the size needed, "
                           "11648 x 8736, it is more than the 100 megapixels a picture may have "
                           "in memory)");

  // 9000 x 9000, 4:4:4: 486 MB of coefficients, in a file large enough
  // to hold its blocks.
  const std::string progressive = hostile::WithComments(
      WithJpegSize(EncodeJpeg(Smooth(32, 32), 90, TJSAMP_444, TJFLAG_PROGRESSIVE), 9000, 9000),
      600'000);
  const auto file = folder.write("progressive.jpg", progressive);
  EXPECT_EQ(PictureLoader(file.string()).Load(1000, 1000).Bitmap()->Width(), 1125)
      << "at 1/8 from the DC scans";
  EXPECT_RUNTIME_ERROR(PictureLoader(file.string()).Load(1200, 1200), platform::kInvalidPicture,
                       "tesselet.PictureLoader",
                       "Invalid picture: " + file.string() +
                           " (the picture is 9000 x 9000 pixels; its decode would take 478 MB, "
                           "more than the 320 MB a picture may take)");
}

// Damaged copies of good files: bytes changed, runs of marker bytes put in,
// the end cut off. Each must load as some picture or raise our error.
TEST(PictureLoader, DamagedFilesGiveAPictureOrAnErrorAndNothingElse) {
  TempFolder folder;
  QImage bmp(9, 7, QImage::Format_RGB888);
  bmp.fill(qRgb(10, 200, 30));
  const auto bmpFile = folder.path() / "seed.bmp";
  ASSERT_TRUE(bmp.save(QString::fromStdString(bmpFile.string()), "BMP"));
  const std::string seeds[] = {
      WithExifOrientation(EncodeJpeg(Photo(40, 24), 80, TJSAMP_420), 6, false),
      EncodeJpeg(Smooth(24, 16), 80, TJSAMP_422, TJFLAG_PROGRESSIVE),
      // Decoded at 1/8 from its first scan alone.
      EncodeJpeg(Photo(128, 96), 95, TJSAMP_420, TJFLAG_PROGRESSIVE),
      TempFolder::read(Fixture("arithmetic.jpg")),
      TempFolder::read(bmpFile),
      TempFolder::read(Fixture("two-frames.gif")),
  };
  std::mt19937 random(5);
  int loaded = 0, refused = 0;
  for (const std::string& seed : seeds) {
    for (int round = 0; round < 120; ++round) {
      std::string damaged = seed;
      auto anywhere = [&] { return std::size_t(random() % damaged.size()); };
      switch (round % 4) {
        case 0:
          for (int i = 0; i < 3; ++i) damaged[anywhere()] = char(random());
          break;
        case 1:
          damaged.insert(anywhere(), std::string(1 + random() % 8, '\xFF'));
          break;
        case 2:
          damaged.resize(anywhere());
          break;
        default:  // the header, where sizes and offsets are
          damaged[random() % std::min<std::size_t>(damaged.size(), 40)] = char(random());
          break;
      }
      const auto file = folder.write("damaged", damaged);
      try {
        PictureLoader loader(file.string());
        const StdPicture picture = loader.Load(8, 8);
        ASSERT_NE(picture.Bitmap(), nullptr);
        EXPECT_LE(std::int64_t(picture.Width()) * picture.Height(), PictureLoader::kMaxPixels);
        ++loaded;
      } catch (const platform::RunTimeError& error) {
        EXPECT_NE(error.description().find(file.string()), std::string::npos)
            << error.description();
        ++refused;
      }
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace

// Asked for, a video is told from a still picture by its first bytes alone.
TEST(PictureLoader, FirstBytesTellAVideoFromAStillPicture) {
  const struct {
    const char* rule;
    std::string head;
    bool video;
    bool matroska;
  } rows[] = {
      {"an MP4",
       std::string("\0\0\0\x18"
                   "ftypisom",
                   12),
       true, false},
      {"a QuickTime file with its type box",
       std::string("\0\0\0\x14"
                   "ftypqt  ",
                   12),
       true, false},
      {"a QuickTime file that starts with its movie",
       std::string("\0\0\x10\0"
                   "moov",
                   8),
       true, false},
      {"... or with its data",
       std::string("\0\0\0\x08"
                   "mdat",
                   8),
       true, false},
      {"... or with padding",
       std::string("\0\0\0\x08"
                   "wide",
                   8),
       true, false},
      {"... or free space",
       std::string("\0\0\0\x08"
                   "free",
                   8),
       true, false},
      {"a Matroska or WebM file", std::string("\x1A\x45\xDF\xA3\x01", 5), true, true},
      {"a HEIC photo",
       std::string("\0\0\0\x18"
                   "ftypheic",
                   12),
       false, false},
      {"a HEIF photo of any coding",
       std::string("\0\0\0\x18"
                   "ftypmif1",
                   12),
       false, false},
      {"an AVIF photo",
       std::string("\0\0\0\x18"
                   "ftypavif",
                   12),
       false, false},
      {"a type box with no brand",
       std::string("\0\0\0\x08"
                   "ftyp",
                   8),
       false, false},
      {"a JPEG", std::string("\xFF\xD8\xFF\xE0", 4), false, false},
      {"a box of another type",
       std::string("\0\0\0\x08"
                   "uuid",
                   8),
       false, false},
  };
  for (const auto& row : rows) {
    bool matroska = !row.matroska;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.head.data());
    EXPECT_EQ(VideoFrameDecoder::IsVideo(bytes, row.head.size(), matroska), row.video) << row.rule;
    EXPECT_EQ(matroska, row.matroska) << row.rule;
  }
}
