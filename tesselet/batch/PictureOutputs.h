#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/reading/MemoryPool.h"
#include "tesselet/batch/DecodeSettings.h"

namespace tesselet {

// What one picture's turn writes: its thumbnail as rendered (when
// thumbnails are made) and its encoded web copies, largest first (when
// they are asked for); and, while they wait for their turn, the share of
// the memory pool they hold. Or, instead, that the files there are what
// they would be (current): nothing is decoded and nothing to write.
struct PictureOutputs {
  std::unique_ptr<imaging::pixels::DibBitmap> thumbnail;
  std::vector<std::string> webCopies;
  imaging::reading::MemoryPool::Share held;
  bool current = false;
  // What the thumbnail records when it is written as a JPEG.
  std::string thumbnailRecord;

  // The bytes they hold.
  std::int64_t Bytes() const;
};

// Reads the picture file once and makes what the settings ask for from
// that one decode, at the smallest scale that serves them all, each output
// with its record (OutputRecord). Without web copies the thumbnail is the
// renderer's own RenderFile, pixel for pixel. When every output asked for
// is already there and records the picture's present stamp and these
// settings, it is current and the picture is not read: a BMP thumbnail
// has no record and is always made again. The file name is the path's
// last part. Runs on worker threads. Raises what the loader and the
// encoder raise.
PictureOutputs RenderOutputs(const DecodeSettings& settings, const std::string& sourcePath);

}  // namespace tesselet
