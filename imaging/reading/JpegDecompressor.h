#pragma once

// jpeglib.h needs size_t and FILE declared ahead of it.
#include <csetjmp>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace imaging::reading {

// Owns libjpeg's decompressor; destroying a never-created one is harmless.
// libjpeg reports a failure by calling error_exit, which must not return:
// ours formats the message into `message` and jumps to `jump`, which the one
// C-style function that drives libjpeg sets with setjmp, its frames between
// the jump and its target holding nothing to destroy. Warnings (data cut
// short or damaged) are not printed: the decode goes on with what is there.
struct JpegDecompressor {
  JpegDecompressor();
  ~JpegDecompressor();
  JpegDecompressor(const JpegDecompressor&) = delete;
  JpegDecompressor& operator=(const JpegDecompressor&) = delete;

  // The error manager comes first, so libjpeg's pointer to it is ours.
  struct Errors {
    jpeg_error_mgr fields;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
  };
  Errors errors{};
  jpeg_decompress_struct info{};
};

// Whether the scan libjpeg stands at is a first DC scan carrying every
// component's DC (all components, no refinement of bits sent before).
bool FirstScanCarriesEveryDc(const jpeg_decompress_struct& info);

}  // namespace imaging::reading
