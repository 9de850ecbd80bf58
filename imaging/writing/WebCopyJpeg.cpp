#include "imaging/writing/WebCopyJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "imaging/ErrorSources.h"
#include "imaging/pixels/DibBitmap.h"
#include "platform/RunTimeError.h"

namespace imaging::writing {

namespace {

// libjpeg reports a failure by calling error_exit, which must not return:
// ours keeps the message and jumps back into EncodeOrFail, whose frames hold
// nothing to destroy.
struct Compressor {
  struct Errors {
    jpeg_error_mgr fields;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
  };
  Errors errors{};
  jpeg_compress_struct info{};
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;

  Compressor() {
    info.err = jpeg_std_error(&errors.fields);
    errors.fields.error_exit = [](j_common_ptr common) {
      auto* errors = reinterpret_cast<Errors*>(common->err);
      common->err->format_message(common, errors->message);
      std::longjmp(errors->jump, 1);
    };
  }
  ~Compressor() {
    jpeg_destroy_compress(&info);
    std::free(output);
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
};

// The one function that drives libjpeg: false, with the message kept, when
// it fails. `rows` points at every row from the top.
bool EncodeOrFail(Compressor& compressor, const pixels::DibBitmap& picture, JSAMPROW* rows,
                  std::span<const std::uint8_t> profile, const std::string& comment) {
  jpeg_compress_struct& info = compressor.info;
  if (setjmp(compressor.errors.jump)) return false;
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &compressor.output, &compressor.outputSize);
  info.image_width = JDIMENSION(picture.Width());
  info.image_height = JDIMENSION(picture.Height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, WebCopyJpeg::kQuality, TRUE);
  // 4:2:0: the brightness at full resolution, both colour planes at half.
  info.comp_info[0].h_samp_factor = 2;
  info.comp_info[0].v_samp_factor = 2;
  for (int c = 1; c < 3; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  info.dct_method = JDCT_ISLOW;
  // Progressive scans code their Huffman tables for the picture itself.
  jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  // Before the profile, so a reader finds it within the file's first bytes.
  if (!comment.empty()) {
    jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                      static_cast<unsigned int>(comment.size()));
  }
  if (!profile.empty()) {
    jpeg_write_icc_profile(&info, profile.data(), static_cast<unsigned int>(profile.size()));
  }
  while (info.next_scanline < info.image_height) {
    jpeg_write_scanlines(&info, rows + info.next_scanline, info.image_height - info.next_scanline);
  }
  jpeg_finish_compress(&info);
  return true;
}

}  // namespace

namespace WebCopyJpeg {

std::string Encode(const pixels::DibBitmap& picture, std::span<const std::uint8_t> colourProfile,
                   const std::string& comment) {
  std::vector<JSAMPROW> rows(std::size_t(picture.Height()));
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    // libjpeg reads its input rows without writing them.
    rows[std::size_t(y)] = const_cast<JSAMPROW>(picture.RowFromTop(y));
  }
  // A profile is written in chunks of at most 65519 bytes, numbered in one
  // byte: larger than 255 of them cannot be written whole.
  constexpr std::size_t kMaxProfileBytes = std::size_t{255} * 65519;
  if (colourProfile.size() > kMaxProfileBytes) colourProfile = {};
  Compressor compressor;
  // libjpeg would fail a longer one after writing a broken segment header.
  constexpr std::size_t kMaxCommentBytes = 65533;
  if (comment.size() > kMaxCommentBytes) {
    throw platform::RunTimeError(26001, kWebCopySource,
                                 "The web copy could not be encoded: its comment is too long");
  }
  if (!EncodeOrFail(compressor, picture, rows.data(), colourProfile, comment)) {
    const std::string why = compressor.errors.message;
    throw platform::RunTimeError(26001, kWebCopySource,
                                 "The web copy could not be encoded: " + why);
  }
  return std::string(reinterpret_cast<const char*>(compressor.output), compressor.outputSize);
}

}  // namespace WebCopyJpeg

}  // namespace imaging::writing
