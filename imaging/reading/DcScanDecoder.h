#pragma once

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "imaging/pixels/DibBitmap.h"

namespace imaging::reading {

// Decodes a progressive JPEG's first scan, when it carries the DC
// coefficients of every component, straight into the 1/8 picture: one
// pixel per block, a block of colour stored at a lower resolution over all
// the pixels it covers, as libjpeg's own 1/8 decode gives a block with no
// detail (it never blends neighbouring blocks). A DC left short of its
// lowest bit is put at the middle of what it may be. It holds two bytes
// per block and component, never the whole picture's coefficients, which
// is what lets a progressive camera photo give its thumbnail in a few
// megabytes. libjpeg reads the header and stands at the scan; the
// entropy-coded data is read here. Data cut short or damaged leaves the
// blocks after it grey, as libjpeg does.
namespace DcScanDecoder {

// Whether the scan libjpeg stands at is one this decodes: a first DC scan
// of all components of a Huffman-coded grey or YCbCr file, each component
// stored at a whole fraction of the resolution along each side.
bool Suits(const jpeg_decompress_struct& info);
// The picture, into a bitmap made at the 1/8 size.
void Decode(const jpeg_decompress_struct& info, pixels::DibBitmap& bitmap);

}  // namespace DcScanDecoder

}  // namespace imaging::reading
