#pragma once

// Pictures made by the tests and the benchmark: pixel patterns, bitmaps and
// JPEG files made from them (with an EXIF orientation when asked), and one
// way each to compare results: the largest difference and the PSNR.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/pixels/PictureOrientation.h"
#include "tests/support/TestJpeg.h"

namespace test_pictures {

struct Rgb {
  int red, green, blue;
};

// A picture as rows from the top, 3 bytes a pixel in the order red, green, blue.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  Rgb At(int x, int y) const {
    const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

inline Picture Make(int width, int height, const std::function<Rgb(int, int)>& colour) {
  Picture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      std::uint8_t* p = &picture.rgb[(std::size_t(y) * width + x) * 3];
      p[0] = std::uint8_t(c.red);
      p[1] = std::uint8_t(c.green);
      p[2] = std::uint8_t(c.blue);
    }
  }
  return picture;
}

// Smooth shades with a little deterministic noise: like a photograph, and
// different in every corner so that turns and mirrors show.
inline Picture Photo(int width, int height, unsigned seed = 1) {
  return Make(width, height, [&](int x, int y) {
    unsigned h = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u) ^ (seed * 83492791u);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    const int noise = int(h % 17) - 8;
    auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    return Rgb{clamp(40 + 180 * x / width + noise), clamp(30 + 200 * y / height - noise),
               clamp(200 - 150 * (x + y) / (width + height) + noise / 2)};
  });
}

// The picture as the given EXIF orientation stores it, so that showing the
// stored picture with that orientation gives `upright` again. It uses the
// renderer's own mapping; a test that reads these files with Qt, which
// applies EXIF orientation by itself, checks that mapping independently.
inline Picture StoreWithOrientation(const Picture& upright, int orientation) {
  const bool swaps = orientation >= 5;
  const int sw = swaps ? upright.height : upright.width;
  const int sh = swaps ? upright.width : upright.height;
  Picture stored{sw, sh, std::vector<std::uint8_t>(upright.rgb.size())};
  for (int y = 0; y < upright.height; ++y) {
    for (int x = 0; x < upright.width; ++x) {
      const auto at = imaging::pixels::PictureOrientation::StoredPixel(orientation, sw, sh, x, y);
      for (int c = 0; c < 3; ++c) {
        stored.rgb[(std::size_t(at.y) * sw + at.x) * 3 + c] =
            upright.rgb[(std::size_t(y) * upright.width + x) * 3 + c];
      }
    }
  }
  return stored;
}

inline std::string EncodeJpeg(const Picture& picture, int quality = 95,
                              int subsampling = TJSAMP_444, int flags = 0) {
  return test_jpeg::Encode(picture.rgb.data(), picture.width, picture.height, TJPF_RGB, subsampling,
                           quality, flags | TJFLAG_ACCURATEDCT);
}

// CMYK (4 bytes a pixel from the top) to a YCCK JPEG with an Adobe segment.
inline std::string EncodeCmykJpeg(const std::vector<std::uint8_t>& cmyk, int width, int height,
                                  int flags = 0) {
  return test_jpeg::Encode(cmyk.data(), width, height, TJPF_CMYK, TJSAMP_444, 100,
                           flags | TJFLAG_ACCURATEDCT);
}

// Puts an EXIF segment with the orientation right after the start marker,
// in big-endian ("MM") or little-endian ("II") byte order.
inline std::string WithExifOrientation(const std::string& jpeg, int orientation,
                                       bool bigEndian = true) {
  auto u16 = [&](int v) {
    return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)}
                     : std::string{char(v & 0xFF), char(v >> 8)};
  };
  auto u32 = [&](int v) { return bigEndian ? u16(0) + u16(v) : u16(v) + u16(0); };
  std::string tiff = std::string(bigEndian ? "MM" : "II") + u16(42) + u32(8);
  tiff += u16(2);                                                   // two entries
  tiff += u16(0x010F) + u16(2) + u32(4) + std::string("Cam\0", 4);  // make, ahead of it
  tiff += u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0);
  tiff += u32(0);  // no next directory
  return test_jpeg::WithExif(jpeg, tiff);
}

inline std::filesystem::path Fixture(const std::string& name) {
  return std::filesystem::path(__FILE__).parent_path() / "fixtures" / name;
}

// The colour of a pixel of a bottom-up blue-green-red bitmap, counted from the top.
inline Rgb PixelOf(const imaging::pixels::DibBitmap& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.RowFromTop(y) + 3 * x;
  return {p[2], p[1], p[0]};
}

// The picture in a bitmap of its size, as the imaging code keeps pictures.
inline std::unique_ptr<imaging::pixels::DibBitmap> BitmapOf(const Picture& picture) {
  auto bitmap = imaging::pixels::DibBitmap::Create(picture.width, picture.height);
  if (!bitmap) throw std::runtime_error("the test could not make its bitmap");
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb c = picture.At(x, y);
      std::uint8_t* p = bitmap->RowFromTop(y) + 3 * x;
      p[0] = std::uint8_t(c.blue), p[1] = std::uint8_t(c.green), p[2] = std::uint8_t(c.red);
    }
  }
  return bitmap;
}

// The largest difference of any channel between the bitmap's pixels and the
// picture's, over the picture's size from the top-left: a picture smaller
// than the bitmap compares a part of it. 256 when the bitmap is smaller.
inline int MaxDifference(const imaging::pixels::DibBitmap& actual, const Picture& expected) {
  if (actual.Width() < expected.width || actual.Height() < expected.height) return 256;
  int worst = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const Rgb p = PixelOf(actual, x, y), q = expected.At(x, y);
      worst = std::max(
          {worst, std::abs(p.red - q.red), std::abs(p.green - q.green), std::abs(p.blue - q.blue)});
    }
  }
  return worst;
}

// The picture a bitmap holds.
inline Picture PictureOf(const imaging::pixels::DibBitmap& bitmap) {
  return Make(bitmap.Width(), bitmap.Height(), [&](int x, int y) { return PixelOf(bitmap, x, y); });
}

// The same for two bitmaps, which must be of one size (256 otherwise).
inline int MaxDifference(const imaging::pixels::DibBitmap& a, const imaging::pixels::DibBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 256;
  return MaxDifference(a, PictureOf(b));
}

// Peak signal-to-noise ratio between two bitmaps of the same size, in dB;
// 99 for identical ones.
inline double Psnr(const imaging::pixels::DibBitmap& a, const imaging::pixels::DibBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 0;
  double squares = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const Rgb p = PixelOf(a, x, y), q = PixelOf(b, x, y);
      squares += std::pow(p.red - q.red, 2) + std::pow(p.green - q.green, 2) +
                 std::pow(p.blue - q.blue, 2);
    }
  }
  const double mean = squares / (3.0 * a.Width() * a.Height());
  return mean == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mean);
}

}  // namespace test_pictures
