#include "imaging/reading/ProgressiveDcDecoder.h"

#include <functional>
#include <string>

#include "imaging/reading/CmykPixels.h"
#include "imaging/reading/DcScanDecoder.h"
#include "imaging/reading/JpegDecompressor.h"
#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// As many scans as TurboJPEG decodes before it calls a file a scan flood.
constexpr int kMaxScans = 500;

// Whether a component's DC coefficients, left with `bits` low bits out, are
// as good as whole at 1/8: all there, or all but a lowest bit worth at most
// half a level (a DC quantisation step of up to 4, as cameras and any
// quality from about 88 up store it).
bool DcGoodEnough(const JQUANT_TBL* table, int bits) {
  constexpr int kMaxStepForALostBit = 4;
  return bits == 0 || (bits == 1 && table && table->quantval[0] <= kMaxStepForALostBit);
}

// Whether the first scan, read by the header, gives every component's DC
// good enough on its own.
bool FirstScanSuffices(const jpeg_decompress_struct& info) {
  if (!FirstScanCarriesEveryDc(info)) return false;
  for (int c = 0; c < info.num_components; ++c) {
    const int table = info.comp_info[c].quant_tbl_no;
    if (table < 0 || table >= NUM_QUANT_TBLS ||
        !DcGoodEnough(info.quant_tbl_ptrs[table], info.Al)) {
      return false;
    }
  }
  return true;
}

// Reads scans until every component's DC is good enough and the next scan
// is one of detail; returns the scan to output, or 0 for a scan flood. The
// input stands at the start of a scan throughout (jpeg_read_header leaves
// it at the first), where the scan's fields describe it.
int ReadDcScans(jpeg_decompress_struct& info) {
  int missingBits[MAX_COMPONENTS];
  for (int& bits : missingBits) bits = -1;  // no DC scan yet
  for (int scans = 1;; ++scans) {
    bool dcKnown = true;
    for (int c = 0; c < info.num_components; ++c) {
      dcKnown = dcKnown && DcGoodEnough(info.comp_info[c].quant_table, missingBits[c]);
    }
    if (dcKnown && info.Ss != 0) return info.input_scan_number - 1;
    if (scans > kMaxScans) return 0;
    if (info.Ss == 0) {
      for (int i = 0; i < info.comps_in_scan; ++i) {
        missingBits[info.cur_comp_info[i]->component_index] = info.Al;
      }
    }
    int status;
    do {
      status = jpeg_consume_input(&info);
    } while (status != JPEG_REACHED_SOS && status != JPEG_REACHED_EOI);
    if (status == JPEG_REACHED_EOI) return info.input_scan_number;
  }
}

// Drives libjpeg from the first scan, where the header read left it, to the
// last row. Returns false when libjpeg fails, with its message in the error
// manager; nothing here owns anything, so the jump back from a failure skips
// no destructor. An exception from beforeHoldingCoefficients leaves through
// here as through any function.
bool DecodeDc(JpegDecompressor& decompressor, bool invertedCmyk, pixels::DibBitmap& bitmap,
              bool& flood, const std::function<void()>& beforeHoldingCoefficients) {
  jpeg_decompress_struct& info = decompressor.info;
  if (setjmp(decompressor.errors.jump)) return false;
  // The common case, a camera's or jpegtran's progressive file, is done from
  // its first scan without holding the whole picture's coefficients.
  if (FirstScanSuffices(info) && DcScanDecoder::Suits(info)) {
    DcScanDecoder::Decode(info, bitmap);
    return true;
  }
  beforeHoldingCoefficients();
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  info.scale_num = 1;
  info.scale_denom = 8;
  info.buffered_image = TRUE;
  // At 1/8, colour stored at half resolution is decoded from its lowest
  // detail as well, which the DC scans do not carry: smoothing estimates it
  // from the neighbouring blocks' DC, as a plain DC picture would not.
  info.do_block_smoothing = TRUE;
  jpeg_start_decompress(&info);
  const int scan = ReadDcScans(info);
  if (scan == 0) {
    flood = true;
    return false;
  }
  jpeg_start_output(&info, scan);
  JSAMPARRAY cmykRow = cmyk ? info.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&info),
                                                     JPOOL_IMAGE, info.output_width * 4, 1)
                            : nullptr;
  while (info.output_scanline < info.output_height) {
    const std::int32_t y = std::int32_t(info.output_scanline);
    JSAMPROW row = cmyk ? cmykRow[0] : bitmap.RowFromTop(y);
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) CmykPixels::ToBgr(cmykRow[0], bitmap.RowFromTop(y), bitmap.Width(), invertedCmyk);
  }
  jpeg_finish_output(&info);
  return true;
}

bool IsEighth(pixels::DecodeScale scale) { return scale.Numerator == 1 && scale.Denominator == 8; }

}  // namespace

// At 1/8 the decode holds a level (two bytes) a block beside the picture.
std::int64_t ProgressiveDcDecoder::DecodeBytes(pixels::DecodeScale scale) const {
  if (!IsEighth(scale)) return JpegPictureDecoder::DecodeBytes(scale);
  return PictureBytes(header_.Width(), header_.Height(), scale) + 2 * header_.BlockCount();
}

pixels::StdPicture ProgressiveDcDecoder::Decode(pixels::DecodeScale scale) {
  if (!IsEighth(scale)) return JpegPictureDecoder::Decode(scale);
  auto bitmap = ClaimBitmap(scale);
  bool flood = false;
  // Where the DC scans alone do not do, libjpeg keeps every coefficient.
  const auto beforeHoldingCoefficients = [&] {
    ClaimMemory(PictureBytes(header_.Width(), header_.Height(), scale) +
                header_.BlockCount() * JpegHeader::kCoefficientBytesPerBlock);
  };
  JpegDecompressor& decompressor = header_.Decompressor();
  if (!DecodeDc(decompressor, header_.HasAdobeSegment(), *bitmap, flood,
                beforeHoldingCoefficients)) {
    const std::string why =
        flood ? "Progressive JPEG image has more than " + std::to_string(kMaxScans) + " scans"
              : std::string(decompressor.errors.message);
    throw PictureErrors::InvalidPicture(path_, "the JPEG data cannot be decoded: " + why);
  }
  return pixels::StdPicture(std::move(bitmap), header_.Width(), header_.Height(), scale,
                            header_.Orientation());
}

}  // namespace imaging::reading
