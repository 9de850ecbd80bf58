#pragma once

#include <string>

#include "imaging/thumbnail/RenderOptions.h"
#include "tesselet/batch/ThumbnailNaming.h"

namespace tesselet {

// What decides how the batch's pictures decode: the renderer's box, fit and
// background (a plain colour by now: system colours are looked up on the
// window thread), the folder the pictures are in, and what is made of each
// (its thumbnail, its web copies, or both) and where, so a picture whose
// outputs are current is not decoded at all. A picture decoded with
// settings that differ in anything is decoded again.
struct DecodeSettings {
  imaging::thumbnail::RenderOptions render;
  std::string imageFolder;
  bool thumbnail = true;
  bool webCopies = false;
  std::string thumbnailsFolder;
  ThumbnailType type = ThumbnailType::kJpeg;
  std::string webFolder;
  // Whether videos are read (photos and videos of every kind asked for).
  // A picture's outputs do not depend on it, so its records leave it out.
  bool allMedia = false;

  bool operator==(const DecodeSettings&) const = default;
};

}  // namespace tesselet
