#pragma once

#include <string>

namespace tesselet {

// The file type of the thumbnails, as the window's option pair chooses it.
enum class ThumbnailType { kNone, kBitmap, kJpeg };

// The picture's full path: the image folder, a "/" if it has none, the name.
std::string SourcePath(const std::string& imageFolder, const std::string& fileName);

// The thumbnail's name: "thumb", the picture's name up to its last dot (all
// of it when it has none), and ".bmp" or ".jpg" (nothing for no type, which
// the renderer then writes nothing for). Names that differ only in their
// extension share one.
std::string ThumbnailName(const std::string& fileName, ThumbnailType type);

// The thumbnail's full path: the thumbnails folder, a "/" if it has none,
// and the thumbnail's name.
std::string ThumbnailPath(const std::string& thumbnailsFolder, const std::string& fileName,
                          ThumbnailType type);

}  // namespace tesselet
