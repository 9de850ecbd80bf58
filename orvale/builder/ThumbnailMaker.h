#pragma once

#include <filesystem>
#include <string>

namespace orvale {

// The thumbnail maker lies beside the slide show maker.
std::filesystem::path ThumbnailMakerProgram(const std::filesystem::path& programFolder);

// Makes the built folder's ThumbNails sub-folder unless it is there (one
// level only). Returns 0, or the run-time error number of the failure: 76
// when the built folder itself is gone.
int MakeThumbnailsFolder(const std::string& currentFolder);

// What the user is told when the thumbnail maker cannot be started.
std::string ThumbnailMakerNotStarted(const std::filesystem::path& program);

}  // namespace orvale
