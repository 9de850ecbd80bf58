#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace imaging::pixels {
class DibBitmap;
}  // namespace imaging::pixels

namespace imaging::writing {

// How a web copy is encoded: a progressive JPEG (a browser shows the whole
// picture coarsely after a fraction of its bytes), carrying the ICC colour
// profile it is given and nothing else of the source: no EXIF (the pixels
// are already upright, and a published photo must not tell where or with
// what it was taken), no comment but the one it is given. Runs on any
// thread; nothing is shared.
namespace WebCopyJpeg {

// Quality 85 with the colour at half resolution each way (4:2:0): at the
// size the copy is shown, one screen pixel a picture pixel, its difference
// from the uncompressed picture cannot be told apart side by side on
// photographs, while it is about half the bytes of quality 95 and full
// colour resolution. The eye resolves colour far more coarsely than
// brightness, and a downscaled photo holds little colour detail finer than
// two pixels. The page's budget for the first photo shown is what makes
// the bytes count.
inline constexpr int kQuality = 85;

// The bitmap (bottom-up blue-green-red) as a JPEG file's bytes, with the
// profile when it is not empty and the comment, as the segment right after
// the file's header, when it is not empty. Raises run-time error 26001 when
// the encoder fails (running out of memory included) or the comment does
// not fit a segment.
std::string Encode(const pixels::DibBitmap& picture, std::span<const std::uint8_t> colourProfile,
                   const std::string& comment = {});

}  // namespace WebCopyJpeg

}  // namespace imaging::writing
