#pragma once

// The one way the tests write metadata into a picture: through Exiv2, as a
// photo editor would, so the captions read back are the ones real files
// carry.

#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempFolder.h"
#include "tests/support/TestJpeg.h"

namespace captioned_picture {

// Keys as Exiv2 names them ("Exif.Image.ImageDescription",
// "Iptc.Application2.Caption", "Xmp.dc.description"), values as Exiv2 reads
// them from text (`lang="de-DE" Bucht` for one language of an XMP text).
using Metadata = std::vector<std::pair<std::string, std::string>>;

// Adds the metadata to the picture file in place.
inline void WriteMetadata(const std::filesystem::path& file, const Metadata& metadata) {
  auto image = Exiv2::ImageFactory::open(file.string());
  image->readMetadata();
  for (const auto& [key, value] : metadata) {
    if (key.rfind("Exif.", 0) == 0)
      image->exifData()[key] = value;
    else if (key.rfind("Iptc.", 0) == 0)
      image->iptcData()[key] = value;
    else if (key.rfind("Xmp.", 0) == 0)
      image->xmpData()[key] = value;
    else
      throw std::invalid_argument("no such metadata family: " + key);
  }
  image->writeMetadata();
}

// Writes a small grey JPEG carrying the metadata.
inline std::filesystem::path WriteJpeg(const std::filesystem::path& file,
                                       const Metadata& metadata) {
  const std::vector<unsigned char> pixels(8 * 8 * 3, 128);
  TempFolder::write_to(file, test_jpeg::Encode(pixels.data(), 8, 8, TJPF_RGB, TJSAMP_444, 90, 0));
  WriteMetadata(file, metadata);
  return file;
}

}  // namespace captioned_picture
