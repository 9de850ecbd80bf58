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
// the memory pool they hold.
struct PictureOutputs {
  std::unique_ptr<imaging::pixels::DibBitmap> thumbnail;
  std::vector<std::string> webCopies;
  imaging::reading::MemoryPool::Share held;

  // The bytes they hold.
  std::int64_t Bytes() const;
};

// Reads the picture file once and makes what the settings ask for from
// that one decode, at the smallest scale that serves them all. Without web
// copies the thumbnail is the renderer's own RenderFile, pixel for pixel.
// Runs on worker threads. Raises what the loader and the encoder raise.
PictureOutputs RenderOutputs(const DecodeSettings& settings, const std::string& sourcePath);

}  // namespace tesselet
