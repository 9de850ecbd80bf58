#include "tesselet/batch/ThumbnailBatch.h"

#include <chrono>
#include <new>

#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ProgramName.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/imaging/cThumbnail.h"

namespace tesselet {

ThumbnailBatch::ThumbnailBatch(BatchView& view, platform::HostServices& host)
    : view_(view), host_(host) {}

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
  for (std::int32_t done = 1; done <= total; ++done) {
    const std::string& entry = entries[std::size_t(done - 1)];
    try {
      MakeThumbnail(entry);
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

void ThumbnailBatch::MakeThumbnail(const std::string& fileName) const {
  const ThumbnailSettings settings = view_.currentSettings();
  imaging::cThumbnail thumbnail;
  thumbnail.MaxWidth(SizeFromText(settings.maxWidthText));
  thumbnail.MaxHeight(SizeFromText(settings.maxHeightText));
  thumbnail.BackColor(settings.backColor);
  thumbnail.ForcedDimensions(settings.forcedDimensions);
  thumbnail.DestFilePath(ThumbnailPath(settings.thumbnailsFolder, fileName, settings.type));
  thumbnail.CreateFromFile(SourcePath(settings.imageFolder, fileName));
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
