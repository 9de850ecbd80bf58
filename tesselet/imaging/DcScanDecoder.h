#pragma once

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "tesselet/imaging/DibBitmap.h"

namespace imaging {

// Decodes a progressive JPEG's first scan, when it carries the DC
// coefficients of every component, straight into the 1/8 picture: one
// pixel per block, colour stored at half resolution brought up to full by
// interpolating between neighbouring blocks, as a full decode's upsampling
// does. It holds one byte per block and component, never the whole
// picture's coefficients, which is what lets a progressive camera photo
// give its thumbnail in a few megabytes. libjpeg reads the header and
// stands at the scan; the entropy-coded data is read here. Data cut short
// or damaged leaves the blocks after it grey, as libjpeg does.
class DcScanDecoder {
 public:
  // Whether the scan libjpeg stands at is one this decodes: a first DC scan
  // of all components of a grey or YCbCr file whose colour is stored at
  // full or half resolution along each side.
  static bool Suits(const jpeg_decompress_struct& info);
  // The picture, into a bitmap made at the 1/8 size.
  static void Decode(const jpeg_decompress_struct& info, DibBitmap& bitmap);
};

}  // namespace imaging
