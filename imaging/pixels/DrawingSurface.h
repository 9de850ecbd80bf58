#pragma once

#include <cstdint>
#include <memory>

namespace imaging::pixels {

class DibBitmap;

// Raster operations of a block transfer, with the values people know them by.
enum RasterOperation : std::uint32_t {
  SRCCOPY = 0x00CC0020,     // target = source
  SRCPAINT = 0x00EE0086,    // target = target OR source
  SRCAND = 0x008800C6,      // target = target AND source
  SRCINVERT = 0x00660046,   // target = target XOR source
  NOTSRCCOPY = 0x00330008,  // target = NOT source
  DSTINVERT = 0x00550009,   // target = NOT target
  BLACKNESS = 0x00000042,   // target = 0
  WHITENESS = 0x00FF0062,   // target = 255
};

// A drawing surface: what a memory device context is to the programs. It
// draws into the bitmap selected into it, which it borrows and never frees.
// Coordinates are in pixels with (0, 0) at the top-left corner of the
// picture (the bitmap's last memory row). Every operation clips to the
// bitmaps on both sides; with no bitmap selected nothing is drawn.
class DrawingSurface {
 public:
  DrawingSurface() = default;
  DrawingSurface(const DrawingSurface&) = delete;
  DrawingSurface& operator=(const DrawingSurface&) = delete;

  // Selects a bitmap (or nullptr for none) and returns the one it replaces.
  DibBitmap* SelectObject(DibBitmap* bitmap);
  DibBitmap* SelectedBitmap() const { return bitmap_; }

  // Size of the selected bitmap; 0 x 0 with none.
  std::int32_t Width() const;
  std::int32_t Height() const;

  // Copies a width x height rectangle at (srcLeft, srcTop) of source to
  // (destLeft, destTop) here with the raster operation. Parts outside either
  // bitmap are clipped away. False (target unchanged) for an unknown raster
  // operation, a negative size or a missing bitmap. The source may be this
  // surface; overlapping rectangles copy as if through a temporary.
  bool BitBlt(std::int32_t destLeft, std::int32_t destTop, std::int32_t width, std::int32_t height,
              const DrawingSurface* source, std::int32_t srcLeft, std::int32_t srcTop,
              RasterOperation rop);

  // Halftone stretch: scales the source rectangle onto the target rectangle
  // by AreaAverageStretch, each target pixel receiving the mean colour of the
  // source area it covers. Target pixels outside this bitmap are clipped; the
  // source rectangle is clipped to its bitmap with the scale kept. False when
  // nothing is drawn, and for a source that is this surface's own bitmap.
  bool StretchBltHalftone(std::int32_t destLeft, std::int32_t destTop, std::int32_t destWidth,
                          std::int32_t destHeight, const DrawingSurface* source,
                          std::int32_t srcLeft, std::int32_t srcTop, std::int32_t srcWidth,
                          std::int32_t srcHeight);

  // Fills the rectangle from (left, top) up to, not including, (right,
  // bottom) with a plain colour 0x00BBGGRR. Clipped to the bitmap.
  void FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                std::uint32_t colour);

  // The colour of one pixel as 0x00BBGGRR, or 0xFFFFFFFF outside the bitmap.
  std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;
  void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t colour);

 private:
  DibBitmap* bitmap_ = nullptr;
};

}  // namespace imaging::pixels
