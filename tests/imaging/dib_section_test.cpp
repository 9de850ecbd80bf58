#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <climits>
#include <cstring>

#include "imaging/pixels/cDIBSection.h"
#include "tests/support/ExpectRunTimeError.h"
#include "tests/support/RecordingHostServices.h"

using namespace imaging::pixels;

namespace {

// Byte k of pixel x in memory row r, by the layout the buffer promises.
std::uint8_t& ByteAt(const cDIBSection& dib, int x, int memoryRow, int k) {
  return dib.DIBSectionBitsPtr()[memoryRow * dib.BytesPerScanLine() + 3 * x + k];
}

// A buffer whose every pixel byte carries its own position and whose row
// padding holds 0xEE, so misplaced copies and padding writes both show.
void FillWithPattern(cDIBSection& dib) {
  const int stride = dib.BytesPerScanLine();
  for (int row = 0; row < dib.Height(); ++row) {
    for (int byte = 0; byte < stride; ++byte) {
      dib.DIBSectionBitsPtr()[row * stride + byte] =
          byte < 3 * dib.Width() ? std::uint8_t(row * 40 + byte + 1) : 0xEE;
    }
  }
}

}  // namespace

TEST(DibSection, StrideAndSizeFollowTheLayout) {
  const struct { int width, stride; } rows[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}};
  for (const auto& row : rows) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(row.width, 3));
    EXPECT_EQ(dib.BytesPerScanLine(), row.stride) << "stride is width x 3 rounded up to 4";
    EXPECT_EQ(dib.Header().biSizeImage, std::uint32_t(3 * row.stride)) << "size = height x stride";
    for (int byte = 0; byte < 3 * row.stride; ++byte) {
      EXPECT_EQ(dib.DIBSectionBitsPtr()[byte], 0) << "a new buffer is black";
    }
  }
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(5, 3));
  EXPECT_EQ(dib.Header().biSizeImage, 48u);
  EXPECT_EQ(dib.hDib()->SizeInBytes(), 48u) << "the block is exactly height x stride";
  const BitmapInfoHeader& header = dib.Header();
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 24);
  EXPECT_EQ(header.biCompression, 0u);
  EXPECT_EQ(header.biHeight, 3) << "positive height: bottom row first";
}

TEST(DibSection, PixelsLieBlueGreenRedWithTheBottomRowFirst) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  // Top-left pixel of the picture is red 0x11, green 0x22, blue 0x33.
  dib.hdc()->SetPixel(0, 0, 0x332211);
  dib.hdc()->SetPixel(2, 1, 0x665544);  // bottom-right
  EXPECT_EQ(ByteAt(dib, 0, 1, 0), 0x33) << "top row is the last memory row; blue first";
  EXPECT_EQ(ByteAt(dib, 0, 1, 1), 0x22);
  EXPECT_EQ(ByteAt(dib, 0, 1, 2), 0x11);
  EXPECT_EQ(ByteAt(dib, 2, 0, 0), 0x66) << "bottom row is memory row 0";
  EXPECT_EQ(ByteAt(dib, 2, 0, 2), 0x44);
  EXPECT_EQ(dib.hdc()->GetPixel(2, 1), 0x665544u);
}

TEST(DibSection, ANewOrClearedBufferIsEmptyButKeepsItsHeader) {
  cDIBSection dib;
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.Height(), 0);
  EXPECT_EQ(dib.hdc(), nullptr);
  EXPECT_EQ(dib.hDib(), nullptr);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);

  ASSERT_TRUE(dib.Create(7, 4));
  EXPECT_NE(dib.hdc(), nullptr);
  EXPECT_EQ(dib.hdc()->SelectedBitmap(), dib.hDib()) << "the bitmap is selected into the surface";
  EXPECT_EQ(dib.DIBSectionBitsPtr(), dib.hDib()->Bits());
  dib.ClearUp();
  EXPECT_EQ(dib.hdc(), nullptr);
  EXPECT_EQ(dib.hDib(), nullptr);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 7) << "the header outlives ClearUp";
  EXPECT_EQ(dib.Height(), 4);
}

TEST(DibSection, ASecondCreateReplacesTheFirstPictureEvenWhenItFails) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  ASSERT_TRUE(dib.Create(2, 3));
  EXPECT_EQ(dib.Width(), 2);
  EXPECT_EQ(dib.hDib()->Width(), 2) << "the new bitmap, not the old one";

  const struct {
    int width, height;
  } refused[] = {{0, 5}, {5, 0}, {-3, 2}, {2, -3}, {20000, 20000}};
  for (const auto& size : refused) {
    ASSERT_TRUE(dib.Create(4, 4));
    EXPECT_FALSE(dib.Create(size.width, size.height)) << size.width << " x " << size.height;
    EXPECT_EQ(dib.hdc(), nullptr) << "a failed Create leaves the buffer empty";
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.Width(), size.width) << "the header holds the refused size";
    EXPECT_EQ(dib.Height(), size.height);
  }
}

TEST(DibSection, SizesThatOverflowRaiseTheOverflowError) {
  const struct {
    int width, height;
  } rows[] = {{INT_MAX / 3 + 1, 1}, {INT_MAX, 1}, {100000, 100000}, {INT_MIN, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height));
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(2, 2));
    EXPECT_RUNTIME_ERROR(dib.Create(row.width, row.height), 6, "tesselet.cDIBSection", "Overflow");
    EXPECT_EQ(dib.hdc(), nullptr) << "the old picture was released first";
  }
}

// The bitmap behind the buffer only says whether it could be made; what a
// refusal means is for its caller to say.
TEST(DibBitmap, ABitmapThatCannotBeMadeIsNoBitmapAndNoError) {
  const struct {
    const char* rule;
    int width, height;
  } rows[] = {
      {"no width", 0, 5},
      {"no height", 5, 0},
      {"a negative size", -3, 2},
      {"over the allocation bound", 20000, 20000},
      {"a stride beyond 32 bits", INT_MAX, 1},
      {"a size beyond 32 bits", 100000, 100000},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DibBitmap::Create(row.width, row.height), nullptr) << row.rule;
  }
}

TEST(DibSection, LoadPictureBltCopiesTheBufferSizeAndClipsTheRest) {
  cDIBSection source;
  ASSERT_TRUE(source.Create(5, 3));
  FillWithPattern(source);

  const struct {
    const char* rule;
    int width, height;     // destination buffer
    int left, top, w, h;   // source rectangle
    int copiedW, copiedH;  // how much lands in the destination
  } rows[] = {
      {"-1, -1 means the destination's own size", 5, 3, 0, 0, -1, -1, 5, 3},
      {"a smaller buffer takes its own size", 3, 2, 0, 0, -1, -1, 3, 2},
      {"a larger buffer takes what the source has", 8, 4, 0, 0, -1, -1, 5, 3},
      {"an explicit size is used as given", 5, 3, 0, 0, 2, 1, 2, 1},
      {"the source's edge clips an offset rectangle", 5, 3, 3, 1, -1, -1, 2, 2},
  };
  for (const auto& row : rows) {
    cDIBSection target;
    ASSERT_TRUE(target.Create(row.width, row.height));
    target.hdc()->FillRect(0, 0, row.width, row.height, 0x010203);
    target.LoadPictureBlt(source.hdc(), row.left, row.top, row.w, row.h, SRCCOPY);
    for (int y = 0; y < row.height; ++y) {
      for (int x = 0; x < row.width; ++x) {
        const bool copied = x < row.copiedW && y < row.copiedH;
        const std::uint32_t expected =
            copied ? source.hdc()->GetPixel(row.left + x, row.top + y) : 0x010203;
        EXPECT_EQ(target.hdc()->GetPixel(x, y), expected) << row.rule << " at " << x << "," << y;
      }
    }
  }
}

TEST(DibSection, PaintPictureCopiesOutOfTheBufferWithClipping) {
  cDIBSection source;
  ASSERT_TRUE(source.Create(4, 4));
  FillWithPattern(source);
  cDIBSection target;
  ASSERT_TRUE(target.Create(6, 3));
  source.PaintPicture(target.hdc(), 3, 1, -1, -1, 1, 0, SRCCOPY);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool copied = x >= 3 && y >= 1;  // 3 wide (clipped by the target), 2 high
      const std::uint32_t expected = copied ? source.hdc()->GetPixel(x - 3 + 1, y - 1) : 0;
      EXPECT_EQ(target.hdc()->GetPixel(x, y), expected) << x << "," << y;
    }
  }
  source.PaintPicture(nullptr);  // no surface: nothing happens
}

TEST(DibSection, CreateFromPictureCopiesTheWholePicture) {
  std::unique_ptr<DibBitmap> picture = DibBitmap::Create(3, 2);
  DrawingSurface surface;
  surface.SelectObject(picture.get());
  surface.SetPixel(0, 0, 0x123456);
  surface.SetPixel(2, 1, 0xABCDEF);
  cDIBSection dib;
  dib.CreateFromPicture(*picture);
  ASSERT_NE(dib.hdc(), nullptr);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(0, std::memcmp(dib.DIBSectionBitsPtr(), picture->Bits(), picture->SizeInBytes()));
}

TEST(DibSection, RandomiseBitsMakesNoiseAndLeavesPaddingAlone) {
  for (const bool gray : {true, false}) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(5, 40));
    FillWithPattern(dib);
    dib.RandomiseBits(gray);
    int distinct = 0;
    for (int row = 0; row < dib.Height(); ++row) {
      for (int byte = 15; byte < 16; ++byte) {
        EXPECT_EQ(dib.DIBSectionBitsPtr()[row * 16 + byte], 0xEE) << "padding untouched";
      }
      for (int x = 0; x < 5; ++x) {
        const std::uint8_t blue = ByteAt(dib, x, row, 0);
        const std::uint8_t green = ByteAt(dib, x, row, 1);
        const std::uint8_t red = ByteAt(dib, x, row, 2);
        if (gray) {
          EXPECT_TRUE(blue == green && green == red) << "grey noise has three equal bytes";
        } else {
          EXPECT_EQ(blue, 0) << "colour noise has no blue";
        }
        if (green != ByteAt(dib, 0, 0, 1)) ++distinct;
      }
    }
    EXPECT_GT(distinct, 100) << "200 pixels of noise are not all alike";
  }
  cDIBSection empty;
  empty.RandomiseBits(true);  // nothing to fill, nothing read
}

TEST(DibSection, CopyToClipboardPutsTheUprightPictureThere) {
  int argc = 1;
  char name[] = "dib_section_test";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  platform::RecordingHostServices host;

  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  dib.hdc()->FillRect(0, 0, 3, 1, 0x0000FF);  // top row red
  QGuiApplication::clipboard()->setText("before");

  EXPECT_FALSE(dib.CopyToClipboard(true, host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].body,
            "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
  EXPECT_EQ(host.messages[0].title, "Tesselet");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before") << "the clipboard is not touched";

  EXPECT_TRUE(dib.CopyToClipboard(false, host));
  const QImage image = QGuiApplication::clipboard()->image();
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixelColor(1, 0), QColor(255, 0, 0)) << "top row stays on top";
  EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 0, 0));
  EXPECT_EQ(host.messages.size(), 1u);

  cDIBSection empty;
  EXPECT_FALSE(empty.CopyToClipboard(false, host)) << "no picture, nothing to copy";
}
