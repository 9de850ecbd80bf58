#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tesselet/batch/ThumbnailNaming.h"

namespace tesselet {

// The settings one thumbnail is made with, as the window holds them at the
// moment the picture's turn comes.
struct ThumbnailSettings {
  std::string imageFolder;       // trimmed
  std::string thumbnailsFolder;  // trimmed
  std::string maxWidthText;
  std::string maxHeightText;
  std::uint32_t backColor = 0xFFFFFF;
  bool forcedDimensions = false;
  ThumbnailType type = ThumbnailType::kJpeg;
  // Photos and videos of every kind were asked for: videos are read.
  bool allMedia = false;
};

// What the batch needs of its window: the thumbnails folder's text, the
// list's entries, the settings, and the progress caption and bar.
class BatchView {
 public:
  virtual ~BatchView() = default;

  virtual std::string thumbnailsFolderText() const = 0;
  // Every entry of the image list in list order, selected or not.
  virtual std::vector<std::string> listEntries() const = 0;
  virtual ThumbnailSettings currentSettings() const = 0;

  // The create button hidden, the caption and a cleared bar shown.
  virtual void showBatchStarted() = 0;
  virtual void showProgress(std::int32_t done, std::int32_t total) = 0;
  // The caption and bar hidden, the create button back.
  virtual void showBatchEnded() = 0;
  // The user closed the window during the batch.
  virtual bool stopRequested() const = 0;
};

}  // namespace tesselet
