#include "imaging/reading/JpegDecompressor.h"

namespace imaging::reading {

namespace {

void ExitByJump(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegDecompressor::Errors*>(info->err);
  info->err->format_message(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

}  // namespace

JpegDecompressor::JpegDecompressor() {
  info.err = jpeg_std_error(&errors.fields);
  errors.fields.error_exit = ExitByJump;
  errors.fields.emit_message = IgnoreMessage;
}

JpegDecompressor::~JpegDecompressor() { jpeg_destroy_decompress(&info); }

bool FirstScanCarriesEveryDc(const jpeg_decompress_struct& info) {
  return info.comps_in_scan == info.num_components && info.Ss == 0 && info.Ah == 0;
}

}  // namespace imaging::reading
