#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/HostServices.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/BatchView.h"

namespace tesselet {

// How a batch ended. A failure names the picture it stopped at.
struct BatchOutcome {
  enum class Kind { kCompleted, kRefused, kFailed, kStopped };
  Kind kind = Kind::kCompleted;
  std::int32_t total = 0;
  std::int32_t failedAt = 0;  // 1-based position of the failed picture
  std::string failedEntry;
  std::optional<platform::RunTimeError> error;
};

// The create action: checks the thumbnails folder, then makes one thumbnail
// per list entry in list order with the settings the window holds at that
// picture's turn, counting progress and handling window events once after
// each picture. The first failure ends the batch; thumbnails already
// written stay.
class ThumbnailBatch {
 public:
  ThumbnailBatch(BatchView& view, platform::HostServices& host);

  BatchOutcome Run();

 private:
  void MakeThumbnail(const std::string& fileName) const;

  BatchView& view_;
  platform::HostServices& host_;
};

// The message for a batch that failed: the picture, its place in the batch,
// and the error's own description, number and source.
std::string FailureMessage(const BatchOutcome& outcome);

}  // namespace tesselet
