#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/pixels/cDIBSection.h"
#include "tests/support/ExpectRunTimeError.h"

using namespace imaging::pixels;

namespace {

// A buffer filled memory row by memory row from the rows given (each row
// lists its bytes blue, green, red, pixel by pixel); padding becomes 0xEE.
std::unique_ptr<cDIBSection> BufferOf(int width, const std::vector<std::vector<int>>& memoryRows) {
  auto dib = std::make_unique<cDIBSection>();
  EXPECT_TRUE(dib->Create(width, int(memoryRows.size())));
  const int stride = dib->BytesPerScanLine();
  for (std::size_t row = 0; row < memoryRows.size(); ++row) {
    for (int byte = 0; byte < stride; ++byte) {
      dib->DIBSectionBitsPtr()[row * stride + byte] =
          byte < 3 * width ? std::uint8_t(memoryRows[row][std::size_t(byte)]) : 0xEE;
    }
  }
  return dib;
}

std::vector<int> MemoryRow(const cDIBSection& dib, int row) {
  const std::uint8_t* start = dib.DIBSectionBitsPtr() + row * dib.BytesPerScanLine();
  return std::vector<int>(start, start + 3 * dib.Width());
}

std::vector<int> Grey(std::initializer_list<int> values) {
  std::vector<int> bytes;
  for (const int value : values) bytes.insert(bytes.end(), {value, value, value});
  return bytes;
}

}  // namespace

TEST(Resample, BlendsFromTheBottomLeftWithScaleFactorsOfSizeLessOne) {
  // Black left column, white right column; sx = 1/4, sy = 1/2.
  const auto source = BufferOf(2, {Grey({0, 255}), Grey({0, 255})});
  const auto wider = source->Resample(2, 4);
  ASSERT_NE(wider, nullptr);
  EXPECT_EQ(wider->Width(), 4);
  EXPECT_EQ(wider->Height(), 2);
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(MemoryRow(*wider, row), Grey({0, 64, 128, 191}))
        << "127.5 rounds to the even 128; the last column never reaches 255";
  }
}

TEST(Resample, RoundsHalvesToEvenInBothSteps) {
  const struct {
    const char* rule;
    int left, right, expected;
  } rows[] = {
      {"halfway between 2 and 3 gives 2", 2, 3, 2},
      {"halfway between 1 and 2 gives 2", 1, 2, 2},
      {"halfway between 0 and 255 gives 128", 0, 255, 128},
  };
  for (const auto& row : rows) {
    // Horizontal step: 2 x 2 to 2 x 2 would copy, so go to width 4 (wx = 0.25,
    // 0.5 at column 2) with equal rows.
    const auto source = BufferOf(2, {Grey({row.left, row.right}), Grey({row.left, row.right})});
    const auto across = source->Resample(2, 4);
    ASSERT_NE(across, nullptr);
    EXPECT_EQ(MemoryRow(*across, 0)[6], row.expected) << row.rule << " (across)";

    // Vertical step: 3 rows to 4 rows gives sy = 0.5, so row 1 blends rows 0 and 1 halfway.
    const auto tall = BufferOf(2, {Grey({row.left, row.left}), Grey({row.right, row.right}),
                                   Grey({row.right, row.right})});
    const auto down = tall->Resample(4, 1);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(MemoryRow(*down, 1)[0], row.expected) << row.rule << " (down)";
  }
}

TEST(Resample, RoundsOnceAfterEachBlend) {
  // 2 x 2 to 4 x 4: sx = sy = 0.25. Memory row 1 blends rows 0 and 1 by a
  // quarter: 0.5 -> 0 and 2.5 -> 2. Column 1 then takes a quarter of the way
  // from 0 to 2: 0.5 -> 0. Blending without the first rounding would give 1.
  const auto source = BufferOf(2, {Grey({0, 2}), Grey({2, 4})});
  const auto result = source->Resample(4, 4);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(MemoryRow(*result, 2), Grey({1, 2, 2, 2}));
  EXPECT_EQ(MemoryRow(*result, 1), Grey({0, 0, 1, 2}));
}

TEST(Resample, ThreeByThreeToTwoByTwoPicksTheFirstPixels) {
  const auto source = BufferOf(3, {{1, 2, 3, 4, 5, 6, 7, 8, 9},
                                   {11, 12, 13, 14, 15, 16, 17, 18, 19},
                                   {21, 22, 23, 24, 25, 26, 27, 28, 29}});
  const auto result = source->Resample(2, 2);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(MemoryRow(*result, 0), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(MemoryRow(*result, 1), (std::vector<int>{11, 12, 13, 14, 15, 16}));
}

TEST(Resample, TheSameSizeIsAnExactCopyAndOtherBuffersAreUntouched) {
  std::vector<std::vector<int>> rows;
  for (int row = 0; row < 4; ++row) {
    std::vector<int> bytes;
    for (int byte = 0; byte < 15; ++byte) bytes.push_back((row * 97 + byte * 31) % 256);
    rows.push_back(bytes);
  }
  const auto source = BufferOf(5, rows);
  const auto copy = source->Resample(4, 5);
  ASSERT_NE(copy, nullptr);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(MemoryRow(*copy, row), rows[std::size_t(row)]);
  EXPECT_NE(copy->DIBSectionBitsPtr(), source->DIBSectionBitsPtr());

  const auto smaller = source->Resample(3, 2);
  ASSERT_NE(smaller, nullptr);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(smaller->DIBSectionBitsPtr()[row * 8 + 6], 0) << "destination padding not written";
    EXPECT_EQ(smaller->DIBSectionBitsPtr()[row * 8 + 7], 0);
  }
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(MemoryRow(*source, row), rows[std::size_t(row)]) << "the source is only read";
    EXPECT_EQ(source->DIBSectionBitsPtr()[row * 16 + 15], 0xEE);
  }
}

TEST(Resample, AOnePixelSourceOnlyCopiesToItsOwnSize) {
  const struct {
    int width, height, newWidth, newHeight;
  } rows[] = {{1, 3, 2, 3}, {3, 1, 3, 2}, {1, 1, 2, 2}, {1, 4, 1, 2}};
  for (const auto& row : rows) {
    std::vector<std::vector<int>> bytes(std::size_t(row.height),
                                        std::vector<int>(3 * row.width, 9));
    const auto source = BufferOf(row.width, bytes);
    SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height));
    std::unique_ptr<cDIBSection> result;
    EXPECT_RUNTIME_ERROR(result = source->Resample(row.newHeight, row.newWidth), 9,
                         "tesselet.cDIBSection", "Subscript out of range");
    EXPECT_EQ(result, nullptr);
    EXPECT_NE(source->Resample(row.height, row.width), nullptr) << "its own size is a copy";
  }
}

TEST(Resample, NoBufferWhenTheTargetCannotBeMade) {
  const auto source = BufferOf(2, {Grey({1, 2}), Grey({3, 4})});
  EXPECT_EQ(source->Resample(0, 5), nullptr);
  EXPECT_EQ(source->Resample(5, -1), nullptr);
  EXPECT_EQ(source->Resample(20000, 20000), nullptr) << "over the allocation bound";
  cDIBSection empty;
  SCOPED_TRACE("an empty source has no rows to read, and is never read through");
  EXPECT_RUNTIME_ERROR(empty.Resample(2, 2), 9, "tesselet.cDIBSection", "Subscript out of range");
}
