#pragma once

// The one way the tests and the benchmark write JPEG files: with
// libjpeg-turbo's one-call encoder from pixels held in memory, or row by row
// through libjpeg where a test needs what only it offers (a scan script,
// odd sampling, restart markers, arithmetic coding, or a picture too large
// to hold); and the one way they put an EXIF segment into a file.

#include <turbojpeg.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace test_jpeg {

// Pixels as rows from the top, 3 bytes a pixel (red, green, blue) or 4 for
// TJPF_CMYK, which makes a YCCK file with an Adobe segment.
inline std::string Encode(const void* pixels, int width, int height, int pixelFormat,
                          int subsampling, int quality, int flags) {
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(handle, static_cast<const unsigned char*>(pixels), width, 0,
                                 height, pixelFormat, &out, &size, subsampling, quality, flags);
  std::string bytes = result == 0 ? std::string(reinterpret_cast<char*>(out), size) : std::string();
  tjFree(out);
  tjDestroy(handle);
  if (bytes.empty()) throw std::runtime_error("the test could not encode its JPEG");
  return bytes;
}

// How libjpeg writes a file: progressive by the script when one is given
// (each row names the components, the coefficients (first, last) and the
// bits left out before (high) and after (low) the scan), by libjpeg's own
// script when it is empty; sequential when not progressive.
struct Encoding {
  int quality = 90;
  bool progressive = true;
  std::vector<jpeg_scan_info> script{};
  // Each component's sampling factors, across and down.
  int sampling[3][2] = {{2, 2}, {1, 1}, {1, 1}};
  unsigned restartInterval = 0;  // in blocks of the first scan; 0 for none
  bool arithmetic = false;
};

// Writes a red-green-blue picture whose rows `fill` gives one at a time
// (the row from the top, and room for its 3 x width bytes).
inline std::string EncodeRows(int width, int height, const Encoding& encoding,
                              const std::function<void(int, std::uint8_t*)>& fill) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, encoding.quality, TRUE);
  for (int c = 0; c < 3; ++c) {
    info.comp_info[c].h_samp_factor = encoding.sampling[c][0];
    info.comp_info[c].v_samp_factor = encoding.sampling[c][1];
  }
  if (encoding.progressive && encoding.script.empty()) {
    jpeg_simple_progression(&info);
  } else if (encoding.progressive) {
    info.scan_info = encoding.script.data();
    info.num_scans = int(encoding.script.size());
  }
  info.restart_interval = encoding.restartInterval;
  info.arith_code = encoding.arithmetic ? TRUE : FALSE;
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(std::size_t(width) * 3);
  while (info.next_scanline < info.image_height) {
    fill(int(info.next_scanline), row.data());
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<char*>(out), size);
  std::free(out);
  return bytes;
}

// An APP1 segment holding the TIFF block after "Exif\0\0", put right after
// the start marker.
inline std::string WithExif(const std::string& jpeg, const std::string& tiff) {
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  std::string segment = "\xFF\xE1";
  segment += char((payload.size() + 2) >> 8);
  segment += char((payload.size() + 2) & 0xFF);
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

}  // namespace test_jpeg
