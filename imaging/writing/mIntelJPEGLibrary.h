#pragma once

#include <cstdint>
#include <string>

namespace imaging::pixels {
class cDIBSection;
}  // namespace imaging::pixels

namespace imaging::writing {

class JpegLibrary;

namespace mIntelJPEGLibrary {

// Writes the buffer's picture to a JPEG file at the quality (1 to 100),
// reading the pixel memory in place. An existing file at the path is
// replaced only once the new one is complete, and keeps its times and
// permissions; one the user may not write is refused with 75 and kept. True
// when written; failures raise run-time error 26001 (source
// "tesselet.mIntelJPEGLibrary") or the file system's error. A comment that
// is not empty goes into the file as its comment segment.
bool SaveDibAsJpeg(const pixels::cDIBSection& dib, const std::string& aFilePath,
                   std::int32_t quality, const std::string& comment = {});

// The same through a given library (tests hand in one that fails).
bool SaveDibAsJpeg(const pixels::cDIBSection& dib, const std::string& aFilePath,
                   std::int32_t quality, JpegLibrary& library, const std::string& comment = {});

}  // namespace mIntelJPEGLibrary

}  // namespace imaging::writing
