#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/HostServices.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/BatchView.h"
#include "tesselet/batch/DecodeAhead.h"

namespace tesselet {

// A picture that could not be read or decoded: the batch went on without
// its thumbnail.
struct SkippedPicture {
  std::int32_t position = 0;  // 1-based place in the batch
  std::string entry;
  platform::RunTimeError error;
};

// How a batch ended. A failure names the picture it stopped at; pictures
// skipped before it (or in a batch that went to its end) are listed in
// list order.
struct BatchOutcome {
  enum class Kind { kCompleted, kRefused, kFailed, kStopped };
  Kind kind = Kind::kCompleted;
  std::int32_t total = 0;
  std::int32_t failedAt = 0;  // 1-based position of the failed picture
  std::string failedEntry;
  std::optional<platform::RunTimeError> error;
  // What was failing: a web copy rather than the thumbnail.
  bool failedOnWebCopy = false;
  std::vector<SkippedPicture> skipped;
  // What the batch makes of each picture.
  bool thumbnails = true;
  bool webCopies = false;
};

// The create action: checks the thumbnails folder, then makes one thumbnail
// per list entry in list order with the settings the window holds at that
// picture's turn, counting progress and handling window events once after
// each picture. A picture that cannot be read or decoded is skipped and
// the batch goes on; any other failure (settings that cannot be used, a
// thumbnail that cannot be written) ends the batch at once, as the next
// picture would fail the same way. Thumbnails already written stay.
//
// When the image folder has a "Web" sub-folder, the same turn also writes
// the picture's web copies there, made from the same decode; with that
// folder and no thumbnails folder, the batch makes the copies alone. A copy
// that cannot be written ends the batch as a thumbnail does; a picture
// that cannot be read is skipped once, having neither.
//
// With more than one worker the pictures are decoded ahead of their turns
// on threads of their own (DecodeAhead); writing, counting and events stay
// on this thread, in list order. At each turn the settings are read again,
// and pictures decoded with settings that have changed since are decoded
// again, so an edit during the batch applies from the next picture on, as
// it would with one worker. Pictures after a failure or a stop are never
// written, and no thread outlives the batch. Skipped pictures are the same,
// in the same order, for any number of workers.
class ThumbnailBatch {
 public:
  // As many workers as BatchWorkerCount gives.
  ThumbnailBatch(BatchView& view, platform::HostServices& host);
  ThumbnailBatch(BatchView& view, platform::HostServices& host, int workers,
                 RenderStep render = nullptr);
  ~ThumbnailBatch();

  // Starts decoding the listed pictures with the window's current settings
  // before Run, while the window settles; nothing shows and nothing is
  // written. Does nothing with one worker.
  void BeginDecoding();

  BatchOutcome Run();

 private:
  BatchOutcome MakeThumbnails();
  // Makes entry `index`'s thumbnail, or adds the entry to the skipped
  // pictures when it cannot be read. Raises the failures that end the batch.
  void MakeThumbnail(const std::vector<std::string>& entries, std::size_t index,
                     BatchOutcome& outcome);
  PictureOutputs Decode(const std::vector<std::string>& entries, std::size_t index,
                        const DecodeSettings& settings);
  void StartDecoding(const std::vector<std::string>& entries, const DecodeSettings& settings);
  // What the folders ask for: thumbnails when the thumbnails folder is
  // there, web copies when the image folder has its web folder.
  void ReadOutputs();
  // What the window's settings make of a picture's decode. Raises what the
  // size texts raise.
  DecodeSettings ForDecoding(const ThumbnailSettings& settings) const;

  BatchView& view_;
  platform::HostServices& host_;
  int workers_;
  RenderStep render_;
  std::unique_ptr<DecodeAhead> decoding_;
  bool thumbnails_ = true;
  std::string webFolder_;  // empty: no web copies
};

// What the user is told when a batch ends: the failure that stopped it, if
// one did, and every picture skipped, each with its error. Empty when there
// is nothing to tell.
std::string BatchReport(const BatchOutcome& outcome);

}  // namespace tesselet
