#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "imaging/reading/PictureLoader.h"
#include "tests/imaging/ReferenceAreaAverage.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/ExpectRunTimeError.h"
#include "tests/support/TempFolder.h"

using namespace imaging::pixels;
using namespace imaging::reading;

namespace {

using namespace test_pictures;

using test_jpeg::Encoding;

std::string Encode(const Picture& picture, const Encoding& encoding) {
  const std::size_t stride = std::size_t(picture.width) * 3;
  return test_jpeg::EncodeRows(picture.width, picture.height, encoding,
                               [&](int y, std::uint8_t* row) {
                                 std::memcpy(row, &picture.rgb[std::size_t(y) * stride], stride);
                               });
}

// The same coefficients written as a sequential Huffman-coded file, as
// `jpegtran -copy all` copies a progressive one.
std::string BaselineCopy(const std::string& jpeg) {
  jpeg_decompress_struct in{};
  jpeg_compress_struct out{};
  jpeg_error_mgr errors{};
  in.err = out.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&in);
  jpeg_create_compress(&out);
  jpeg_mem_src(&in, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&in, TRUE);
  jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&in);
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&out, &bytes, &size);
  jpeg_copy_critical_parameters(&in, &out);
  out.optimize_coding = TRUE;
  jpeg_write_coefficients(&out, coefficients);
  jpeg_finish_compress(&out);
  jpeg_finish_decompress(&in);
  jpeg_destroy_compress(&out);
  jpeg_destroy_decompress(&in);
  std::string copy(reinterpret_cast<char*>(bytes), size);
  std::free(bytes);
  return copy;
}

// The file with `count` 0xFF fill bytes before each of its restart markers.
std::string WithFillBytes(const std::string& jpeg, int count) {
  std::string filled;
  for (std::size_t i = 0; i < jpeg.size(); ++i) {
    if (jpeg[i] == '\xFF' && i + 1 < jpeg.size() && (jpeg[i + 1] & 0xF8) == 0xD0) {
      filled.append(std::size_t(count), '\xFF');
    }
    filled += jpeg[i];
  }
  return filled;
}

// The file with Huffman table segments after its start marker, as many as
// a Huffman-coded file has: legal in an arithmetic-coded file, which has no
// use for them.
std::string WithUnusedHuffmanTables(const std::string& jpeg) {
  const std::string huffman = EncodeJpeg(Photo(16, 16), 95, TJSAMP_420);
  std::string tables;
  for (std::size_t at = huffman.find("\xFF\xC4"); at != std::string::npos;
       at = huffman.find("\xFF\xC4", at + 2)) {
    const std::size_t length =
        std::size_t(std::uint8_t(huffman[at + 2])) << 8 | std::uint8_t(huffman[at + 3]);
    tables += huffman.substr(at, 2 + length);
  }
  return jpeg.substr(0, 2) + tables + jpeg.substr(2);
}

// Colour stripes `width` pixels wide side by side (kind 0) or one above
// the other (1), or a checkerboard of squares of that side (2).
Picture Stripes(int width, int kind) {
  return Make(256, 192, [=](int x, int y) {
    const bool odd = ((kind != 1 ? x / width : 0) + (kind != 0 ? y / width : 0)) % 2;
    return odd ? Rgb{220, 40, 60} : Rgb{30, 90, 210};
  });
}

// The DC of all components first with `bits` low bits left out, then the
// detail of each, then the DC's left-out bits one scan each.
std::vector<jpeg_scan_info> DcThenDetail(int bits) {
  std::vector<jpeg_scan_info> script{{3, {0, 1, 2}, 0, 0, 0, bits}};
  for (int c = 0; c < 3; ++c) script.push_back({1, {c}, 1, 63, 0, 0});
  for (int b = bits; b > 0; --b) script.push_back({3, {0, 1, 2}, 0, 0, b, b - 1});
  return script;
}

// The picture's colours as inks (4 bytes a pixel), black where it is dark.
std::vector<std::uint8_t> Inks(const Picture& picture) {
  std::vector<std::uint8_t> cmyk;
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    const std::uint8_t* p = &picture.rgb[i];
    cmyk.insert(cmyk.end(), {p[0], p[1], p[2], std::uint8_t(128 + p[0] / 2)});
  }
  return cmyk;
}

// The picture as thumbnails get it: the file decoded at 1/8.
std::unique_ptr<DibBitmap> EighthOf(const std::filesystem::path& file, int width, int height) {
  PictureLoader loader(file.string());
  StdPicture picture = loader.Load((width + 7) / 8, (height + 7) / 8);
  EXPECT_EQ(picture.Scale().Denominator, 8);
  auto bitmap = DibBitmap::Create(picture.Bitmap()->Width(), picture.Bitmap()->Height());
  std::memcpy(bitmap->Bits(), picture.Bitmap()->Bits(), bitmap->SizeInBytes());
  return bitmap;
}

// The mean of a channel's differences (0 red, 1 green, 2 blue) between two
// bitmaps of one size: how much darker or lighter the first is.
double MeanDifference(const DibBitmap& a, const DibBitmap& b, int channel) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const Rgb p = PixelOf(a, x, y), q = PixelOf(b, x, y);
      sum += channel == 0 ? p.red - q.red : channel == 1 ? p.green - q.green : p.blue - q.blue;
    }
  }
  return sum / (double(a.Width()) * a.Height());
}

// Against the exact area average of the full-size decode, the 1/8 picture
// from the DC scans is as good as the full decode allows, and no darker or
// lighter (a DC short of its lowest bit is put at the middle of what it
// may be): whether the DC comes whole, or its lowest bit comes only after
// the detail (as TurboJPEG and jpegtran write progressive files), or more
// bits do (read on). It is the picture that libjpeg's own 1/8 decode gives
// of the same coefficients written as a sequential file (colour blocks kept
// apart, not blended), whatever the sampling, coding or fill bytes.
TEST(ProgressiveDc, EighthFromTheDcScansMatchesTheAreaAverageOfTheFullDecode) {
  TempFolder folder;
  const Picture photo = Photo(800, 600, 3);
  const Picture small = Photo(256, 192, 4);
  auto sampled = [](int quality, const int(&sampling)[3][2]) {
    Encoding encoding{.quality = quality, .script = {}};
    std::memcpy(encoding.sampling, sampling, sizeof encoding.sampling);
    return encoding;
  };
  struct Case {
    const char* rule;
    Picture picture;
    std::string jpeg;
    // The least PSNR against the area average of the full decode, which is
    // no reference where the full decode's upsampling blurs sharp colour
    // edges that each block at 1/8 keeps (0); nor is it exact where colour
    // is stored at a quarter of the resolution along a side.
    double areaPsnr = 45;
  };
  const Case cases[] = {
      {"DC whole in its first scan", photo, Encode(photo, {.script = DcThenDetail(0)})},
      {"lowest DC bit after the detail, fine quantisation", photo,
       EncodeJpeg(photo, 95, TJSAMP_420, TJFLAG_PROGRESSIVE)},
      {"lowest DC bit after the detail, DC step exactly 4", photo,
       Encode(photo, {.quality = 88, .script = DcThenDetail(1)})},
      {"lowest DC bit after the detail, coarse quantisation: read on", photo,
       EncodeJpeg(photo, 75, TJSAMP_420, TJFLAG_PROGRESSIVE)},
      {"three DC bits after the detail are read", photo,
       Encode(photo, {.quality = 75, .script = DcThenDetail(3)})},
      {"CMYK", photo, EncodeCmykJpeg(Inks(photo), 800, 600, TJFLAG_PROGRESSIVE)},
      {"greyscale", photo, EncodeJpeg(photo, 90, TJSAMP_GRAY, TJFLAG_PROGRESSIVE)},
      {"stripes 16 wide, 4:2:0", Stripes(16, 0),
       EncodeJpeg(Stripes(16, 0), 90, TJSAMP_420, TJFLAG_PROGRESSIVE), 0},
      {"stripes 32 wide, 4:2:0", Stripes(32, 0),
       EncodeJpeg(Stripes(32, 0), 90, TJSAMP_420, TJFLAG_PROGRESSIVE), 0},
      {"stripes 16 wide, 4:2:0, read on", Stripes(16, 0),
       EncodeJpeg(Stripes(16, 0), 75, TJSAMP_420, TJFLAG_PROGRESSIVE), 0},
      {"checkerboard 16, 4:2:0", Stripes(16, 2),
       EncodeJpeg(Stripes(16, 2), 90, TJSAMP_420, TJFLAG_PROGRESSIVE), 0},
      {"stripes 16 wide, 4:2:2", Stripes(16, 0),
       EncodeJpeg(Stripes(16, 0), 90, TJSAMP_422, TJFLAG_PROGRESSIVE), 0},
      {"checkerboard 16, 4:2:2", Stripes(16, 2),
       EncodeJpeg(Stripes(16, 2), 90, TJSAMP_422, TJFLAG_PROGRESSIVE), 0},
      {"stripes 16 high, 4:4:0", Stripes(16, 1),
       EncodeJpeg(Stripes(16, 1), 90, TJSAMP_440, TJFLAG_PROGRESSIVE), 0},
      {"checkerboard 16, 4:4:0", Stripes(16, 2),
       EncodeJpeg(Stripes(16, 2), 90, TJSAMP_440, TJFLAG_PROGRESSIVE), 0},
      {"fill bytes before the restart markers", photo,
       WithFillBytes(Encode(photo, {.quality = 95, .script = {}, .restartInterval = 3}), 2)},
      {"arithmetic-coded, with unused Huffman tables", photo,
       WithUnusedHuffmanTables(Encode(photo, {.quality = 95, .script = {}, .arithmetic = true}))},
      {"sampling 3 x 1", photo, Encode(photo, sampled(95, {{3, 1}, {1, 1}, {1, 1}})), 40},
      {"sampling 1 x 4", photo, Encode(photo, sampled(95, {{1, 4}, {1, 1}, {1, 1}})), 40},
      {"sampling 4 x 2", photo, Encode(photo, sampled(95, {{4, 2}, {1, 1}, {1, 1}})), 40},
      {"sampling 2 x 2, 1 x 1, 2 x 2", photo, Encode(photo, sampled(95, {{2, 2}, {1, 1}, {2, 2}})),
       40},
      {"sampling 3 x 1, read on", photo, Encode(photo, sampled(75, {{3, 1}, {1, 1}, {1, 1}})), 40},
  };
  for (const Case& c : cases) {
    const int width = c.picture.width, height = c.picture.height;
    const auto file = folder.write("p.jpg", c.jpeg);
    const auto eighth = EighthOf(file, width, height);
    const StdPicture full = PictureLoader::LoadPicture(file.string());
    const auto exact = ReferenceAreaAverage(*full.Bitmap(), eighth->Width(), eighth->Height());
    const auto copy = EighthOf(folder.write("copy.jpg", BaselineCopy(c.jpeg)), width, height);
    EXPECT_GE(Psnr(*eighth, *copy), 40) << "against the baseline copy: " << c.rule;
    if (c.areaPsnr == 0) continue;
    EXPECT_GE(Psnr(*eighth, *exact), c.areaPsnr) << c.rule;
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_LE(std::abs(MeanDifference(*eighth, *exact, channel)), 0.3)
          << "channel " << channel << ": " << c.rule;
    }
  }
}

// Nothing after the DC scans is read: garbage in place of the detail scans
// changes no pixel, whether the DC comes whole or, finely quantised (a step
// of up to 4), short of its lowest bit, or comes in several scans read on
// to the first of colour detail, which shows at 1/8. A file cut short in
// its DC scan gives the rows that are there.
TEST(ProgressiveDc, OnlyTheDcScansAreRead) {
  TempFolder folder;
  const Picture photo = Photo(320, 240, 7);
  // Two DC bits left out, sent after the first scan, then the colour detail.
  const std::vector<jpeg_scan_info> colourAfterDc{
      {3, {0, 1, 2}, 0, 0, 0, 2}, {3, {0, 1, 2}, 0, 0, 2, 1}, {3, {0, 1, 2}, 0, 0, 1, 0},
      {1, {1}, 1, 63, 0, 0},      {1, {2}, 1, 63, 0, 0},      {1, {0}, 1, 63, 0, 0}};
  struct Case {
    const char* rule;
    std::string jpeg;
    int dcScans = 1;
  };
  const Case cases[] = {
      {"DC whole", Encode(photo, {.script = DcThenDetail(0)})},
      {"DC short of a bit worth under a level",
       Encode(photo, {.quality = 95, .script = DcThenDetail(1)})},
      {"DC step exactly 4, short of its lowest bit",
       Encode(photo, {.quality = 88, .script = DcThenDetail(1)})},
      {"DC in three scans, then colour detail", Encode(photo, {.script = colourAfterDc}), 3},
  };
  for (const Case& c : cases) {
    const auto whole = EighthOf(folder.write("whole.jpg", c.jpeg), 320, 240);
    const std::size_t firstScan = c.jpeg.find("\xFF\xDA");
    std::size_t detail = firstScan;
    for (int scan = 0; scan < c.dcScans; ++scan) detail = c.jpeg.find("\xFF\xDA", detail + 2);
    std::string garbage = c.jpeg;
    for (std::size_t i = detail + 20; i < garbage.size() - 2; ++i) garbage[i] = char(i * 37);
    EXPECT_EQ(MaxDifference(*EighthOf(folder.write("garbage.jpg", garbage), 320, 240), *whole), 0)
        << c.rule;
    if (c.dcScans > 1) continue;  // a cut in the first of them leaves every row coarse

    const std::string cut = c.jpeg.substr(0, firstScan + (detail - firstScan) * 6 / 10);
    const auto part = EighthOf(folder.write("cut.jpg", cut), 320, 240);
    const Picture top = Make(40, 6, [&](int x, int y) { return PictureOf(*whole).At(x, y); });
    // (Within a level: the smoothing of the blocks next to the cut differs.)
    EXPECT_LE(MaxDifference(*part, top), 1) << "the rows before the cut: " << c.rule;
  }
}

// A DC scan repeated a thousand times: each is a pass over every block, so
// the scans are counted as TurboJPEG counts them.
TEST(ProgressiveDc, AFloodOfDcScansIsRefused) {
  TempFolder folder;
  // (Its first DC scan leaves two bits out, so the scans after it are read.)
  const std::string jpeg = Encode(Photo(64, 64), {.script = DcThenDetail(2)});
  const std::size_t firstScan = jpeg.find("\xFF\xDA");
  const std::size_t detail = jpeg.find("\xFF\xDA", firstScan + 2);
  std::string flood = jpeg.substr(0, detail);
  for (int i = 0; i < 1000; ++i) flood += jpeg.substr(firstScan, detail - firstScan);
  const auto file = folder.write("flood.jpg", flood + jpeg.substr(detail));
  EXPECT_RUNTIME_ERROR(PictureLoader(file.string()).Load(8, 8), platform::kInvalidPicture,
                       "tesselet.PictureLoader",
                       "Invalid picture: " + file.string() +
                           " (the JPEG data cannot be decoded: Progressive JPEG image has more "
                           "than 500 scans)");
}

}  // namespace
