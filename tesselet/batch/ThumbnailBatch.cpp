#include "tesselet/batch/ThumbnailBatch.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ProgramName.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/batch/WorkerCount.h"
#include "tesselet/imaging/SystemColour.h"

namespace tesselet {

namespace {

std::unique_ptr<imaging::DibBitmap> RenderFile(const imaging::cThumbnail& thumbnail,
                                               const std::string& sourcePath) {
  return thumbnail.RenderFile(sourcePath);
}

// What the window's settings make of a picture's decode. Raises what the
// size texts raise.
DecodeSettings ForDecoding(const ThumbnailSettings& settings) {
  DecodeSettings decode;
  decode.thumbnail.MaxWidth(SizeFromText(settings.maxWidthText));
  decode.thumbnail.MaxHeight(SizeFromText(settings.maxHeightText));
  // The desktop's palette is read on this thread only: a system colour
  // becomes the plain colour it stands for now, before any decoding.
  decode.thumbnail.BackColor(settings.forcedDimensions
                                 ? imaging::SystemColour::OleTranslateColor(settings.backColor)
                                 : settings.backColor);
  decode.thumbnail.ForcedDimensions(settings.forcedDimensions);
  decode.imageFolder = settings.imageFolder;
  return decode;
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

ThumbnailBatch::~ThumbnailBatch() = default;

void ThumbnailBatch::BeginDecoding() {
  if (workers_ == 1) return;
  try {
    StartDecoding(view_.listEntries(), ForDecoding(view_.currentSettings()));
  } catch (const platform::RunTimeError&) {
    // Settings that cannot be used fail the batch at the first picture's
    // turn, if they are still the same then.
  } catch (const std::bad_alloc&) {
  }
}

BatchOutcome ThumbnailBatch::Run() {
  BatchOutcome outcome = MakeThumbnails();
  // Pictures still decoding when the batch ends are waited for: no thread
  // outlives it.
  decoding_.reset();
  return outcome;
}

BatchOutcome ThumbnailBatch::MakeThumbnails() {
  BatchOutcome outcome;
  if (!IsUsableDestination(view_.thumbnailsFolderText())) {
    decoding_.reset();
    host_.showMessage("The destination path specified for the thumbnails is not valid.",
                      "Bad directory", platform::MessageIcon::kInformation);
    outcome.kind = BatchOutcome::Kind::kRefused;
    return outcome;
  }
  const std::vector<std::string> entries = view_.listEntries();
  // Decoded for another list: of no use.
  if (decoding_ && decoding_->Entries() != entries) decoding_.reset();
  // The list holds at most a 16-bit count of entries, so this cannot narrow.
  const auto total = std::int32_t(entries.size());
  outcome.total = total;
  view_.showBatchStarted();
  view_.showProgress(0, total);
  for (std::int32_t done = 1; done <= total; ++done) {
    const std::string& entry = entries[std::size_t(done - 1)];
    try {
      MakeThumbnail(entries, std::size_t(done - 1));
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

void ThumbnailBatch::MakeThumbnail(const std::vector<std::string>& entries, std::size_t index) {
  // The picture's turn: the settings as they stand now decide, whatever
  // was decoded ahead with.
  const ThumbnailSettings settings = view_.currentSettings();
  const DecodeSettings decode = ForDecoding(settings);
  imaging::cThumbnail thumbnail = decode.thumbnail;
  thumbnail.DestFilePath(ThumbnailPath(settings.thumbnailsFolder, entries[index], settings.type));
  std::unique_ptr<imaging::DibBitmap> canvas;
  if (workers_ == 1) {
    canvas = render_(thumbnail, SourcePath(decode.imageFolder, entries[index]));
  } else {
    if (!decoding_) StartDecoding(entries, decode);
    canvas = decoding_->Take(index, decode);
  }
  thumbnail.WriteCanvas(std::move(canvas));
}

void ThumbnailBatch::StartDecoding(const std::vector<std::string>& entries,
                                   const DecodeSettings& settings) {
  if (entries.empty()) return;
  decoding_ = std::make_unique<DecodeAhead>(std::min(workers_, int(entries.size())), render_);
  decoding_->Start(entries, settings);
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
