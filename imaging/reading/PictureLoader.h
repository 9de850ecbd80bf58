#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/MemoryPool.h"
#include "platform/FileDescriptor.h"

namespace imaging::reading {

class PictureDecoder;

// The picture loader: reads a JPEG, PNG, WebP, HEIF (the primary picture),
// BMP or GIF file, or one frame of a video (told apart by their first
// bytes, not by the name) into a picture. Making the loader reads the
// file and its header, so the picture's full size, as shown, is known before
// any pixel is decoded; Load then decodes it, a JPEG at a reduced scale when
// only a smaller picture is needed. Anything that is not a loadable picture
// raises a run-time error whose description names the file. Only regular
// files are read: anything else (a pipe, a device, a socket) is refused
// without waiting on it. Loads on several threads at once share nothing.
class PictureLoader {
 public:
  // What a load may hold, checked before it allocates: the decoded pixels
  // (a JPEG's at the reduced scale it is decoded at, so a 100-megapixel
  // photo still gives a thumbnail), the file's bytes (larger files are
  // refused before they are read) and what the decode holds beside them at
  // its peak: with the reserve below and what the program itself takes,
  // that keeps the process within 512 MB. The same two amounts bound all
  // the loads running at once: each takes its share of them before it
  // allocates, waiting while the others hold too much, and gives it back
  // when the loader ends (so a thread that keeps one loader while it makes
  // another may wait for itself, when both files are large).
  static constexpr std::int64_t kMaxPixels = 100'000'000;
  static constexpr std::int64_t kMaxFileBytes = std::int64_t{96} << 20;
  static constexpr std::int64_t kMaxDecodeBytes = std::int64_t{320} << 20;
  // Up to this much a decode goes ahead even when its file is too short for
  // the pixels its header declares; past it such a file is refused, so a
  // file of a few bytes never costs more.
  static constexpr std::int64_t kSmallDecodeBytes = std::int64_t{16} << 20;
  // Beside the loads, the decode pool keeps this much for finished pictures
  // waiting for their turn to be written (thumbnails and encoded web copies
  // made ahead): the copies of a camera photo take about 0.4 MB, so this
  // holds more of them than are ever let wait.
  static constexpr std::int64_t kWaitingResultBytes = std::int64_t{48} << 20;

  // The pool every load takes its decode share from, with its reserve of
  // kWaitingResultBytes for finished pictures.
  static MemoryPool& DecodeMemory();

  // Videos are read (their frame at 1 second) only when asked for: a file
  // named as a picture that holds a video is otherwise refused as before.
  explicit PictureLoader(const std::string& aFilePath, bool readVideos = false);
  ~PictureLoader();
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;

  // Full size as shown (JPEG EXIF orientation, HEIF turns and mirrors
  // applied).
  std::int32_t Width() const;
  std::int32_t Height() const;
  // The file's ICC colour profile (empty when it has none), kept after Load.
  const std::vector<std::uint8_t>& ColourProfile() const { return colourProfile_; }

  // The picture, decoded to at least minWidth x minHeight pixels as shown,
  // or at full size. The file's bytes are released afterwards, so a loader
  // loads once; a second call raises error 5.
  pixels::StdPicture Load(std::int32_t minWidth, std::int32_t minHeight);

  // The whole picture at full size.
  static pixels::StdPicture LoadPicture(const std::string& aFilePath);

 private:
  // Opens the file, only a regular one, and tells its size.
  platform::FileDescriptor OpenFile(std::int64_t& fileBytes) const;
  // Reads the file's first `size` bytes, or all it has; the count read.
  std::size_t ReadStart(const platform::FileDescriptor& file, std::uint8_t* data,
                        std::size_t size) const;
  // Reads the whole file into bytes_ (a picture's: a video is never read whole).
  void ReadFile(const platform::FileDescriptor& file, std::int64_t fileBytes);
  void ChooseDecoder(const DecodeLimits& limits);

  std::string path_;
  // Given back last, once what they stand for is released.
  MemoryPool::Share fileShare_;
  MemoryPool::Share decodeShare_;
  // Not zero-filled: every byte is read from the file before it is used.
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
  std::unique_ptr<PictureDecoder> decoder_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint8_t> colourProfile_;
};

}  // namespace imaging::reading
