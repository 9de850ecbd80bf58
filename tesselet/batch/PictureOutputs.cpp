#include "tesselet/batch/PictureOutputs.h"

#include <algorithm>

#include "imaging/reading/PictureLoader.h"
#include "imaging/thumbnail/WebCopies.h"
#include "imaging/thumbnail/cThumbnail.h"

namespace tesselet {

std::int64_t PictureOutputs::Bytes() const {
  std::int64_t bytes = thumbnail ? std::int64_t(thumbnail->SizeInBytes()) : 0;
  for (const std::string& copy : webCopies) bytes += std::int64_t(copy.size());
  return bytes;
}

PictureOutputs RenderOutputs(const DecodeSettings& settings, const std::string& sourcePath) {
  const imaging::thumbnail::cThumbnail thumbnail(settings.render);
  PictureOutputs outputs;
  if (!settings.webCopies) {
    if (settings.thumbnail) outputs.thumbnail = thumbnail.RenderFile(sourcePath);
    return outputs;
  }
  if (settings.thumbnail) thumbnail.CheckBox();
  // The loader, and the memory it holds, lasts until everything is made.
  imaging::reading::PictureLoader loader(sourcePath);
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
  outputs.webCopies = imaging::thumbnail::WebCopies::Make(picture, loader.ColourProfile());
  return outputs;
}

}  // namespace tesselet
