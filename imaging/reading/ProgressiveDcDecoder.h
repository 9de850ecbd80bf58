#pragma once

#include <cstdint>

#include "imaging/reading/JpegPictureDecoder.h"

namespace imaging::reading {

// Decodes a progressive JPEG at 1/8 scale from its DC scans alone (at any
// other scale, as any JPEG). At 1/8
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
// Grey, YCbCr, CMYK and YCCK files are read; a file cut short gives the
// part that is there, the rest grey. A file that cannot be decoded, or that
// has more scans than TurboJPEG allows before its DC is complete, raises
// error 481 naming it. At 1/8 the decode holds the picture and a level (two
// bytes) a block; reading on past the first scan makes libjpeg keep every
// coefficient of the picture, which is claimed from the limits first.
class ProgressiveDcDecoder final : public JpegPictureDecoder {
 public:
  using JpegPictureDecoder::JpegPictureDecoder;

  std::int64_t DecodeBytes(pixels::DecodeScale scale) const override;
  pixels::StdPicture Decode(pixels::DecodeScale scale) override;
};

}  // namespace imaging::reading
