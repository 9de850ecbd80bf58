#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tesselet/imaging/StdPicture.h"

namespace imaging {

class JpegPictureDecoder;
class QtPictureDecoder;

// The picture loader: reads a JPEG, BMP or GIF file (told apart by their
// first bytes, not by the name) into a picture. Making the loader reads the
// file and its header, so the picture's full size, as shown, is known before
// any pixel is decoded; Load then decodes it, a JPEG at a reduced scale when
// only a smaller picture is needed. Anything that is not a loadable picture
// raises a run-time error whose description names the file. Only regular
// files are read: anything else (a pipe, a device, a socket) is refused
// without waiting on it. Loads on several threads at once share nothing.
class PictureLoader {
 public:
  // What a decode may hold, checked before it allocates: the decoded pixels
  // (a JPEG's at the reduced scale it is decoded at, so a 100-megapixel
  // photo still gives a thumbnail) and everything the load holds at its
  // peak, the file's bytes included: with what the program itself takes,
  // that keeps the process within 512 MB.
  static constexpr std::int64_t kMaxPixels = 100'000'000;
  static constexpr std::int64_t kMaxLoadBytes = std::int64_t{384} << 20;
  // Up to this much a load goes ahead even when its file is too short for
  // the pixels its header declares; past it such a file is refused, so a
  // file of a few bytes never costs more.
  static constexpr std::int64_t kSmallLoadBytes = std::int64_t{16} << 20;
  // Larger files are refused before they are read: they alone would take
  // all a load may hold.
  static constexpr std::int64_t kMaxFileBytes = kMaxLoadBytes;

  explicit PictureLoader(const std::string& aFilePath);
  ~PictureLoader();
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;

  // Full size as shown (JPEG EXIF orientation applied).
  std::int32_t Width() const;
  std::int32_t Height() const;

  // The picture, decoded to at least minWidth x minHeight pixels as shown,
  // or at full size. The file's bytes are released afterwards, so a loader
  // loads once; a second call raises error 5.
  StdPicture Load(std::int32_t minWidth, std::int32_t minHeight);

  // The whole picture at full size.
  static StdPicture LoadPicture(const std::string& aFilePath);

 private:
  void ReadFile();

  std::string path_;
  // Not zero-filled: every byte is read from the file before it is used.
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
  std::unique_ptr<JpegPictureDecoder> jpeg_;
  std::unique_ptr<QtPictureDecoder> other_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace imaging
