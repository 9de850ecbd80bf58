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

std::string ThumbnailName(const std::string& fileName, ThumbnailType type) {
  // Up to the last dot, so that camera names such as "2023-08-14 12.30.05.jpg"
  // keep thumbnails of their own; the page computes the same name.
  return "thumb" + fileName.substr(0, fileName.rfind('.')) + Extension(type);
}

std::string ThumbnailPath(const std::string& thumbnailsFolder, const std::string& fileName,
                          ThumbnailType type) {
  return WithTrailingSlash(thumbnailsFolder) + ThumbnailName(fileName, type);
}

}  // namespace tesselet
