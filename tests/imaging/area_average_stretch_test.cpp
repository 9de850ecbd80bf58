#include <gtest/gtest.h>

#include <cstring>

#include "tesselet/imaging/AreaAverageStretch.h"
#include "tesselet/imaging/DibBitmap.h"
#include "tests/imaging/TestPictures.h"

using namespace imaging;

namespace {

using test_pictures::PixelOf;

// A bitmap of grey levels given from the top row down.
std::unique_ptr<DibBitmap> Grey(int width, int height, std::initializer_list<int> levels) {
  auto bitmap = DibBitmap::Create(width, height);
  int i = 0;
  for (int level : levels) {
    const int x = i % width, y = i / width;
    std::uint8_t* p = bitmap->Bits() + std::size_t(height - 1 - y) * bitmap->Stride() + 3 * x;
    p[0] = p[1] = p[2] = std::uint8_t(level);
    ++i;
  }
  return bitmap;
}

std::vector<int> Levels(const DibBitmap& bitmap) {
  std::vector<int> levels;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) levels.push_back(PixelOf(bitmap, x, y).green);
  }
  return levels;
}

struct StretchCase {
  const char* rule;
  int sourceWidth, sourceHeight;
  std::initializer_list<int> source;
  double unit;
  int fullWidth, fullHeight, targetWidth, targetHeight;
  std::vector<int> expected;
};

TEST(AreaAverageStretch, EachPixelIsTheMeanOfTheAreaItCovers) {
  const StretchCase cases[] = {
      {"2 x 2 to 1 x 1 is the mean", 2, 2, {0, 100, 200, 100}, 1, 2, 2, 1, 1, {100}},
      {"rows reduce from the top down", 1, 4, {10, 20, 100, 200}, 1, 1, 4, 1, 2, {15, 150}},
      {"a border pixel counts by its share: (30 + 60 / 2) / 1.5 = 40, (60 / 2 + 90) / 1.5 = 80",
       3,
       1,
       {30, 60, 90},
       1,
       3,
       1,
       2,
       1,
       {40, 80}},
      {"a mean of 0.5 rounds to the even 0", 2, 1, {0, 1}, 1, 2, 1, 1, 1, {0}},
      {"a mean of 1.5 rounds to the even 2", 2, 1, {1, 2}, 1, 2, 1, 1, 1, {2}},
      {"enlarging takes the area under each pixel", 2, 1, {0, 90}, 1, 2, 1, 4, 1, {0, 0, 90, 90}},
      {"enlarging by 1.5 mixes at the border only", 2, 1, {0, 90}, 1, 2, 1, 3, 1, {0, 45, 90}},
      // A 20-pixel side decoded at 1/8 gives 3 pixels; the last stands for
      // 4 pixels only, so two halves of 10 take (8 x 0 + 2 x 80) / 10 and
      // (6 x 80 + 4 x 200) / 10.
      {"a reduced decode's short last pixel counts for what it covers",
       3,
       1,
       {0, 80, 200},
       8,
       20,
       1,
       2,
       1,
       {16, 128}},
      {"the same along the rows", 1, 3, {0, 80, 200}, 8, 1, 20, 1, 2, {16, 128}},
  };
  for (const StretchCase& c : cases) {
    auto source = Grey(c.sourceWidth, c.sourceHeight, c.source);
    auto target = DibBitmap::Create(c.targetWidth, c.targetHeight);
    AreaAverageStretch::Stretch(*source, c.unit, c.fullWidth, c.fullHeight, *target);
    EXPECT_EQ(Levels(*target), c.expected) << c.rule;
  }
}

TEST(AreaAverageStretch, SameSizeCopiesEveryPixelAndLeavesPaddingAlone) {
  const auto photo = test_pictures::Photo(5, 3);
  auto source = DibBitmap::Create(5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      std::uint8_t* p = source->Bits() + std::size_t(2 - y) * source->Stride() + 3 * x;
      const auto c = photo.At(x, y);
      p[0] = std::uint8_t(c.blue), p[1] = std::uint8_t(c.green), p[2] = std::uint8_t(c.red);
    }
  }
  auto target = DibBitmap::Create(5, 3);
  std::memset(target->Bits(), 0xAB, target->SizeInBytes());
  AreaAverageStretch::Stretch(*source, *target);
  EXPECT_EQ(test_pictures::MaxDifference(*source, *target), 0) << "a 1:1 stretch is an exact copy";
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(target->Bits()[row * target->Stride() + 15], 0xAB) << "row padding is not a pixel";
  }
}

TEST(AreaAverageStretch, ChannelsStaySeparate) {
  auto source = DibBitmap::Create(2, 1);
  const std::uint8_t pixels[] = {10, 20, 30, 50, 60, 70};
  std::memcpy(source->Bits(), pixels, 6);
  auto target = DibBitmap::Create(1, 1);
  AreaAverageStretch::Stretch(*source, *target);
  EXPECT_EQ(target->Bits()[0], 30);
  EXPECT_EQ(target->Bits()[1], 40);
  EXPECT_EQ(target->Bits()[2], 50);
}

}  // namespace
