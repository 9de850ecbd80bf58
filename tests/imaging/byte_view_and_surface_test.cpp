#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/pixels/DibByteView.h"
#include "imaging/pixels/DrawingSurface.h"
#include "tests/support/ExpectRunTimeError.h"

using namespace imaging::pixels;

namespace {

// A surface with a bitmap of its own, each pixel a distinct colour.
struct Canvas {
  std::unique_ptr<DibBitmap> bitmap;
  DrawingSurface surface;
  Canvas(int width, int height, bool patterned = true) : bitmap(DibBitmap::Create(width, height)) {
    surface.SelectObject(bitmap.get());
    for (int y = 0; y < height && patterned; ++y) {
      for (int x = 0; x < width; ++x) surface.SetPixel(x, y, Colour(x, y));
    }
  }
  static std::uint32_t Colour(int x, int y) { return std::uint32_t(0x100000 + y * 0x100 + x); }
};

}  // namespace

TEST(DibByteView, EveryIndexIsCheckedAgainstStrideAndRows) {
  std::vector<std::uint8_t> memory(8 * 3, 7);
  const DibByteView view(memory.data(), 8, 3);
  EXPECT_EQ(view(7, 2), 7) << "the last byte of the last row is inside";
  const struct {
    int byte, row;
  } outside[] = {{8, 0}, {-1, 0}, {0, 3}, {0, -1}, {INT32_MAX, INT32_MAX}};
  for (const auto& index : outside) {
    SCOPED_TRACE(std::to_string(index.byte) + "," + std::to_string(index.row));
    EXPECT_RUNTIME_ERROR(view(index.byte, index.row), 9, "tesselet.cDIBSection",
                         "Subscript out of range");
  }
  const DibByteView empty(nullptr, 8, 3);
  SCOPED_TRACE("no memory: no rows to read");
  EXPECT_RUNTIME_ERROR(empty(0, 0), 9, "tesselet.cDIBSection", "Subscript out of range");
}

TEST(DrawingSurface, BlockTransfersClipToBothBitmaps) {
  const struct {
    const char* rule;
    int destLeft, destTop, width, height, srcLeft, srcTop;
  } rows[] = {
      {"inside both", 1, 1, 2, 2, 0, 0},
      {"past the target's right and bottom", 3, 2, 10, 10, 0, 0},
      {"past the source's right and bottom", 0, 0, 10, 10, 3, 2},
      {"negative target origin", -2, -1, 4, 3, 0, 0},
      {"negative source origin", 0, 0, 4, 3, -2, -1},
      {"huge sizes do not overflow", 0, 0, INT32_MAX, INT32_MAX, INT32_MIN, 0},
  };
  for (const auto& row : rows) {
    Canvas source(5, 4);
    Canvas target(4, 3, false);
    EXPECT_TRUE(target.surface.BitBlt(row.destLeft, row.destTop, row.width, row.height,
                                      &source.surface, row.srcLeft, row.srcTop, SRCCOPY));
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        const std::int64_t sx = std::int64_t{x} - row.destLeft + row.srcLeft;
        const std::int64_t sy = std::int64_t{y} - row.destTop + row.srcTop;
        const bool inRectangle = x >= row.destLeft && y >= row.destTop &&
                                 x - std::int64_t{row.destLeft} < row.width &&
                                 y - std::int64_t{row.destTop} < row.height;
        const bool inSource = sx >= 0 && sy >= 0 && sx < 5 && sy < 4;
        const std::uint32_t expected =
            inRectangle && inSource ? Canvas::Colour(int(sx), int(sy)) : 0;
        EXPECT_EQ(target.surface.GetPixel(x, y), expected) << row.rule << " at " << x << "," << y;
      }
    }
  }
}

TEST(DrawingSurface, RasterOperationsCombineBytes) {
  const struct {
    RasterOperation rop;
    std::uint32_t expected;  // target 0x0F0F0F, source 0x00FF33
  } rows[] = {
      {SRCCOPY, 0x00FF33},    {SRCPAINT, 0x0FFF3F},  {SRCAND, 0x000F03},    {SRCINVERT, 0x0FF03C},
      {NOTSRCCOPY, 0xFF00CC}, {DSTINVERT, 0xF0F0F0}, {BLACKNESS, 0x000000}, {WHITENESS, 0xFFFFFF},
  };
  for (const auto& row : rows) {
    Canvas source(1, 1, false), target(1, 1, false);
    source.surface.SetPixel(0, 0, 0x00FF33);
    target.surface.SetPixel(0, 0, 0x0F0F0F);
    EXPECT_TRUE(target.surface.BitBlt(0, 0, 1, 1, &source.surface, 0, 0, row.rop));
    EXPECT_EQ(target.surface.GetPixel(0, 0), row.expected) << std::hex << row.rop;
  }
  Canvas target(1, 1, false);
  EXPECT_FALSE(target.surface.BitBlt(0, 0, 1, 1, &target.surface, 0, 0, RasterOperation(0x1234)))
      << "an unknown operation draws nothing";
  EXPECT_FALSE(target.surface.BitBlt(0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
  DrawingSurface unselected;
  EXPECT_FALSE(unselected.BitBlt(0, 0, 1, 1, &target.surface, 0, 0, SRCCOPY));
}

TEST(DrawingSurface, OverlappingCopiesWithinOneBitmapReadBeforeWriting) {
  for (const int shift : {1, -1}) {
    Canvas canvas(4, 4);
    Canvas original(4, 4);
    canvas.surface.BitBlt(shift, shift, 4, 4, &canvas.surface, 0, 0, SRCCOPY);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const int sx = x - shift, sy = y - shift;
        const bool moved = sx >= 0 && sy >= 0 && sx < 4 && sy < 4;
        EXPECT_EQ(canvas.surface.GetPixel(x, y),
                  moved ? Canvas::Colour(sx, sy) : original.surface.GetPixel(x, y))
            << "shift " << shift << " at " << x << "," << y;
      }
    }
  }
}

TEST(DrawingSurface, HalftoneStretchAveragesTheCoveredArea) {
  Canvas source(4, 2, false);
  // Left half: 0 and 100 in every channel; right half: 200 and 50.
  const std::uint32_t grey[] = {0x000000, 0x646464, 0xC8C8C8, 0x323232};
  for (int x = 0; x < 4; ++x) {
    source.surface.SetPixel(x, 0, grey[x]);
    source.surface.SetPixel(x, 1, grey[x]);
  }
  Canvas halves(2, 1, false);
  ASSERT_TRUE(halves.surface.StretchBltHalftone(0, 0, 2, 1, &source.surface, 0, 0, 4, 2));
  EXPECT_EQ(halves.surface.GetPixel(0, 0), 0x323232u) << "mean of 0 and 100";
  EXPECT_EQ(halves.surface.GetPixel(1, 0), 0x7D7D7Du) << "mean of 200 and 50";

  Canvas thirds(3, 1, false);
  ASSERT_TRUE(thirds.surface.StretchBltHalftone(0, 0, 3, 1, &source.surface, 0, 0, 4, 2));
  // Each target pixel covers 4/3 source pixels: (0 + 100/3) / (4/3) = 25.
  EXPECT_EQ(thirds.surface.GetPixel(0, 0), 0x191919u) << "partial coverage is weighted";

  Canvas placed(4, 4, false);
  placed.surface.FillRect(0, 0, 4, 4, 0xFFFFFF);
  ASSERT_TRUE(placed.surface.StretchBltHalftone(3, 3, 2, 1, &source.surface, 0, 0, 4, 2));
  EXPECT_EQ(placed.surface.GetPixel(3, 3), 0x323232u) << "clipped target keeps its scale";
  EXPECT_EQ(placed.surface.GetPixel(2, 3), 0xFFFFFFu) << "outside the target rectangle";

  // Source columns 2 to 5 of a bitmap 4 wide: columns 4 and 5 do not exist.
  ASSERT_TRUE(placed.surface.StretchBltHalftone(0, 0, 2, 1, &source.surface, 2, 0, 4, 2));
  EXPECT_EQ(placed.surface.GetPixel(0, 0), 0x7D7D7Du) << "the mean of what exists of the area";
  EXPECT_EQ(placed.surface.GetPixel(1, 0), 0xFFFFFFu) << "no source under it: left as it was";

  Canvas same(4, 2, false);
  ASSERT_TRUE(same.surface.StretchBltHalftone(0, 0, 4, 2, &source.surface, 0, 0, 4, 2));
  EXPECT_EQ(0,
            std::memcmp(same.bitmap->Bits(), source.bitmap->Bits(), source.bitmap->SizeInBytes()))
      << "a 1:1 stretch is pixel for pixel";
  EXPECT_FALSE(same.surface.StretchBltHalftone(0, 0, 0, 2, &source.surface, 0, 0, 4, 2));
}

TEST(DrawingSurface, FillRectClipsToTheBitmap) {
  Canvas canvas(3, 3, false);
  canvas.surface.FillRect(-5, 1, 2, 99, 0x0000FF);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(canvas.surface.GetPixel(x, y), (x < 2 && y >= 1) ? 0x0000FFu : 0u) << x << "," << y;
    }
  }
  EXPECT_EQ(canvas.surface.GetPixel(3, 0), 0xFFFFFFFFu) << "outside reads as no colour";
}
