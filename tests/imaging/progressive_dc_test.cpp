#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "tesselet/imaging/PictureLoader.h"
#include "tests/imaging/ReferenceAreaAverage.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/ExpectRunTimeError.h"
#include "tests/support/TempFolder.h"

using namespace imaging;

namespace {

using namespace test_pictures;

// A 4:2:0 progressive JPEG whose scans follow the script: each row names
// the components, the coefficients (first, last) and the bits left out
// before (high) and after (low) the scan.
std::string EncodeWithScans(const Picture& picture, int quality,
                            const std::vector<jpeg_scan_info>& script) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = JDIMENSION(picture.width);
  info.image_height = JDIMENSION(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.scan_info = script.data();
  info.num_scans = int(script.size());
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        &picture.rgb[std::size_t(info.next_scanline) * 3 * std::size_t(picture.width)]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<char*>(out), size);
  std::free(out);
  return bytes;
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

// Against the exact area average of the full-size decode, the 1/8 picture
// from the DC scans is as good as the full decode allows: whether the DC
// comes whole, or its lowest bit comes only after the detail (as TurboJPEG
// and jpegtran write progressive files), or more bits do (read on).
TEST(ProgressiveDc, EighthFromTheDcScansMatchesTheAreaAverageOfTheFullDecode) {
  TempFolder folder;
  const Picture photo = Photo(800, 600, 3);
  struct Case {
    const char* rule;
    std::string jpeg;
  };
  const Case cases[] = {
      {"DC whole in its first scan", EncodeWithScans(photo, 90, DcThenDetail(0))},
      {"lowest DC bit after the detail, fine quantisation",
       EncodeJpeg(photo, 95, TJSAMP_420, TJFLAG_PROGRESSIVE)},
      {"lowest DC bit after the detail, coarse quantisation: read on",
       EncodeJpeg(photo, 75, TJSAMP_420, TJFLAG_PROGRESSIVE)},
      {"three DC bits after the detail are read", EncodeWithScans(photo, 75, DcThenDetail(3))},
      {"CMYK", EncodeCmykJpeg(Inks(photo), 800, 600, TJFLAG_PROGRESSIVE)},
      {"greyscale", EncodeJpeg(photo, 90, TJSAMP_GRAY, TJFLAG_PROGRESSIVE)},
  };
  for (const Case& c : cases) {
    const auto file = folder.write("p.jpg", c.jpeg);
    const auto eighth = EighthOf(file, 800, 600);
    const StdPicture full = PictureLoader::LoadPicture(file.string());
    const auto exact = ReferenceAreaAverage(*full.Bitmap(), eighth->Width(), eighth->Height());
    EXPECT_GE(Psnr(*eighth, *exact), 45) << c.rule;
  }
}

// Nothing after the DC scans is read: garbage in place of the detail scans
// changes no pixel, whether the DC comes whole or, finely quantised, short
// of its lowest bit. A file cut short in its DC scan gives the rows that
// are there.
TEST(ProgressiveDc, OnlyTheDcScansAreRead) {
  TempFolder folder;
  const Picture photo = Photo(320, 240, 7);
  struct Case {
    const char* rule;
    std::string jpeg;
  };
  const Case cases[] = {
      {"DC whole", EncodeWithScans(photo, 90, DcThenDetail(0))},
      {"DC short of a bit worth under a level", EncodeWithScans(photo, 95, DcThenDetail(1))},
  };
  for (const Case& c : cases) {
    const auto whole = EighthOf(folder.write("whole.jpg", c.jpeg), 320, 240);
    const std::size_t firstScan = c.jpeg.find("\xFF\xDA");
    const std::size_t detail = c.jpeg.find("\xFF\xDA", firstScan + 2);
    std::string garbage = c.jpeg;
    for (std::size_t i = detail + 20; i < garbage.size() - 2; ++i) garbage[i] = char(i * 37);
    EXPECT_EQ(MaxDifference(*EighthOf(folder.write("garbage.jpg", garbage), 320, 240), *whole), 0)
        << c.rule;

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
  const std::string jpeg = EncodeWithScans(Photo(64, 64), 90, DcThenDetail(2));
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
