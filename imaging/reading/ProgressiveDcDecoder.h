#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/pixels/DibBitmap.h"

namespace imaging::reading {

// Decodes a progressive JPEG at 1/8 scale from its DC scans alone. At 1/8
// each decoded pixel is its block's DC coefficient, and a progressive file
// sends every DC coefficient in its first scans, a few percent of its bytes:
// the scans of finer detail after them are not read. Where the first DC
// scan leaves out the coefficients' lowest bit and its refinement comes only
// after the detail (as TurboJPEG and jpegtran write progressive files), the
// bit is left out if it is worth at most half a level (fine quantisation,
// as cameras store photos); otherwise, or when more bits are left out, the
// scans are read on until it is. From the first scan alone, each block of
// colour stored at a lower resolution covers the pixels it stands for, as
// libjpeg's own 1/8 decode gives a block without detail; read on, libjpeg
// decodes the scans read, estimating colour detail not yet sent from the
// neighbouring blocks' DC.
//
// The picture goes into a bitmap already made at the 1/8 size. Grey,
// YCbCr, CMYK and YCCK files are read; a file cut short gives the part that
// is there, the rest grey. A file that cannot be decoded, or that has more
// scans than TurboJPEG allows before its DC is complete, raises error 481
// naming it. Reading on past the first scan makes libjpeg keep every
// coefficient of the picture: beforeHoldingCoefficients is called first,
// and may raise to refuse that.
namespace ProgressiveDcDecoder {

void Decode(const std::uint8_t* data, std::size_t size, const std::string& path, bool invertedCmyk,
            pixels::DibBitmap& bitmap, const std::function<void()>& beforeHoldingCoefficients);

}  // namespace ProgressiveDcDecoder

}  // namespace imaging::reading
