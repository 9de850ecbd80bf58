#pragma once

// Files in the formats beside JPEG, BMP and GIF, made from a test picture
// with each format's own encoder: Qt's for PNG, libwebp's and libheif's
// (its HEVC encoder) for WebP and HEIC.

#include <libheif/heif.h>
#include <webp/encode.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <memory>
#include <stdexcept>
#include <string>

#include "tests/imaging/TestPictures.h"

namespace test_pictures {

inline std::string EncodePng(const Picture& picture) {
  const QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                     QImage::Format_RGB888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw std::runtime_error("the PNG encoder failed");
  return bytes.toStdString();
}

// Lossless when quality is below 0.
inline std::string EncodeWebP(const Picture& picture, float quality = -1) {
  std::uint8_t* out = nullptr;
  const std::size_t size = quality < 0
                               ? WebPEncodeLosslessRGB(picture.rgb.data(), picture.width,
                                                       picture.height, picture.width * 3, &out)
                               : WebPEncodeRGB(picture.rgb.data(), picture.width, picture.height,
                                               picture.width * 3, quality, &out);
  std::string bytes(reinterpret_cast<const char*>(out), size);
  WebPFree(out);
  if (bytes.empty()) throw std::runtime_error("the WebP encoder failed");
  return bytes;
}

// The picture as stored; the file says, in its turns and mirrors, how to
// show it (an EXIF orientation value), and carries the XMP packet and the
// EXIF block (a TIFF header and what follows) given.
inline std::string EncodeHeic(const Picture& stored, int quality = 90, int orientation = 1,
                              const std::string& xmp = {}, const std::string& exif = {}) {
  heif_init(nullptr);
  auto check = [](heif_error error) {
    if (error.code != heif_error_Ok) throw std::runtime_error(error.message);
  };
  const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                       heif_context_free);
  heif_image* made = nullptr;
  check(heif_image_create(stored.width, stored.height, heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &made));
  const std::unique_ptr<heif_image, void (*)(const heif_image*)> image(made, heif_image_release);
  check(
      heif_image_add_plane(image.get(), heif_channel_interleaved, stored.width, stored.height, 8));
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
  for (int y = 0; y < stored.height; ++y) {
    std::copy_n(&stored.rgb[std::size_t(y) * stored.width * 3], stored.width * 3,
                plane + std::size_t(y) * stride);
  }
  heif_encoder* encoder = nullptr;
  check(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoder));
  const std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> owned(encoder, heif_encoder_release);
  heif_encoder_set_logging_level(encoder, 0);
  check(heif_encoder_set_lossy_quality(encoder, quality));
  const std::unique_ptr<heif_encoding_options, void (*)(heif_encoding_options*)> options(
      heif_encoding_options_alloc(), heif_encoding_options_free);
  options->image_orientation = heif_orientation(orientation);
  heif_image_handle* handle = nullptr;
  check(heif_context_encode_image(context.get(), image.get(), encoder, options.get(), &handle));
  const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> encoded(
      handle, heif_image_handle_release);
  if (!xmp.empty())
    check(heif_context_add_XMP_metadata(context.get(), handle, xmp.data(), int(xmp.size())));
  if (!exif.empty())
    check(heif_context_add_exif_metadata(context.get(), handle, exif.data(), int(exif.size())));
  std::string bytes;
  heif_writer writer{};
  writer.writer_api_version = 1;
  writer.write = [](heif_context*, const void* data, size_t size, void* out) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
  };
  check(heif_context_write(context.get(), &writer, &bytes));
  heif_deinit();
  return bytes;
}

// A PNG whose image header declares another size (its checksum left as it
// was: the header is read before any checksum is).
inline std::string WithPngSize(std::string png, std::uint32_t width, std::uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = char(width >> (24 - 8 * i));
    png[20 + i] = char(height >> (24 - 8 * i));
  }
  return png;
}

// A lossy WebP (its first chunk "VP8 ") declaring another size in its frame
// header; the file is otherwise the same.
inline std::string WithWebPSize(std::string webp, int width, int height) {
  if (webp.compare(12, 4, "VP8 ") != 0) throw std::invalid_argument("not a lossy WebP");
  // After the chunk header, the frame tag (3 bytes) and the start code (3).
  constexpr std::size_t kSizes = 12 + 8 + 3 + 3;
  webp[kSizes] = char(width & 0xFF), webp[kSizes + 1] = char(width >> 8 & 0x3F);
  webp[kSizes + 2] = char(height & 0xFF), webp[kSizes + 3] = char(height >> 8 & 0x3F);
  return webp;
}

// A lossless WebP (its first chunk "VP8L") declaring another size.
inline std::string WithLosslessWebPSize(std::string webp, int width, int height) {
  if (webp.compare(12, 4, "VP8L") != 0) throw std::invalid_argument("not a lossless WebP");
  // After the chunk header and the signature byte: 14 bits each of the
  // width and height less one, from the lowest bit of a little-endian word.
  constexpr std::size_t kSizes = 12 + 8 + 1;
  std::uint32_t word = 0;
  for (int i = 3; i >= 0; --i) word = word << 8 | std::uint8_t(webp[kSizes + i]);
  word = (word & ~0x0FFFFFFFu) | std::uint32_t(width - 1) | std::uint32_t(height - 1) << 14;
  for (int i = 0; i < 4; ++i) webp[kSizes + i] = char(word >> (8 * i));
  return webp;
}

// A HEIF file whose image size properties (its "ispe" boxes: the coded
// picture's and, for one the encoder cropped, the primary picture's)
// declare another size.
inline std::string WithHeifSize(std::string heif, std::uint32_t width, std::uint32_t height) {
  std::size_t box = heif.find("ispe");
  if (box == std::string::npos) throw std::invalid_argument("no image size property");
  for (; box != std::string::npos; box = heif.find("ispe", box + 4)) {
    // After the box type, its version and flags (4 bytes), both sides in
    // big-endian order.
    for (int i = 0; i < 4; ++i) {
      heif[box + 8 + i] = char(width >> (24 - 8 * i));
      heif[box + 12 + i] = char(height >> (24 - 8 * i));
    }
  }
  return heif;
}

}  // namespace test_pictures
