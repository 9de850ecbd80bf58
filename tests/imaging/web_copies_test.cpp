#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "imaging/pixels/AreaAverageStretch.h"
#include "imaging/reading/PictureLoader.h"
#include "imaging/thumbnail/WebCopies.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/TempFolder.h"

using namespace imaging::pixels;
using namespace imaging::reading;
using namespace imaging::thumbnail;

namespace {

using namespace test_pictures;

// A segment put right after the start marker.
std::string WithSegment(const std::string& jpeg, int marker, const std::string& payload) {
  const std::size_t length = payload.size() + 2;
  const std::string segment = {char(0xFF), char(marker), char(length >> 8), char(length & 0xFF)};
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

// An ICC chunk: numbered from 1, of `count`.
std::string ProfileChunk(int number, int count, const std::string& bytes) {
  return std::string("ICC_PROFILE\0", 12) + char(number) + char(count) + bytes;
}

// Some profile bytes: the writer and reader do not look inside.
std::string ProfileBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t k = 0; k < size; ++k) bytes[k] = char(k * 7 % 251);
  return bytes;
}

// EXIF with the orientation, the camera's make and a GPS directory: what a
// phone's photo carries and a published copy must not.
std::string WithCameraExif(const std::string& jpeg, int orientation) {
  auto u16 = [](int v) { return std::string{char(v >> 8), char(v & 0xFF)}; };
  auto u32 = [&](int v) { return u16(0) + u16(v); };
  std::string tiff = "MM" + u16(42) + u32(8);
  // At 8: three entries (make, orientation, GPS directory), then the GPS
  // directory at 8 + 2 + 3 x 12 + 4 = 50 and the make's text after it.
  tiff += u16(3);
  tiff += u16(0x010F) + u16(2) + u32(10) + u32(50 + 2 + 12 + 4);
  tiff += u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0);
  tiff += u16(0x8825) + u16(4) + u32(1) + u32(50);
  tiff += u32(0);
  tiff += u16(1) + u16(0x0001) + u16(2) + u32(2) + std::string("N\0\0\0", 4) + u32(0);
  tiff += std::string("SecretCam", 10);
  return test_jpeg::WithExif(jpeg, tiff);
}

// A copy as libjpeg reads it, apart from ours.
struct ReadCopy {
  int width = 0, height = 0;
  bool progressive = false;
  std::vector<int> markers;  // the APP and COM segments it carries
  std::string profile;
  std::unique_ptr<DibBitmap> pixels;

  explicit ReadCopy(const std::string& bytes) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_save_markers(&info, JPEG_COM, 0xFFFF);
    for (int m = 0; m < 16; ++m) jpeg_save_markers(&info, JPEG_APP0 + m, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    width = int(info.image_width);
    height = int(info.image_height);
    progressive = info.progressive_mode;
    for (auto* marker = info.marker_list; marker; marker = marker->next)
      markers.push_back(marker->marker);
    JOCTET* icc = nullptr;
    unsigned int iccSize = 0;
    if (jpeg_read_icc_profile(&info, &icc, &iccSize)) {
      profile.assign(reinterpret_cast<char*>(icc), iccSize);
      std::free(icc);
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    pixels = DibBitmap::Create(width, height);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels->RowFromTop(int(info.output_scanline));
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
  }
};

TEST(WebCopies, UprightProgressiveAtTheirSizesWithTheProfileAndNoCameraData) {
  TempFolder folder;
  const struct {
    const char* rule;
    int width, height;  // as shown
    int orientation;
    std::size_t profileBytes;  // 0: none
    std::vector<PixelSize> sizes;
  } rows[] = {
      {"a phone photo stored turned, decoded at 7/8",
       1600,
       2400,
       6,
       3000,
       {{1365, 2048}, {683, 1024}, {160, 240}}},
      {"a profile larger than one segment holds",
       900,
       300,
       1,
       150'000,
       {{900, 300}, {900, 300}, {240, 80}}},
      {"a small picture is never enlarged", 100, 60, 8, 0, {{100, 60}, {100, 60}, {100, 60}}},
  };
  for (const auto& row : rows) {
    const Picture upright = Photo(row.width, row.height, 9);
    std::string file = WithCameraExif(
        EncodeJpeg(StoreWithOrientation(upright, row.orientation), 95), row.orientation);
    const std::string profile = ProfileBytes(row.profileBytes);
    for (std::size_t at = 0, number = 1, count = (profile.size() + 65518) / 65519;
         at < profile.size(); at += 65519, ++number) {
      // Each chunk goes after the start marker: the last first.
      const std::size_t last = count - number + 1;
      const std::size_t from = (last - 1) * 65519;
      file =
          WithSegment(file, 0xE2, ProfileChunk(int(last), int(count), profile.substr(from, 65519)));
    }
    PictureLoader loader(folder.write("p.jpg", file).string());
    const PixelSize decode = WebCopies::DecodeSize(loader.Width(), loader.Height());
    const std::vector<std::string> copies =
        WebCopies::Make(loader.Load(decode.Width, decode.Height), loader.ColourProfile());

    ASSERT_EQ(copies.size(), WebCopies::kLongSides.size()) << row.rule;
    const auto bitmap = BitmapOf(upright);
    for (std::size_t k = 0; k < copies.size(); ++k) {
      const std::string what = std::string(row.rule) + ", copy " + std::to_string(k);
      const ReadCopy copy(copies[k]);
      EXPECT_EQ(copy.width, row.sizes[k].Width) << what;
      EXPECT_EQ(copy.height, row.sizes[k].Height) << what;
      EXPECT_TRUE(copy.progressive) << what;
      EXPECT_EQ(copy.profile, profile) << what << ": the profile, whole, or none";
      for (const int marker : copy.markers) {
        EXPECT_TRUE(marker == JPEG_APP0 || marker == JPEG_APP0 + 2)
            << what << ": only the JFIF and profile segments, not " << marker;
      }
      EXPECT_EQ(copies[k].find("SecretCam"), std::string::npos) << what;
      auto expected = DibBitmap::Create(copy.width, copy.height);
      AreaAverageStretch::Stretch(*bitmap, *expected);
      // A turned or mirrored copy falls far below (about 15 dB).
      EXPECT_GE(Psnr(*copy.pixels, *expected), 32.0) << what << ": upright and true to the photo";
    }
  }
}

// A profile that is not whole would show wrong colours: none is kept.
TEST(PictureLoader, AColourProfileIsReadWholeOrNotAtAll) {
  TempFolder folder;
  const std::string jpeg = EncodeJpeg(Photo(16, 16), 90);
  struct Chunk {
    int number, count;
    std::string bytes;
  };
  const struct {
    const char* rule;
    std::vector<Chunk> chunks;  // in file order
    std::string profile;
  } rows[] = {
      {"none", {}, ""},
      {"one chunk", {{1, 1, "abc"}}, "abc"},
      {"chunks in any order", {{2, 3, "de"}, {3, 3, "f"}, {1, 3, "abc"}}, "abcdef"},
      {"one missing", {{1, 3, "abc"}, {3, 3, "f"}}, ""},
      {"one numbered twice", {{1, 2, "abc"}, {1, 2, "de"}}, ""},
      {"counts that disagree", {{1, 2, "abc"}, {2, 3, "de"}}, ""},
      {"numbered from 0", {{0, 1, "abc"}}, ""},
      {"numbered past the count", {{2, 1, "abc"}}, ""},
  };
  for (const auto& row : rows) {
    std::string file = jpeg;
    for (auto chunk = row.chunks.rbegin(); chunk != row.chunks.rend(); ++chunk)
      file = WithSegment(file, 0xE2, ProfileChunk(chunk->number, chunk->count, chunk->bytes));
    const PictureLoader loader(folder.write("p.jpg", file).string());
    EXPECT_EQ(std::string(loader.ColourProfile().begin(), loader.ColourProfile().end()),
              row.profile)
        << row.rule;
  }
}

}  // namespace
