#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvale {

// The built folder's sub-folders that ask the thumbnail maker for its
// outputs: it makes thumbnails when the first is there and web copies when
// the second is. The two programs share nothing but these and the command
// line.
inline constexpr char kThumbnailsFolder[] = "ThumbNails";
inline constexpr char kWebCopiesFolder[] = "Web";

// What a build asks the thumbnail maker for.
struct ThumbnailMakerOutputs {
  bool thumbnails = false;
  bool webCopies = false;
};

// The thumbnail maker lies beside the slide show maker.
std::filesystem::path ThumbnailMakerProgram(const std::filesystem::path& programFolder);

// What the thumbnail maker is started with: the built folder (ending in "/",
// unquoted, as one argument), after the word "--all-media" when the build
// lists every kind of photo and video, so that it makes their outputs too.
std::vector<std::string> ThumbnailMakerArguments(const std::string& currentFolder, bool allMedia);

// Makes the built folder's sub-folder `name` unless it is there (one level
// only). Returns 0, or the run-time error number of the failure: 76 when the
// built folder itself is gone.
int MakeOutputFolder(const std::string& currentFolder, const char* name);

// What the user is told when an output folder cannot be made.
std::string OutputFolderNotMade(int failure, const std::string& folder);

// What the user is told when the thumbnail maker cannot be started.
std::string ThumbnailMakerNotStarted(const std::filesystem::path& program);

}  // namespace orvale
