#pragma once

#include <string>

namespace imaging::pixels {
class StdPicture;
}  // namespace imaging::pixels

namespace imaging::writing {

// The picture saver: writes a picture's bitmap as a 24-bit BMP file. The
// bitmap's memory already is a BMP file's pixel block (bottom row first,
// rows padded to 4 bytes), so it goes out as it is, after the two headers.
// The file is written with the shared replacing writer (platform::AtomicFile),
// so a failure never leaves a half-written or lost picture. Failures raise
// the file system's error, its description naming the file.
namespace PictureSaver {

void SavePicture(const pixels::StdPicture& picture, const std::string& aFilePath);

}  // namespace PictureSaver

}  // namespace imaging::writing
