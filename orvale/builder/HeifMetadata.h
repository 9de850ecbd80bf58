#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvale {

// A metadata block larger than this is nobody's caption and is not read.
inline constexpr std::size_t kLargestHeifMetadataBlock = 16 << 20;
// Metadata items past this many are not looked at.
inline constexpr int kMostHeifMetadataBlocks = 64;

// The metadata blocks of a HEIF picture's primary image, as libheif finds
// them in the file's items: EXIF blocks from their TIFF header on, and XMP
// packets.
struct HeifMetadata {
  std::vector<std::string> exif;
  std::vector<std::string> xmp;
};

// Whether the file's first bytes (at least 12 of them) say HEIF.
bool LooksLikeHeif(const unsigned char* start, std::size_t size);

// Reads the metadata blocks of the HEIF file at `path`: none for a file
// libheif cannot read, and a block larger than the largest is left out.
// Only the boxes and the metadata items are read, never the picture.
HeifMetadata ReadHeifMetadata(const std::string& path);

}  // namespace orvale
