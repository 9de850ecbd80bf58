#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imaging/pixels/AreaAverageStretch.h"
#include "imaging/pixels/DibBitmap.h"
#include "tests/imaging/ReferenceAreaAverage.h"
#include "tests/imaging/TestPictures.h"

using namespace imaging::pixels;

namespace {

using namespace test_pictures;

// A bitmap of grey levels given from the top row down.
std::unique_ptr<DibBitmap> Grey(int width, int height, const std::vector<int>& levels) {
  return BitmapOf(Make(width, height, [&](int x, int y) {
    const int level = levels[std::size_t(y * width + x)];
    return Rgb{level, level, level};
  }));
}

std::vector<int> Levels(const DibBitmap& bitmap) {
  std::vector<int> levels;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) levels.push_back(PixelOf(bitmap, x, y).green);
  }
  return levels;
}

// A target whose every byte is 0xAB, so a level of 0 must have been drawn.
std::unique_ptr<DibBitmap> Target(int width, int height) {
  auto target = DibBitmap::Create(width, height);
  std::memset(target->Bits(), 0xAB, target->SizeInBytes());
  return target;
}

struct StretchCase {
  const char* rule;
  int sourceWidth, sourceHeight;
  std::vector<int> source;
  DecodeScale scale;
  int fullWidth, fullHeight, targetWidth, targetHeight;
  std::vector<int> expected;
};

TEST(AreaAverageStretch, EachPixelIsTheMeanOfTheAreaItCovers) {
  const DecodeScale whole{1, 1}, eighth{1, 8};
  const StretchCase cases[] = {
      {"2 x 2 to 1 x 1 is the mean", 2, 2, {0, 100, 200, 100}, whole, 2, 2, 1, 1, {100}},
      {"rows reduce from the top down", 1, 4, {10, 20, 100, 200}, whole, 1, 4, 1, 2, {15, 150}},
      {"a border pixel counts by its share: (30 + 60 / 2) / 1.5 = 40, (60 / 2 + 90) / 1.5 = 80",
       3,
       1,
       {30, 60, 90},
       whole,
       3,
       1,
       2,
       1,
       {40, 80}},
      {"a mean of 0.5 rounds to the even 0", 2, 1, {0, 1}, whole, 2, 1, 1, 1, {0}},
      {"a mean of 1.5 rounds to the even 2", 2, 1, {1, 2}, whole, 2, 1, 1, 1, {2}},
      // Thirds and quarters have no exact binary fraction: summed in single
      // precision these came out 1 and 3.
      {"an exact 1.5 over thirds and quarters rounds to the even 2",
       3,
       4,
       {1, 2, 1, 0, 3, 2, 3, 3, 1, 0, 1, 1},
       whole,
       3,
       4,
       1,
       1,
       {2}},
      {"an exact 2.5 over thirds and quarters rounds to the even 2",
       3,
       4,
       {3, 3, 3, 3, 2, 3, 3, 3, 2, 2, 3, 0},
       whole,
       3,
       4,
       1,
       1,
       {2}},
      {"enlarging takes the area under each pixel",
       2,
       1,
       {0, 90},
       whole,
       2,
       1,
       4,
       1,
       {0, 0, 90, 90}},
      {"enlarging by 1.5 mixes at the border only", 2, 1, {0, 90}, whole, 2, 1, 3, 1, {0, 45, 90}},
      // A 20-pixel side decoded at 1/8 gives 3 pixels; the last stands for
      // 4 pixels only, so two halves of 10 take (8 x 0 + 2 x 80) / 10 and
      // (6 x 80 + 4 x 200) / 10.
      {"a reduced decode's short last pixel counts for what it covers",
       3,
       1,
       {0, 80, 200},
       eighth,
       20,
       1,
       2,
       1,
       {16, 128}},
      {"the same along the rows", 1, 3, {0, 80, 200}, eighth, 1, 20, 1, 2, {16, 128}},
      // 3/8 of 8 pixels is 3, each standing for 8/3: the target halves of 4
      // take (8/3 x 10 + 4/3 x 100) / 4 = 40 and (4/3 x 100 + 8/3 x 200) / 4.
      {"a scale of 3/8 measures in thirds", 3, 1, {10, 100, 200}, {3, 8}, 8, 1, 2, 1, {40, 167}},
  };
  for (const StretchCase& c : cases) {
    auto source = Grey(c.sourceWidth, c.sourceHeight, c.source);
    auto target = Target(c.targetWidth, c.targetHeight);
    AreaAverageStretch::Stretch(*source, c.scale, c.fullWidth, c.fullHeight, *target);
    EXPECT_EQ(Levels(*target), c.expected) << c.rule;
  }
}

// Sizes and levels drawn at random, few levels so that exact halves are
// common; an independent, slow, exact area average says what is right.
TEST(AreaAverageStretch, AgreesExactlyWithAPlainAreaAverage) {
  std::mt19937 random(9);
  for (int round = 0; round < 400; ++round) {
    const int width = 1 + int(random() % 13), height = 1 + int(random() % 11);
    const int targetWidth = 1 + int(random() % 9), targetHeight = 1 + int(random() % 9);
    const int levels = round % 2 ? 4 : 256;
    const auto source = BitmapOf(Make(width, height, [&](int, int) {
      return Rgb{int(random() % levels), int(random() % levels), int(random() % levels)};
    }));
    auto target = Target(targetWidth, targetHeight);
    AreaAverageStretch::Stretch(*source, *target);
    EXPECT_EQ(MaxDifference(*target, *ReferenceAreaAverage(*source, targetWidth, targetHeight)), 0)
        << width << " x " << height << " to " << targetWidth << " x " << targetHeight;
  }
}

TEST(AreaAverageStretch, SameSizeCopiesEveryPixelAndLeavesPaddingAlone) {
  const auto source = BitmapOf(Photo(5, 3));
  auto target = Target(5, 3);
  AreaAverageStretch::Stretch(*source, *target);
  EXPECT_EQ(MaxDifference(*source, *target), 0) << "a 1:1 stretch is an exact copy";
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
