#include "tesselet/batch/PictureOutputs.h"

#include <algorithm>
#include <optional>

#include "imaging/reading/JpegComment.h"
#include "imaging/reading/PictureLoader.h"
#include "imaging/thumbnail/WebCopies.h"
#include "imaging/thumbnail/cThumbnail.h"
#include "tesselet/batch/OutputRecord.h"
#include "tesselet/batch/WebCopyFiles.h"

namespace tesselet {

namespace {

// Whether every output the settings ask for (at least one) is there with
// the record given for it.
bool OutputsCurrent(const DecodeSettings& settings, const std::string& name,
                    const std::string& thumbnailRecord,
                    const std::vector<std::string>& webRecords) {
  if (!settings.thumbnail && !settings.webCopies) return false;
  if (settings.thumbnail &&
      (thumbnailRecord.empty() ||
       !imaging::reading::FileHoldsComment(
           ThumbnailPath(settings.thumbnailsFolder, name, settings.type), thumbnailRecord))) {
    return false;
  }
  if (!settings.webCopies) return true;
  for (std::size_t k = 0; k < webRecords.size(); ++k) {
    const std::int32_t side = imaging::thumbnail::WebCopies::kLongSides[k];
    if (!imaging::reading::FileHoldsComment(WebCopyPath(settings.webFolder, side, name),
                                            webRecords[k])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::int64_t PictureOutputs::Bytes() const {
  std::int64_t bytes = thumbnail ? std::int64_t(thumbnail->SizeInBytes()) : 0;
  for (const std::string& copy : webCopies) bytes += std::int64_t(copy.size());
  return bytes;
}

PictureOutputs RenderOutputs(const DecodeSettings& settings, const std::string& sourcePath) {
  const imaging::thumbnail::cThumbnail thumbnail(settings.render);
  PictureOutputs outputs;
  const std::string name = sourcePath.substr(sourcePath.rfind('/') + 1);
  // Stamped before reading: a picture changed while it is read records the
  // older stamp, so the next batch makes its outputs again.
  std::vector<std::string> webRecords;
  if (const std::optional<SourceStamp> stamp = StampOf(sourcePath)) {
    if (settings.thumbnail && settings.type == ThumbnailType::kJpeg)
      outputs.thumbnailRecord = OutputRecord(*stamp, settings, "thumbnail", name);
    if (settings.webCopies) {
      for (const std::int32_t side : imaging::thumbnail::WebCopies::kLongSides)
        webRecords.push_back(OutputRecord(*stamp, settings, "web " + std::to_string(side), name));
    }
    outputs.current = OutputsCurrent(settings, name, outputs.thumbnailRecord, webRecords);
    if (outputs.current) return outputs;
  }
  if (!settings.webCopies) {
    if (settings.thumbnail) outputs.thumbnail = thumbnail.RenderFile(sourcePath, settings.allMedia);
    return outputs;
  }
  if (settings.thumbnail) thumbnail.CheckBox();
  // The loader, and the memory it holds, lasts until everything is made.
  imaging::reading::PictureLoader loader(sourcePath, settings.allMedia);
  imaging::pixels::PixelSize decode =
      imaging::thumbnail::WebCopies::DecodeSize(loader.Width(), loader.Height());
  if (settings.thumbnail) {
    const imaging::pixels::PixelSize forThumbnail =
        thumbnail.DecodeSize(loader.Width(), loader.Height());
    decode.Width = std::max(decode.Width, forThumbnail.Width);
    decode.Height = std::max(decode.Height, forThumbnail.Height);
  }
  const imaging::pixels::StdPicture picture = loader.Load(decode.Width, decode.Height);
  if (settings.thumbnail) outputs.thumbnail = thumbnail.RenderCanvas(picture);
  outputs.webCopies =
      imaging::thumbnail::WebCopies::Make(picture, loader.ColourProfile(), webRecords);
  return outputs;
}

}  // namespace tesselet
