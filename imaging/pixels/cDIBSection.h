#pragma once

#include <cstdint>
#include <memory>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/pixels/DrawingSurface.h"

namespace platform {
class HostServices;
}

namespace imaging::pixels {

// One picture as a 24-bit buffer that is at the same time a drawing surface.
// Memory layout: 3 bytes per pixel in the order blue, green, red; each row
// padded to a multiple of 4 bytes (BytesPerScanLine); memory row 0 is the
// bottom row of the picture; the block is Height x BytesPerScanLine bytes.
// hdc, hDib and DIBSectionBitsPtr are borrowed: they become invalid at
// ClearUp, at the next Create and when the object ends.
// Sizes and coordinates are signed 32-bit; a stride or size computation that
// overflows raises run-time error 6 ("Overflow") with kDibSectionSource.
class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection();
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  // Puts the buffer's picture on the clipboard as a bitmap. With bAsDIB the
  // buffer shows that it cannot do that and returns False. False also when
  // there is no clipboard (no GUI application) or the buffer is empty.
  bool CopyToClipboard(bool bAsDIB, platform::HostServices& host) const;

  // Fills the header for lWidth x lHeight and asks for the pixel block; the
  // new bitmap goes to hDib and the pixel pointer into this object. True when
  // the bitmap was made. The header is overwritten even when it was not.
  bool CreateDIB(DrawingSurface* lhDC, std::int32_t lWidth, std::int32_t lHeight,
                 std::unique_ptr<DibBitmap>& hDib);

  // Creates a buffer of the picture's size and copies the whole picture in.
  // Success shows in hdc() being non-null.
  void CreateFromPicture(const DibBitmap& picThis);

  // Releases any picture, then makes a black lWidth x lHeight buffer. False
  // (and empty) when it cannot be made; raises error 6 on overflow.
  bool Create(std::int32_t lWidth, std::int32_t lHeight);

  std::int32_t BytesPerScanLine() const;
  std::int32_t Width() const { return header_.biWidth; }
  std::int32_t Height() const { return header_.biHeight; }
  const BitmapInfoHeader& Header() const { return header_; }

  // Block transfer from lhDC's rectangle into this buffer at (0, 0). A
  // negative width or height stands for this buffer's own Width or Height.
  void LoadPictureBlt(const DrawingSurface* lhDC, std::int32_t lSrcLeft = 0,
                      std::int32_t lSrcTop = 0, std::int32_t lSrcWidth = -1,
                      std::int32_t lSrcHeight = -1, RasterOperation eRop = SRCCOPY);

  // Block transfer from this buffer at (lSrcLeft, lSrcTop) into lhDC. A
  // negative width or height stands for this buffer's own Width or Height.
  void PaintPicture(DrawingSurface* lhDC, std::int32_t lDestLeft = 0, std::int32_t lDestTop = 0,
                    std::int32_t lDestWidth = -1, std::int32_t lDestHeight = -1,
                    std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0,
                    RasterOperation eRop = SRCCOPY) const;

  // The drawing surface with the picture selected; nullptr while empty.
  DrawingSurface* hdc() const { return hdc_.get(); }
  // The bitmap that owns the pixel memory; nullptr while empty.
  const DibBitmap* hDib() const { return hDib_.get(); }
  // First byte of pixel memory (memory row 0); nullptr while empty.
  std::uint8_t* DIBSectionBitsPtr() const { return bits_; }

  // Fills every pixel with noise seeded from the clock: grey (three equal
  // bytes) with bGray, otherwise blue 0 with random green and red. Row
  // padding is left alone.
  void RandomiseBits(bool bGray);

  // Releases the picture. Width and Height keep their last values.
  void ClearUp();

  // A new buffer lNewWidth x lNewHeight holding this picture scaled by
  // bilinear interpolation (height first), or nullptr when it cannot be
  // made. A source 1 pixel wide or high raises error 9 for any other size.
  std::unique_ptr<cDIBSection> Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) const;

 private:
  void ResampleInto(cDIBSection& destination) const;

  std::unique_ptr<DibBitmap> hDib_;
  DibBitmap* previousBitmap_ = nullptr;
  std::unique_ptr<DrawingSurface> hdc_;
  std::uint8_t* bits_ = nullptr;
  BitmapInfoHeader header_{};
};

}  // namespace imaging::pixels
