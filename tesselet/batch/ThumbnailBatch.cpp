#include "tesselet/batch/ThumbnailBatch.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ProgramName.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/batch/WorkerCount.h"
#include "tesselet/batch/WorkerPool.h"
#include "tesselet/imaging/SystemColour.h"

namespace tesselet {

// One picture's renderer, set from the window's settings, and its file.
struct ThumbnailBatch::PictureJob {
  imaging::cThumbnail thumbnail;
  std::string source;
};

// A picture decoded ahead: the job it was handed with (none when the
// settings could not be read then) and its reduced picture to come.
struct ThumbnailBatch::HandedPicture {
  std::optional<PictureJob> job;
  std::future<std::unique_ptr<imaging::DibBitmap>> canvas;
};

namespace {

// Whether two jobs decode to the same picture; the file they write and its
// format are settled at the picture's turn and do not count.
bool DecodeAlike(const imaging::cThumbnail& a, const imaging::cThumbnail& b) {
  return a.MaxWidth() == b.MaxWidth() && a.MaxHeight() == b.MaxHeight() &&
         a.ForcedDimensions() == b.ForcedDimensions() && a.BackColor() == b.BackColor();
}

std::unique_ptr<imaging::DibBitmap> RenderFile(const imaging::cThumbnail& thumbnail,
                                               const std::string& sourcePath) {
  return thumbnail.RenderFile(sourcePath);
}

}  // namespace

ThumbnailBatch::ThumbnailBatch(BatchView& view, platform::HostServices& host)
    : ThumbnailBatch(view, host, BatchWorkerCount()) {}

ThumbnailBatch::ThumbnailBatch(BatchView& view, platform::HostServices& host, int workers,
                               RenderStep render)
    : view_(view),
      host_(host),
      workers_(std::max(workers, 1)),
      render_(render ? std::move(render) : RenderStep(RenderFile)) {}

BatchOutcome ThumbnailBatch::Run() {
  BatchOutcome outcome;
  if (!IsUsableDestination(view_.thumbnailsFolderText())) {
    host_.showMessage("The destination path specified for the thumbnails is not valid.",
                      "Bad directory", platform::MessageIcon::kInformation);
    outcome.kind = BatchOutcome::Kind::kRefused;
    return outcome;
  }
  const std::vector<std::string> entries = view_.listEntries();
  // The list holds at most a 16-bit count of entries, so this cannot narrow.
  const auto total = std::int32_t(entries.size());
  outcome.total = total;
  view_.showBatchStarted();
  view_.showProgress(0, total);
  // One worker needs no thread: each picture is decoded here in its turn.
  const int ahead = workers_ > 1 ? std::min(workers_, int(total)) : 0;
  WorkerPool pool(ahead);
  // Declared after the pool, so on leaving early the pictures in hand are
  // dropped first, then the pool waits for the threads still decoding them.
  std::deque<HandedPicture> handed;
  std::size_t next = 0;
  for (std::int32_t done = 1; done <= total; ++done) {
    while (next < entries.size() && handed.size() < std::size_t(ahead))
      handed.push_back(Hand(pool, entries[next++]));
    std::optional<HandedPicture> picture;
    if (!handed.empty()) {
      picture = std::move(handed.front());
      handed.pop_front();
    }
    const std::string& entry = entries[std::size_t(done - 1)];
    try {
      MakeThumbnail(entry, picture ? &*picture : nullptr);
    } catch (const platform::RunTimeError& error) {
      outcome = {BatchOutcome::Kind::kFailed, total, done, entry, error};
      return outcome;
    } catch (const std::bad_alloc&) {
      outcome = {BatchOutcome::Kind::kFailed, total, done, entry,
                 platform::RunTimeError::standard(platform::kOutOfMemory, kFrontEndSource)};
      return outcome;
    }
    view_.showProgress(done, total);
    host_.processEvents(std::chrono::milliseconds(0));
    if (view_.stopRequested() && done < total) {
      outcome.kind = BatchOutcome::Kind::kStopped;
      return outcome;
    }
  }
  view_.showBatchEnded();
  return outcome;
}

ThumbnailBatch::PictureJob ThumbnailBatch::Prepare(const std::string& fileName) const {
  const ThumbnailSettings settings = view_.currentSettings();
  PictureJob job;
  job.thumbnail.MaxWidth(SizeFromText(settings.maxWidthText));
  job.thumbnail.MaxHeight(SizeFromText(settings.maxHeightText));
  // The desktop's palette is read on this thread only: a system colour
  // becomes the plain colour it stands for now, before any decoding.
  job.thumbnail.BackColor(settings.forcedDimensions
                              ? imaging::SystemColour::OleTranslateColor(settings.backColor)
                              : settings.backColor);
  job.thumbnail.ForcedDimensions(settings.forcedDimensions);
  job.thumbnail.DestFilePath(ThumbnailPath(settings.thumbnailsFolder, fileName, settings.type));
  job.source = SourcePath(settings.imageFolder, fileName);
  return job;
}

ThumbnailBatch::HandedPicture ThumbnailBatch::Hand(WorkerPool& pool,
                                                   const std::string& fileName) const {
  HandedPicture picture;
  try {
    picture.job = Prepare(fileName);
    picture.canvas = pool.Submit(
        [render = render_, job = *picture.job] { return render(job.thumbnail, job.source); });
  } catch (...) {
    // Nothing decoded ahead: the picture's turn reads the settings again
    // and meets whatever failed here in its own time.
    picture.job.reset();
  }
  return picture;
}

void ThumbnailBatch::MakeThumbnail(const std::string& fileName, HandedPicture* ahead) const {
  // The picture's turn: the settings as they stand now decide, exactly as
  // if nothing had been decoded ahead.
  const PictureJob job = Prepare(fileName);
  std::unique_ptr<imaging::DibBitmap> canvas;
  if (ahead && ahead->job && ahead->job->source == job.source &&
      DecodeAlike(ahead->job->thumbnail, job.thumbnail)) {
    canvas = ahead->canvas.get();
  } else {
    // Settings changed since it was handed on: its decode is of no use. It
    // ends before this one starts, so no more pictures are in memory at
    // once than there are workers.
    if (ahead && ahead->canvas.valid()) ahead->canvas.wait();
    canvas = render_(job.thumbnail, job.source);
  }
  job.thumbnail.WriteCanvas(std::move(canvas));
}

std::string FailureMessage(const BatchOutcome& outcome) {
  std::string text = "The thumbnail of \"" + outcome.failedEntry + "\" (picture " +
                     std::to_string(outcome.failedAt) + " of " + std::to_string(outcome.total) +
                     ") could not be made.";
  if (outcome.error) {
    text += "\n" + outcome.error->description() + "\n(error " +
            std::to_string(outcome.error->number()) + " in " + outcome.error->source() + ")";
  }
  text += "\nThe thumbnails made before it are kept.";
  return text;
}

}  // namespace tesselet
