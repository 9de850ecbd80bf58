#include "tesselet/batch/ThumbnailBatch.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "imaging/pixels/SystemColour.h"
#include "imaging/thumbnail/cThumbnail.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/ProgramName.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/batch/WebCopyFiles.h"
#include "tesselet/batch/WorkerCount.h"

namespace tesselet {

namespace {

// How a report names what a picture gets: "thumbnail", "web copies" or both
// ("no" then goes before each).
std::string Outputs(const BatchOutcome& outcome, bool plural, const std::string& no = "") {
  const std::string thumbnail = plural ? "thumbnails" : "thumbnail";
  if (!outcome.webCopies) return no + thumbnail;
  return outcome.thumbnails ? no + thumbnail + " and " + no + "web copies" : no + "web copies";
}

}  // namespace

DecodeSettings ThumbnailBatch::ForDecoding(const ThumbnailSettings& settings) const {
  DecodeSettings decode;
  decode.imageFolder = settings.imageFolder;
  decode.thumbnail = thumbnails_;
  decode.webCopies = !webFolder_.empty();
  decode.webFolder = webFolder_;
  decode.allMedia = settings.allMedia;
  if (thumbnails_) {
    decode.thumbnailsFolder = settings.thumbnailsFolder;
    decode.type = settings.type;
  }
  // Without thumbnails the box and colour settings make nothing.
  if (!thumbnails_) return decode;
  decode.render.MaxWidth = SizeFromText(settings.maxWidthText);
  decode.render.MaxHeight = SizeFromText(settings.maxHeightText);
  // The desktop's palette is read on this thread only: a system colour
  // becomes the plain colour it stands for now, before any decoding.
  decode.render.BackColor =
      settings.forcedDimensions
          ? imaging::pixels::SystemColour::OleTranslateColor(settings.backColor)
          : settings.backColor;
  decode.render.ForcedDimensions = settings.forcedDimensions;
  return decode;
}

namespace {

// Runs `step` and hands back what it raised as a run-time error (running out
// of memory as error 7), or nothing; each caller then says once what a
// failure means to the batch.
template <typename Step>
std::optional<platform::RunTimeError> FailureOf(Step&& step) {
  try {
    step();
  } catch (const platform::RunTimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return platform::RunTimeError::standard(platform::kOutOfMemory, kFrontEndSource);
  }
  return std::nullopt;
}

// The message for a batch that failed: the picture, its place in the batch,
// and the error's own description, number and source.
std::string FailureMessage(const BatchOutcome& outcome) {
  const std::string failed = outcome.failedOnWebCopy ? "web copies" : "thumbnail";
  std::string text = "The " + failed + " of \"" + outcome.failedEntry + "\" (picture " +
                     std::to_string(outcome.failedAt) + " of " + std::to_string(outcome.total) +
                     ") could not be made.";
  if (outcome.error) {
    text += "\n" + outcome.error->description() + "\n(error " +
            std::to_string(outcome.error->number()) + " in " + outcome.error->source() + ")";
  }
  text += "\nThe " + Outputs(outcome, true) + " made before it are kept.";
  return text;
}

}  // namespace

ThumbnailBatch::ThumbnailBatch(BatchView& view, platform::HostServices& host)
    : ThumbnailBatch(view, host, BatchWorkerCount()) {}

ThumbnailBatch::ThumbnailBatch(BatchView& view, platform::HostServices& host, int workers,
                               RenderStep render)
    : view_(view),
      host_(host),
      workers_(std::max(workers, 1)),
      render_(render ? std::move(render) : RenderStep(RenderOutputs)) {}

ThumbnailBatch::~ThumbnailBatch() = default;

void ThumbnailBatch::BeginDecoding() {
  if (workers_ == 1) return;
  try {
    ReadOutputs();
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
  ReadOutputs();
  outcome.thumbnails = thumbnails_;
  outcome.webCopies = !webFolder_.empty();
  if (!thumbnails_ && webFolder_.empty()) {
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
    if (auto error = FailureOf([&] { MakeThumbnail(entries, std::size_t(done - 1), outcome); })) {
      outcome.kind = BatchOutcome::Kind::kFailed;
      outcome.failedAt = done;
      outcome.failedEntry = entry;
      outcome.error = std::move(error);
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

void ThumbnailBatch::MakeThumbnail(const std::vector<std::string>& entries, std::size_t index,
                                   BatchOutcome& outcome) {
  // The picture's turn: the settings as they stand now decide, whatever
  // was decoded ahead with. Settings that cannot be used raise here, before
  // the picture is read, and end the batch.
  const ThumbnailSettings settings = view_.currentSettings();
  const DecodeSettings decode = ForDecoding(settings);
  imaging::thumbnail::cThumbnail thumbnail(decode.render);
  if (thumbnails_) thumbnail.CheckBox();
  thumbnail.DestFilePath(ThumbnailPath(settings.thumbnailsFolder, entries[index], settings.type));
  if (workers_ > 1 && !decoding_) StartDecoding(entries, decode);
  PictureOutputs outputs;
  // Whatever reading the picture raises is the picture's own: the next
  // picture may read well.
  if (auto error = FailureOf([&] { outputs = Decode(entries, index, decode); })) {
    outcome.skipped.push_back({std::int32_t(index + 1), entries[index], std::move(*error)});
    return;
  }
  // Outputs that already are what they would be stay as they are.
  if (outputs.current) return;
  thumbnail.Comment(outputs.thumbnailRecord);
  if (outputs.thumbnail) thumbnail.WriteCanvas(std::move(outputs.thumbnail));
  if (webFolder_.empty()) return;
  try {
    WriteWebCopies(webFolder_, entries[index], outputs.webCopies);
  } catch (...) {
    outcome.failedOnWebCopy = true;
    throw;
  }
}

PictureOutputs ThumbnailBatch::Decode(const std::vector<std::string>& entries, std::size_t index,
                                      const DecodeSettings& settings) {
  if (workers_ == 1) return render_(settings, SourcePath(settings.imageFolder, entries[index]));
  return decoding_->Take(index, settings);
}

void ThumbnailBatch::ReadOutputs() {
  thumbnails_ = IsUsableDestination(view_.thumbnailsFolderText());
  webFolder_ = WebFolderOf(view_.currentSettings().imageFolder);
}

void ThumbnailBatch::StartDecoding(const std::vector<std::string>& entries,
                                   const DecodeSettings& settings) {
  if (entries.empty()) return;
  decoding_ = std::make_unique<DecodeAhead>(std::min(workers_, int(entries.size())), render_);
  decoding_->Start(entries, settings);
}

std::string BatchReport(const BatchOutcome& outcome) {
  using Kind = BatchOutcome::Kind;
  std::string text;
  if (outcome.kind == Kind::kFailed) text = FailureMessage(outcome);
  if (outcome.skipped.empty()) return text;
  if (!text.empty()) text += "\nBefore it, ";
  const std::size_t count = outcome.skipped.size();
  text += std::to_string(count) + " of " + std::to_string(outcome.total) +
          (count == 1
               ? " pictures could not be read; it has " + Outputs(outcome, false, "no ") + ":"
               : " pictures could not be read; they have " + Outputs(outcome, true, "no ") + ":");
  for (const SkippedPicture& picture : outcome.skipped) {
    text += "\n\"" + picture.entry + "\" (picture " + std::to_string(picture.position) + " of " +
            std::to_string(outcome.total) + "): " + picture.error.description() + " (error " +
            std::to_string(picture.error.number()) + " in " + picture.error.source() + ")";
  }
  const std::int32_t made = outcome.total - std::int32_t(count);
  if (outcome.kind == Kind::kCompleted && made == 1)
    text += "\nThe other one has its " + Outputs(outcome, false) + ".";
  if (outcome.kind == Kind::kCompleted && made > 1)
    text += "\nThe other " + std::to_string(made) + " have their " + Outputs(outcome, true) + ".";
  return text;
}

}  // namespace tesselet
