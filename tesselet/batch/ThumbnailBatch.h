#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/HostServices.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/BatchView.h"
#include "tesselet/imaging/DibBitmap.h"
#include "tesselet/imaging/cThumbnail.h"

namespace tesselet {

class WorkerPool;

// How a batch ended. A failure names the picture it stopped at.
struct BatchOutcome {
  enum class Kind { kCompleted, kRefused, kFailed, kStopped };
  Kind kind = Kind::kCompleted;
  std::int32_t total = 0;
  std::int32_t failedAt = 0;  // 1-based position of the failed picture
  std::string failedEntry;
  std::optional<platform::RunTimeError> error;
};

// Decodes and reduces one picture for the batch, on whichever thread the
// batch chooses: the renderer's own RenderFile unless a test steers it.
using RenderStep = std::function<std::unique_ptr<imaging::DibBitmap>(
    const imaging::cThumbnail& thumbnail, const std::string& sourcePath)>;

// The create action: checks the thumbnails folder, then makes one thumbnail
// per list entry in list order with the settings the window holds at that
// picture's turn, counting progress and handling window events once after
// each picture. The first failure ends the batch; thumbnails already
// written stay.
//
// With more than one worker, the pictures after the one in turn are decoded
// ahead on threads of their own, up to one picture per worker, with the
// settings of the moment they are handed on. Everything else happens here,
// in list order: when a picture's turn comes its settings are read again,
// and a picture decoded with settings that have changed since is decoded
// again. A picture after a failure or a stop is never written, and no
// thread outlives Run.
class ThumbnailBatch {
 public:
  // As many workers as BatchWorkerCount gives.
  ThumbnailBatch(BatchView& view, platform::HostServices& host);
  ThumbnailBatch(BatchView& view, platform::HostServices& host, int workers,
                 RenderStep render = nullptr);

  BatchOutcome Run();

 private:
  struct PictureJob;
  struct HandedPicture;

  PictureJob Prepare(const std::string& fileName) const;
  HandedPicture Hand(WorkerPool& pool, const std::string& fileName) const;
  void MakeThumbnail(const std::string& fileName, HandedPicture* ahead) const;

  BatchView& view_;
  platform::HostServices& host_;
  int workers_;
  RenderStep render_;
};

// The message for a batch that failed: the picture, its place in the batch,
// and the error's own description, number and source.
std::string FailureMessage(const BatchOutcome& outcome);

}  // namespace tesselet
