#include "tesselet/batch/ThumbnailNaming.h"

#include "tesselet/batch/FolderText.h"

namespace tesselet {

namespace {

const char* Extension(ThumbnailType type) {
  switch (type) {
    case ThumbnailType::kBitmap:
      return ".bmp";
    case ThumbnailType::kJpeg:
      return ".jpg";
    case ThumbnailType::kNone:
      break;
  }
  return "";
}

}  // namespace

std::string SourcePath(const std::string& imageFolder, const std::string& fileName) {
  return WithTrailingSlash(imageFolder) + fileName;
}

std::string ThumbnailPath(const std::string& thumbnailsFolder, const std::string& fileName,
                          ThumbnailType type) {
  const std::string baseName = fileName.substr(0, fileName.find('.'));
  return WithTrailingSlash(thumbnailsFolder) + "thumb" + baseName + Extension(type);
}

}  // namespace tesselet
